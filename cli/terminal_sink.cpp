#include "cli/terminal_sink.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <cstdio>

#include "operation/messages.h"

namespace brisol::cli {

std::string human_bytes(double bytes) {
    static constexpr std::array<const char*, 5> kUnits = {"B", "KiB", "MiB", "GiB", "TiB"};
    std::size_t unit = 0;
    while (bytes >= 1024.0 && unit + 1 < kUnits.size()) {
        bytes /= 1024.0;
        ++unit;
    }
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), unit == 0 ? "%.0f %s" : "%.1f %s", bytes, kUnits[unit]);
    return text.data();
}

void TerminalSink::begin(std::string file_name) {
    file_name_ = messages::shown_name(file_name);
    started_ = std::chrono::steady_clock::now();
    bar_drawn_ = false;
    result_ = {};
    finished_.store(false);
}

void TerminalSink::report_progress(std::uint64_t done, std::uint64_t total) {
    if (!draw_progress_) return;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    const std::string speed = seconds > 0 ? human_bytes(static_cast<double>(done) / seconds) : "-";
    std::fprintf(stderr, "\r%s  %3d%%  %s  %s/s\033[K", file_name_.c_str(), percent,
                 human_bytes(static_cast<double>(done)).c_str(), speed.c_str());
    std::fflush(stderr);
    bar_drawn_ = true;
}

void TerminalSink::show_completion(const OperationResult& result) {
    if (bar_drawn_) std::fputc('\n', stderr);
    result_ = result;
    finished_.store(true);
    pthread_kill(waiter_, kCompletionSignal);
}

}  // namespace brisol::cli
