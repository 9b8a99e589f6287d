// brisol-cli: the window's Crypt and Decrypt for scripts and terminals.

#include <string>

#include "cli/cli_options.h"
#include "cli/cli_texts.h"
#include "cli/console.h"
#include "cli/password_input.h"
#include "cli/run_files.h"
#include "operation/codepage.h"
#include "operation/file_system.h"
#include "operation/messages.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int usage_error(std::string_view what) {
    using namespace brisol::cli;
    write_error(std::string{kMessagePrefix} + std::string{what} + "\n" + std::string{kTryHelp});
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace brisol::cli;
    brisol::keep_running_at_file_size_limit();
    const CliOptions options = parse_command_line(command_line_arguments(argc, argv));
    switch (options.action) {
        case CliAction::ShowHelp:
            write_output(kUsage);
            return 0;
        case CliAction::ShowVersion:
            write_output(kVersion);
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
        write_error(std::string{kMessagePrefix} + std::string{kCannotReadPasswords} +
                    brisol::messages::reason(error) + "\n");
        return kExitFailed;
    }
    return run_files(options, passwords);
}
