#pragma once
// The command line of brisol-cli, parsed without side effects.

#include <string>
#include <vector>

#include "cipher/types.h"

namespace brisol::cli {

enum class CliAction { Run, ShowHelp, ShowVersion, UsageError };

struct CliOptions {
    CliAction action = CliAction::Run;
    std::string usage_error;  // for UsageError: what was wrong
    Direction direction = Direction::Crypt;
    std::string extension;
    std::string codepage;  // empty: the locale's
    unsigned jobs = 0;     // files done at once; 0: one per core
    bool verbose = false;  // name the kind of each decrypted result
    std::vector<std::string> files;
};

CliOptions parse_command_line(const std::vector<std::string>& args);

}  // namespace brisol::cli
