#pragma once
// The command line's CompletionSink, one for each file being done at once: it
// shows progress through the shared status line, and wakes the main thread
// when an operation has ended.

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <string>

#include "cli/progress_line.h"
#include "operation/operation_runner.h"

namespace brisol::cli {

// Sent to the waiting thread when show_completion has stored the result.
inline constexpr int kCompletionSignal = SIGUSR1;

class TerminalSink final : public CompletionSink {
public:
    TerminalSink(ProgressLine& line, std::size_t slot, pthread_t waiter)
        : line_(line), slot_(slot), waiter_(waiter) {}

    // Before each start: the file shown on the status line.
    void begin(std::string file_name);

    void report_progress(std::uint64_t done, std::uint64_t total) override;
    void lock_controls() override {}
    void show_completion(const OperationResult& result) override;

    bool finished() const { return finished_.load(); }
    // Valid once finished() is true.
    const OperationResult& result() const { return result_; }

private:
    ProgressLine& line_;
    std::size_t slot_;
    pthread_t waiter_;
    OperationResult result_;
    std::atomic<bool> finished_{false};
};

}  // namespace brisol::cli
