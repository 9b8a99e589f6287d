#pragma once
// Runs the built brisol-cli in a folder with a text as its standard input,
// as a user's script would; one implementation per platform.

#include <string>
#include <vector>

#include "../operation/test_files.h"

namespace brisol::testing {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// The program wrote .stdout and .stderr in dir, read from .stdin: what it
// wrote, and the folder without them.
inline CliRun collect_run(const TempDir& dir, int status) {
    CliRun run;
    run.status = status;
    run.out = read_file(dir.file(".stdout"));
    run.err = read_file(dir.file(".stderr"));
    std::filesystem::remove(dir.file(".stdin"));
    std::filesystem::remove(dir.file(".stdout"));
    std::filesystem::remove(dir.file(".stderr"));
    return run;
}

// `environment` is empty or one NAME=VALUE the program gets on top of ours.
CliRun run_cli(const TempDir& dir, const std::vector<std::string>& args,
               const std::string& stdin_text, const std::string& environment = "");

#ifndef _WIN32
// A text as one word of a shell command.
std::string quoted(const std::string& text);
// brisol-cli and its arguments, quoted for the shell.
std::string cli_command(const std::vector<std::string>& args);
// Runs a shell script in dir, in which $CLI is brisol-cli: pipes and
// descriptors as a user's script sets them up.
CliRun run_shell(const TempDir& dir, const std::string& script);
#endif

}  // namespace brisol::testing
