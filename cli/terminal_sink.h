#pragma once
// The command line's CompletionSink: a progress line on a terminal's stderr,
// and a wake-up for the main thread when an operation has ended.

#include <atomic>
#include <chrono>
#include <string>

#include "operation/operation_runner.h"

namespace brisol::cli {

class TerminalSink final : public CompletionSink {
public:
    explicit TerminalSink(bool draw_progress) : draw_progress_(draw_progress) {}

    // Before each start: the file shown on the progress bar.
    void begin(std::string file_name);

    void report_progress(std::uint64_t done, std::uint64_t total) override;
    void lock_controls() override {}
    void show_completion(const OperationResult& result) override;

    // Set once the result is stored; the waiting thread is woken then.
    const std::atomic<bool>& finished_flag() const { return finished_; }
    // Valid once finished() is true.
    const OperationResult& result() const { return result_; }

private:
    bool draw_progress_;
    std::string file_name_;
    std::chrono::steady_clock::time_point started_{};
    bool bar_drawn_ = false;
    OperationResult result_;
    std::atomic<bool> finished_{false};
};

// "12.3 MiB" and the like.
std::string human_bytes(double bytes);

}  // namespace brisol::cli
