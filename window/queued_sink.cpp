#include "queued_sink.h"

#include "main_window_rules.h"

namespace brisol {

void QueuedSink::report_progress(std::uint64_t done, std::uint64_t total) {
    queue([this, done, total] { rules_.progress(done, total); });
}

void QueuedSink::show_completion(const OperationResult& result) {
    queue([this, result] { rules_.completion(result); });
}

void QueuedSink::queue(std::function<void()> report) {
    {
        const std::lock_guard lock(mutex_);
        reports_.push_back(std::move(report));
    }
    wake_();
}

void QueuedSink::run_queued() {
    for (;;) {
        std::function<void()> report;
        {
            const std::lock_guard lock(mutex_);
            if (reports_.empty()) return;
            report = std::move(reports_.front());
            reports_.pop_front();
        }
        report();
    }
}

}  // namespace brisol
