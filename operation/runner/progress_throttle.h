#pragma once
// Progress bars need a few updates a second, not one per 256 KiB written.

#include <chrono>

namespace brisol {

class ProgressThrottle {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kInterval = std::chrono::milliseconds(200);

    explicit ProgressThrottle(Clock::time_point start, Clock::duration interval = kInterval)
        : interval_(interval), last_(start) {}

    // True when a report is due at `now`; the next one is then an interval away.
    bool due(Clock::time_point now) {
        if (now - last_ < interval_) return false;
        last_ = now;
        return true;
    }

private:
    Clock::duration interval_;
    Clock::time_point last_;
};

}  // namespace brisol
