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

void print_message(std::string_view message) {
    std::fprintf(stderr, "%.*s%.*s\n", static_cast<int>(kMessagePrefix.size()),
                 kMessagePrefix.data(), static_cast<int>(message.size()), message.data());
}

namespace {

// Shells report a process ended by signal N as 128 + N; a file stopped by
// Ctrl-C ends the same way, only after cleaning up.
constexpr int kInterruptedStatusBase = 128;

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
// Returns the interrupting signal's number, or 0.
int wait_for_completion(const TerminalSink& sink, OperationRunner& runner, const sigset_t& set) {
    int interrupt = 0;
    while (!sink.finished()) {
        const int signal_number = sigwaitinfo(&set, nullptr);
        if (signal_number > 0 && signal_number != kCompletionSignal) {
            runner.cancel();
            interrupt = signal_number;
        }
    }
    runner.wait();
    return interrupt;
}

// What the runner is asked to do with one FILE.
StartRequest request_for(const CliOptions& options, const std::string& file,
                         const Passwords& passwords, const FeedbackRegister& start_register) {
    StartRequest request;
    request.direction = options.direction;
    request.input_is_stdin = file == kStandardStream;
    if (!request.input_is_stdin) request.input_path = file;
    request.output_is_stdout = writes_standard_output(options);
    if (options.output && !request.output_is_stdout) request.output_path = *options.output;
    request.password1 = passwords.first;
    request.password2 = passwords.second;
    request.extension = options.extension;
    request.start_register = start_register;
    return request;
}

}  // namespace

int run_files(const CliOptions& options, const Passwords& passwords,
              const FeedbackRegister& start_register) {
    const sigset_t set = handled_signals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    // A reader of standard output that goes away must end the operation with
    // a message and status 1, not kill the process before it cleans up.
    signal(SIGPIPE, SIG_IGN);

    OperationRunner runner;
    runner.set_codepage(options.codepage);
    const bool on_terminal = ::isatty(STDERR_FILENO) != 0;
    TerminalSink sink(on_terminal, pthread_self());
    int status = 0;
    for (const std::string& file : options.files) {
        const StartRequest request = request_for(options, file, passwords, start_register);
        sink.begin(request.input_is_stdin ? std::string{messages::kStandardInput} : file);
        const StartResult started = runner.start(request, sink);
        if (!started.started) {
            print_message(started.message);
            status = 1;
            continue;
        }
        const int interrupt = wait_for_completion(sink, runner, set);
        if (sink.result().outcome != OperationOutcome::Succeeded) {
            print_message(sink.result().message);
            status = 1;
        } else {
            print_content_note(sink.result(), options.verbose || on_terminal);
        }
        if (interrupt != 0) return kInterruptedStatusBase + interrupt;
    }
    return status;
}

}  // namespace brisol::cli
