#pragma once
// The command line's CompletionSink: a progress bar on a terminal's stderr,
// and a wake-up for the main thread when an operation has ended.

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <string>

#include "operation/operation_runner.h"

namespace brisol::cli {

// Sent to the waiting thread when show_completion has stored the result.
inline constexpr int kCompletionSignal = SIGUSR1;

class TerminalSink final : public CompletionSink {
public:
    TerminalSink(bool draw_progress, pthread_t waiter)
        : draw_progress_(draw_progress), waiter_(waiter) {}

    // Before each start: the file shown on the progress bar.
    void begin(std::string file_name);

    void report_progress(std::uint64_t done, std::uint64_t total) override;
    void lock_controls() override {}
    void show_completion(const OperationResult& result) override;

    bool finished() const { return finished_.load(); }
    // Valid once finished() is true.
    const OperationResult& result() const { return result_; }

private:
    bool draw_progress_;
    pthread_t waiter_;
    std::string file_name_;
    std::chrono::steady_clock::time_point started_{};
    bool bar_drawn_ = false;
    OperationResult result_;
    std::atomic<bool> finished_{false};
};

// "12.3 MiB" and the like.
std::string human_bytes(double bytes);

}  // namespace brisol::cli
