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

// `environment` is empty or one NAME=VALUE the program gets on top of ours.
CliRun run_cli(const TempDir& dir, const std::vector<std::string>& args, const std::string& stdin_text,
               const std::string& environment = "");

}  // namespace brisol::testing
