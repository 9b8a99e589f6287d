#include "cli/run_files.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <string_view>

#include "cli/cli_texts.h"
#include "cli/terminal_sink.h"
#include "operation/operation_runner.h"

namespace brisol::cli {
namespace {

void print_failure(std::string_view message) {
    std::fprintf(stderr, "%.*s%.*s\n", static_cast<int>(kMessagePrefix.size()),
                 kMessagePrefix.data(), static_cast<int>(message.size()), message.data());
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
    TerminalSink sink(::isatty(STDERR_FILENO) != 0, pthread_self());
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
        const bool interrupted = wait_for_completion(sink, runner, set);
        if (sink.result().outcome != OperationOutcome::Succeeded) {
            print_failure(sink.result().message);
            status = 1;
        }
        if (interrupted) break;
    }
    return status;
}

}  // namespace brisol::cli
