#pragma once
// The command line of brisol-cli, parsed without side effects.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "layout.h"

namespace brisol::cli {

enum class CliAction { Run, ShowHelp, ShowVersion, UsageError };

// As FILE: standard input; as the output: standard output.
inline constexpr std::string_view kStandardStream = "-";

struct CliOptions {
    CliAction action = CliAction::Run;
    std::string usage_error;  // for UsageError: what was wrong
    Direction direction = Direction::Crypt;
    std::string extension;
    std::string codepage;                      // empty: the locale's
    unsigned jobs = 0;                         // files done at once; 0: one per core
    bool verbose = false;                      // name the kind of each decrypted result
    std::optional<std::string> output;         // -o: the single FILE's output
    std::optional<std::string> password_file;  // --password-file
    std::optional<int> password_fd;            // --password-fd
    std::optional<std::string> after;          // --after: the encrypted file before
    std::vector<std::string> files;
};

CliOptions parse_command_line(const std::vector<std::string>& args);

// True when FILE is standard input, which then carries data, not passwords.
bool reads_standard_input(const CliOptions& options);
// True when FILE's result goes to standard output: "-o -" (or a name of
// descriptor 1, such as /dev/stdout), or FILE "-" without -o.
bool output_is_standard(const CliOptions& options, std::string_view file);

}  // namespace brisol::cli
