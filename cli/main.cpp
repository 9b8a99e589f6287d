// brisol-cli: the window's Crypt and Decrypt for scripts and terminals.

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_texts.h"
#include "cli/password_input.h"
#include "cli/run_files.h"
#include "operation/codepage.h"
#include "operation/register_after.h"

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
        return usage_error(std::string{kUnknownCodepage} + options.codepage);

    // Everything that can be refused without the passwords is refused before
    // anyone types them.
    if (writes_standard_output(options) && ::isatty(STDOUT_FILENO) != 0) {
        print_message(kOutputIsTerminal);
        return kExitFailed;
    }
    brisol::FeedbackRegister start_register;
    if (options.after) {
        const brisol::RegisterAfterResult after = brisol::register_after(*options.after);
        if (!after.message.empty()) {
            print_message(after.message);
            return kExitFailed;
        }
        start_register = after.reg;
    }

    Passwords passwords;
    if (const std::string failure = read_passwords(options, passwords); !failure.empty()) {
        print_message(failure);
        return kExitFailed;
    }
    return run_files(options, passwords, start_register);
}
