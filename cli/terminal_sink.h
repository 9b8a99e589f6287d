#pragma once
// The command line's CompletionSink, one for each file being done at once: it
// shows progress through the shared status line, and wakes the main thread
// when an operation has ended.

#include <atomic>
#include <string>

#include "progress_line.h"
#include "operation_runner.h"

namespace brisol::cli {

class TerminalSink final : public CompletionSink {
public:
    // any_ended is set, with this sink's own flag, when an operation ends.
    TerminalSink(ProgressLine& line, std::size_t slot, std::atomic<bool>& any_ended)
        : line_(line), slot_(slot), any_ended_(any_ended) {}

    // Before each start: the file shown on the status line.
    void begin(std::string file_name);

    void report_progress(std::uint64_t done, std::uint64_t total) override;
    void show_completion(const OperationResult& result) override;

    bool finished() const { return finished_.load(); }
    // Valid once finished() is true.
    const OperationResult& result() const { return result_; }

private:
    ProgressLine& line_;
    std::size_t slot_;
    std::atomic<bool>& any_ended_;
    OperationResult result_;
    std::atomic<bool> finished_{false};
};

}  // namespace brisol::cli
