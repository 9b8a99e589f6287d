#pragma once
// Runs one operation per file, one after the other, with the same passwords.

#include <string_view>

#include "cli/cli_options.h"
#include "cli/password_input.h"

namespace brisol::cli {

// "brisol-cli: " and the message on standard error.
void print_message(std::string_view message);

// 0 when every file was done, 1 when any operation failed, 128 + the
// signal's number when an interrupt stopped one (files after it are not
// started). The GOST feedback of every file starts at start_register.
int run_files(const CliOptions& options, const Passwords& passwords,
              const FeedbackRegister& start_register);

}  // namespace brisol::cli
