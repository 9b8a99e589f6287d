#pragma once
// Runs one operation per file with the same passwords, several files at once,
// each with a runner of its own, so that every file comes out byte for byte
// as it would alone.

#include <string_view>

#include "feedback_register.h"
#include "cli_options.h"
#include "password_input.h"

namespace brisol::cli {

// Each file being done holds about 1.3 MiB of buffers; this many at once keep
// the process well under 32 MiB resident.
inline constexpr unsigned kMaxJobs = 16;

// How many files run at once: the option, or one per core, no more than there
// are files and kMaxJobs.
unsigned jobs_to_run(unsigned requested, std::size_t files, unsigned cores);

// "brisol-cli: " and the message on standard error, before any file starts.
void print_message(std::string_view message);

// Prints why each FILE's output can never take its result, before any
// password is asked for; true when some cannot, and then nothing is run.
bool refuse_unwritable_outputs(const CliOptions& options);

// 0 when every file was done, 1 when any operation failed, the status an
// interrupt calls for when one stopped them (files not yet started then are
// not started). The GOST feedback of every file starts at start_register.
int run_files(const CliOptions& options, const Passwords& passwords,
              const FeedbackRegister& start_register);

}  // namespace brisol::cli
