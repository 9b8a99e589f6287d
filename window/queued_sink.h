#pragma once
// The worker's reports, carried over to the window's own thread. The worker
// may not touch a toolkit, so each report waits here in the order it was
// made, and `wake` asks the face to call run_queued() on its own thread (a
// queued Qt call, a posted window message; the page, which has one thread,
// calls it at once).

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "operation_request.h"

namespace brisol {

class MainWindowRules;

class QueuedSink final : public CompletionSink {
public:
    QueuedSink(MainWindowRules& rules, std::function<void()> wake)
        : rules_(rules), wake_(std::move(wake)) {}

    void report_progress(std::uint64_t done, std::uint64_t total) override;
    void show_completion(const OperationResult& result) override;

    // Carries out the reports waiting, one at a time: a completion message
    // may run a message loop of its own, and reports that arrive meanwhile
    // keep their order.
    void run_queued();

private:
    void queue(std::function<void()> report);

    MainWindowRules& rules_;
    std::function<void()> wake_;
    std::mutex mutex_;
    std::deque<std::function<void()>> reports_;
};

}  // namespace brisol
