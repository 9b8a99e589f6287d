#include <sys/wait.h>

#include <cstdlib>

#include "run_cli.h"

namespace brisol::testing {
namespace {

std::string quoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text) result += c == '\'' ? std::string{"'\\''"} : std::string{c};
    return result + "'";
}

}  // namespace

CliRun run_cli(const TempDir& dir, const std::vector<std::string>& args, const std::string& stdin_text,
               const std::string& environment) {
    write_file(dir.file(".stdin"), stdin_text);
    std::string command = "cd " + quoted(dir.path().string()) + " && " + environment + " " +
                          quoted(BRISOL_CLI_PATH);
    for (const std::string& arg : args) command += " " + quoted(arg);
    command += " <.stdin >.stdout 2>.stderr";
    const int raw = std::system(command.c_str());
    return collect_run(dir, WIFEXITED(raw) ? WEXITSTATUS(raw) : -1);
}

}  // namespace brisol::testing
