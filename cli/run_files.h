#pragma once
// Runs one operation per file, one after the other, with the same passwords.

#include "cli/cli_options.h"
#include "cli/password_input.h"

namespace brisol::cli {

// 0 when every file was done, 1 when any operation failed or was stopped by
// an interrupt (files after an interrupt are not started).
int run_files(const CliOptions& options, const Passwords& passwords);

}  // namespace brisol::cli
