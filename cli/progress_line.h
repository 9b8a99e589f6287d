#pragma once
// One status line on a terminal for every file in progress, and the lines
// that go above it (a file that has ended, a failure) without tearing it.
// Workers report into it and the main thread prints through it, so every
// call takes its lock. Off a terminal it draws nothing and prints failures
// as plain lines.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace brisol::cli {

class ProgressLine {
public:
    ProgressLine(bool draw, std::size_t slots);

    // A file starts in one of the slots, numbered from 0.
    void begin(std::size_t slot, std::string file_name);
    void update(std::size_t slot, std::uint64_t done, std::uint64_t total);
    // The file in the slot has ended: where it was drawn, its last state
    // stays as a line of its own.
    void end(std::size_t slot);
    // A whole line of text on standard error, above the status line.
    void print(std::string_view line);

private:
    struct Entry {
        std::string name;
        std::uint64_t done = 0;
        std::uint64_t total = 0;
        std::chrono::steady_clock::time_point started{};
        bool running = false;
        bool drawn = false;  // has had progress to show
    };

    std::string describe(const Entry& entry, bool alone) const;
    void clear_locked();
    void draw_locked();

    std::mutex mutex_;
    bool draw_;
    std::vector<Entry> entries_;
    bool line_shown_ = false;
};

// "12.3 MiB" and the like.
std::string human_bytes(double bytes);

}  // namespace brisol::cli
