#include "progress_line.h"

#include <array>
#include <cstdio>

#include "console.h"

namespace brisol::cli {
namespace {

// A line that wraps could not be redrawn in place; terminals are this wide
// at least.
constexpr std::size_t kColumns = 79;

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

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

ProgressLine::ProgressLine(bool draw, std::size_t slots) : draw_(draw), entries_(slots) {}

void ProgressLine::begin(std::size_t slot, std::string file_name) {
    const std::lock_guard lock(mutex_);
    entries_[slot] =
        Entry{std::move(file_name), 0, 0, std::chrono::steady_clock::now(), true, false};
}

void ProgressLine::update(std::size_t slot, std::uint64_t done, std::uint64_t total) {
    if (!draw_) return;
    const std::lock_guard lock(mutex_);
    Entry& entry = entries_[slot];
    entry.done = done;
    entry.total = total;
    entry.drawn = true;
    draw_locked();
}

void ProgressLine::end(std::size_t slot) {
    const std::lock_guard lock(mutex_);
    Entry& entry = entries_[slot];
    entry.running = false;
    if (!entry.drawn) return;
    clear_locked();
    write_error(describe(entry, true) + "\n");
    draw_locked();
}

void ProgressLine::print(std::string_view line) {
    const std::lock_guard lock(mutex_);
    clear_locked();
    write_error(std::string{line} + "\n");
    draw_locked();
}

// Alone: "name  45%  43.0 MiB  310.2 MiB/s"; beside others: "name 45%". A
// stream's size is unknown (total 0): no percentage then.
std::string ProgressLine::describe(const Entry& entry, bool alone) const {
    std::array<char, 8> number{};
    if (entry.total > 0)
        std::snprintf(number.data(), number.size(), alone ? "  %3d%%" : " %d%%",
                      static_cast<int>(entry.done * 100 / entry.total));
    if (!alone) return entry.name + number.data();
    const double seconds = seconds_since(entry.started);
    const std::string speed =
        seconds > 0 ? human_bytes(static_cast<double>(entry.done) / seconds) : "-";
    return entry.name + number.data() + "  " + human_bytes(static_cast<double>(entry.done)) + "  " +
           speed + "/s";
}

void ProgressLine::clear_locked() {
    if (!line_shown_) return;
    redraw_error_line("");
    line_shown_ = false;
}

void ProgressLine::draw_locked() {
    if (!draw_) return;
    std::vector<const Entry*> shown;
    double rate = 0;
    for (const Entry& entry : entries_) {
        if (!entry.running || !entry.drawn) continue;
        shown.push_back(&entry);
        if (const double seconds = seconds_since(entry.started); seconds > 0)
            rate += static_cast<double>(entry.done) / seconds;
    }
    if (shown.empty()) {
        clear_locked();
        return;
    }
    std::string line;
    if (shown.size() == 1) {
        line = describe(*shown.front(), true);
    } else {
        for (const Entry* entry : shown) line += describe(*entry, false) + "  ";
        line += human_bytes(rate) + "/s";
    }
    if (line.size() > kColumns) {
        line.resize(kColumns);
        // Not half a UTF-8 character at the cut.
        while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80)
            line.pop_back();
        if (!line.empty() && static_cast<unsigned char>(line.back()) >= 0xC0) line.pop_back();
    }
    redraw_error_line(line);
    line_shown_ = true;
}

}  // namespace brisol::cli
