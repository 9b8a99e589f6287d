#pragma once
// Runs the built brisol-cli through the shell, as a user's script would.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../operation/test_files.h"

namespace brisol::testing {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string quoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text) result += c == '\'' ? std::string{"'\\''"} : std::string{c};
    return result + "'";
}

// brisol-cli and its arguments, quoted for the shell.
inline std::string cli_command(const std::vector<std::string>& args) {
    std::string command = quoted(BRISOL_CLI_PATH);
    for (const std::string& arg : args) command += " " + quoted(arg);
    return command;
}

// Runs a shell script in dir, in which $CLI is brisol-cli; what it leaves on
// standard output and standard error.
inline CliRun run_shell(const TempDir& dir, const std::string& script) {
    const std::string command = "cd " + quoted(dir.path().string()) + " && CLI=" +
                                quoted(BRISOL_CLI_PATH) + " && { " + script +
                                "\n} >.stdout 2>.stderr";
    const int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = read_file(dir.file(".stdout"));
    run.err = read_file(dir.file(".stderr"));
    std::filesystem::remove(dir.file(".stdout"));
    std::filesystem::remove(dir.file(".stderr"));
    return run;
}

// Runs brisol-cli in dir with stdin_text as its standard input.
inline CliRun run_cli(const TempDir& dir, const std::vector<std::string>& args,
                      const std::string& stdin_text, const std::string& environment = "") {
    write_file(dir.file(".stdin"), stdin_text);
    CliRun run = run_shell(dir, environment + " " + cli_command(args) + " <.stdin");
    std::filesystem::remove(dir.file(".stdin"));
    return run;
}

}  // namespace brisol::testing
