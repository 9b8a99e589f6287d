#pragma once
// The descriptors a run reads and writes, however the command line names them
// (-, /dev/stdout, /dev/fd/N, --password-fd N), checked before any password
// is asked for: each must have been open when the program started, no result
// goes onto a terminal, and none into the file that standard error's
// messages go to.

#include <string>

#include "cli_options.h"
#include "file_system.h"

namespace brisol::cli {

// "standard input", "standard output", "standard error" or "descriptor N".
std::string descriptor_shown(int number);

// The refusal, for the user, or empty.
std::string descriptor_refusal(const CliOptions& options);

// True when both are the same open file or the same file on disk; Windows
// gives pipes and devices no identity, and a terminal (or /dev/null) is
// shared without harm by prompts, data and messages.
bool same_file(const FileInfo& a, const FileInfo& b);

}  // namespace brisol::cli
