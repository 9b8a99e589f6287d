#include "cli/run_files.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <string_view>

#include "cli/cli_texts.h"
#include "cli/terminal_sink.h"
#include "operation/messages.h"
#include "operation/operation_runner.h"

namespace brisol::cli {
namespace {

void print_message(std::string_view message) {
    std::fprintf(stderr, "%.*s%.*s\n", static_cast<int>(kMessagePrefix.size()),
                 kMessagePrefix.data(), static_cast<int>(message.size()), message.data());
}

// A likely wrong password is always told; a known kind only to someone
// watching (a terminal) or asking (--verbose).
void print_content_note(const OperationResult& result, bool tell_kind) {
    const ContentHint& hint = result.content;
    if (hint.looks_random || (tell_kind && !hint.kind.empty()))
        print_message("\"" + result.output_path + "\": " + messages::content_note(hint));
}

// An interrupt must stop the operation through the runner, so that its
// temporary file is removed, instead of killing the process halfway. The
// signals are blocked before any worker starts (workers inherit the mask) and
// taken synchronously by the main thread.
sigset_t handled_signals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, kCompletionSignal})
        sigaddset(&set, signal_number);
    return set;
}

// Waits for the sink's wake-up; asks the runner to stop on an interrupt.
// Returns true when an interrupt came.
bool wait_for_completion(const TerminalSink& sink, OperationRunner& runner, const sigset_t& set) {
    bool interrupted = false;
    while (!sink.finished()) {
        const int signal_number = sigwaitinfo(&set, nullptr);
        if (signal_number > 0 && signal_number != kCompletionSignal) {
            runner.cancel();
            interrupted = true;
        }
    }
    runner.wait();
    return interrupted;
}

}  // namespace

int run_files(const CliOptions& options, const Passwords& passwords) {
    const sigset_t set = handled_signals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);

    OperationRunner runner;
    runner.set_codepage(options.codepage);
    const bool on_terminal = ::isatty(STDERR_FILENO) != 0;
    TerminalSink sink(on_terminal, pthread_self());
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
        const bool interrupted = wait_for_completion(sink, runner, set);
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
