#include <sys/wait.h>

#include <cstdlib>

#include "run_cli.h"

namespace brisol::testing {

std::string quoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text) result += c == '\'' ? std::string{"'\\''"} : std::string{c};
    return result + "'";
}

std::string cli_command(const std::vector<std::string>& args) {
    std::string command = quoted(BRISOL_CLI_PATH);
    for (const std::string& arg : args) command += " " + quoted(arg);
    return command;
}

CliRun run_shell(const TempDir& dir, const std::string& script) {
    const std::string command = "cd " + quoted(dir.path().string()) +
                                " && CLI=" + quoted(BRISOL_CLI_PATH) + " && { " + script +
                                "\n} >.stdout 2>.stderr";
    const int raw = std::system(command.c_str());
    return collect_run(dir, WIFEXITED(raw) ? WEXITSTATUS(raw) : -1);
}

CliRun run_cli(const TempDir& dir, const std::vector<std::string>& args,
               const std::string& stdin_text, const std::string& environment) {
    write_file(dir.file(".stdin"), stdin_text);
    return run_shell(dir, environment + " " + cli_command(args) + " <.stdin");
}

}  // namespace brisol::testing
