// brisol-cli: the window's Crypt and Decrypt for scripts and terminals.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_texts.h"
#include "cli/password_input.h"
#include "cli/run_files.h"
#include "operation/codepage.h"
#include "operation/file_system.h"
#include "operation/messages.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void print(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

int usage_error(std::string_view what) {
    print(stderr, brisol::cli::kMessagePrefix);
    print(stderr, what);
    print(stderr, "\n");
    print(stderr, brisol::cli::kTryHelp);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace brisol::cli;
    brisol::keep_running_at_file_size_limit();
    const CliOptions options = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
    switch (options.action) {
        case CliAction::ShowHelp:
            print(stdout, kUsage);
            return 0;
        case CliAction::ShowVersion:
            print(stdout, kVersion);
            return 0;
        case CliAction::UsageError:
            return usage_error(options.usage_error);
        case CliAction::Run:
            break;
    }
    if (!options.codepage.empty() && !brisol::codepage_supported(options.codepage))
        return usage_error(std::string{kUnknownCodepage} + brisol::messages::shown_name(options.codepage));

    Passwords passwords;
    if (const int error = read_passwords(passwords); error != 0) {
        print(stderr, kMessagePrefix);
        print(stderr, kCannotReadPasswords);
        print(stderr, brisol::messages::reason(error));
        print(stderr, "\n");
        return kExitFailed;
    }
    return run_files(options, passwords);
}
