// brisol-cli: the window's Crypt and Decrypt for scripts and terminals.

#include <string>

#include "cli_options.h"
#include "cli_texts.h"
#include "console.h"
#include "password_input.h"
#include "run_files.h"
#include "standard_descriptors.h"
#include "register_after.h"
#include "file_system.h"
#include "messages.h"
#include "codepage.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int usage_error(std::string_view what) {
    using namespace brisol::cli;
    print_message(what);
    write_error(kTryHelp);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace brisol::cli;
    if (!hold_standard_descriptors()) return kExitFailed;
    brisol::keep_running_on_write_failures();
    const CliOptions options = parse_command_line(command_line_arguments(argc, argv));
    switch (options.action) {
        case CliAction::ShowHelp: write_output(kUsage); return 0;
        case CliAction::ShowVersion: write_output(kVersion); return 0;
        case CliAction::UsageError: return usage_error(options.usage_error);
        case CliAction::Run: break;
    }
    // Before anything is opened, which could take the number of one closed.
    if (const std::string refusal = descriptor_refusal(options); !refusal.empty()) {
        print_message(refusal);
        return kExitFailed;
    }
    if (!options.codepage.empty()) {
        const std::string shown = brisol::messages::shown_name(options.codepage);
        if (!brisol::codepage_supported(options.codepage))
            return usage_error(std::string{kUnknownCodepage} + shown);
        // A key block holds one byte for each character.
        if (!brisol::codepage_is_single_byte(options.codepage))
            return usage_error(std::string{kMultibyteCodepage} + shown);
    }
    if (const std::string conflict = password_source_conflict(options); !conflict.empty())
        return usage_error(conflict);

    // Everything that can be refused without the passwords is refused before
    // anyone types them.
    if (refuse_unwritable_outputs(options)) return kExitFailed;
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
    // Allowed, as the window allows it and older files were made so, but said.
    if (options.direction == brisol::Direction::Crypt) {
        if (passwords.first.empty()) print_message(brisol::messages::kEmptyPassword1);
        if (passwords.second.empty()) print_message(brisol::messages::kEmptyPassword2);
    }
    return run_files(options, passwords, start_register);
}
