#include "cli/run_files.h"

#include <string_view>

#include "cli/cli_texts.h"
#include "cli/console.h"
#include "cli/terminal_sink.h"
#include "operation/operation_runner.h"

namespace brisol::cli {
namespace {

void print_failure(std::string_view message) {
    std::string line{kMessagePrefix};
    line += message;
    line += '\n';
    write_error(line);
}

}  // namespace

int run_files(const CliOptions& options, const Passwords& passwords) {
    // An interrupt must stop the operation through the runner, so that its
    // temporary file is removed, instead of killing the process halfway.
    prepare_interrupts();

    OperationRunner runner;
    runner.set_codepage(options.codepage);
    TerminalSink sink(error_is_terminal());
    int status = 0;
    for (const std::string& file : options.files) {
        sink.begin(file);
        const StartResult started = runner.start(options.direction, file, passwords.first,
                                                 passwords.second, options.extension, sink);
        if (!started.started) {
            print_failure(started.message);
            status = 1;
            continue;
        }
        const bool interrupted = wait_for_end(sink.finished_flag(), [&runner] { runner.cancel(); });
        runner.wait();
        if (sink.result().outcome != OperationOutcome::Succeeded) {
            print_failure(sink.result().message);
            status = 1;
        }
        if (interrupted) break;
    }
    return status;
}

}  // namespace brisol::cli
