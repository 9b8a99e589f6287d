#include "cli/run_files.h"

#include <string_view>

#include "cli/cli_texts.h"
#include "cli/console.h"
#include "cli/terminal_sink.h"
#include "operation/messages.h"
#include "operation/operation_runner.h"

namespace brisol::cli {
namespace {

void print_message(std::string_view message) {
    std::string line{kMessagePrefix};
    line += message;
    line += '\n';
    write_error(line);
}

// A likely wrong password is always told; a known kind only to someone
// watching (a terminal) or asking (--verbose).
void print_content_note(const OperationResult& result, bool tell_kind) {
    const ContentHint& hint = result.content;
    if (hint.looks_random || (tell_kind && !hint.kind.empty()))
        print_message("\"" + result.output_path + "\": " + messages::content_note(hint));
}

}  // namespace

int run_files(const CliOptions& options, const Passwords& passwords) {
    // An interrupt must stop the operation through the runner, so that its
    // temporary file is removed, instead of killing the process halfway.
    prepare_interrupts();

    OperationRunner runner;
    runner.set_codepage(options.codepage);
    const bool on_terminal = error_is_terminal();
    TerminalSink sink(on_terminal);
    int status = 0;
    for (const std::string& file : options.files) {
        sink.begin(file);
        const StartResult started = runner.start(options.direction, file, passwords.first,
                                                 passwords.second, options.extension, sink);
        if (!started.started) {
            print_message(started.message);
            status = 1;
            continue;
        }
        const bool interrupted = wait_for_end(sink.finished_flag(), [&runner] { runner.cancel(); });
        runner.wait();
        if (sink.result().outcome != OperationOutcome::Succeeded) {
            print_message(sink.result().message);
            status = 1;
        } else {
            print_content_note(sink.result(), options.verbose || on_terminal);
        }
        if (interrupted) break;
    }
    return status;
}

}  // namespace brisol::cli
