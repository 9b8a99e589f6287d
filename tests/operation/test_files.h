#pragma once
// Real files in a fresh temporary directory, and a sink that records what the
// worker told it.

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "operation_runner.h"

namespace brisol::testing {

namespace fs = std::filesystem;

class TempDir {
public:
    // A name nobody else has, made atomically: create_directory fails on
    // an existing one.
    TempDir() {
        std::random_device random;
        do {
            path_ = fs::temp_directory_path() / ("brisol-test-" + std::to_string(random()));
        } while (!fs::create_directory(path_));
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(path_))
            found.insert(entry.path().filename().string());
        return found;
    }

private:
    fs::path path_;
};

inline std::string pattern_bytes(std::size_t size, unsigned seed = 1) {
    std::string data(size, '\0');
    unsigned state = seed;
    for (char& c : data) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    return data;
}

inline void write_file(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RecordingSink final : public CompletionSink {
public:
    void report_progress(std::uint64_t done, std::uint64_t total) override {
        const std::lock_guard lock(mutex_);
        progress.emplace_back(done, total);
    }
    void show_completion(const OperationResult& result) override {
        {
            const std::lock_guard lock(mutex_);
            completions.push_back(result);
        }
        changed_.notify_all();
        if (hold_completion) release_.get_future().wait();
    }

    // Blocks until show_completion has been entered.
    void await_completion() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !completions.empty(); });
    }
    void release() { release_.set_value(); }

    bool hold_completion = false;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;
    std::vector<OperationResult> completions;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::promise<void> release_;
};

// Runs one operation to its end; the result as the sink heard it.
inline OperationResult run_to_end(OperationRunner& runner, Direction direction,
                                  const std::string& path, const std::string& extension = ".src",
                                  const std::string& password1 = "first",
                                  const std::string& password2 = "second") {
    RecordingSink sink;
    const StartResult started =
        runner.start(direction, path, password1, password2, extension, sink);
    if (!started.started) {
        OperationResult refused;
        refused.outcome = OperationOutcome::Failed;
        refused.message = started.message;
        return refused;
    }
    runner.wait();
    EXPECT_EQ(sink.completions.size(), 1u);
    return sink.completions.at(0);
}

// An input beside an older file of its Crypt output name: what a failed
// operation must leave exactly as it found it.
struct InputBesideOldOutput {
    static constexpr const char* kOldContents = "older contents";

    TempDir dir;
    std::string input = dir.file("data.bin");
    std::string output = input + ".bsl";
    std::string data;

    bool old_output;

    explicit InputBesideOldOutput(std::size_t size, bool with_old_output = true)
        : data(pattern_bytes(size)), old_output(with_old_output) {
        write_file(input, data);
        if (old_output) write_file(output, kOldContents);
    }

    // Input intact, old output unchanged, no temporary file left.
    void expect_left_as_found(const std::string& context) const {
        EXPECT_EQ(read_file(input), data) << context;
        if (!old_output) {
            EXPECT_EQ(dir.names(), std::set<std::string>{"data.bin"}) << context;
            return;
        }
        EXPECT_EQ(read_file(output), kOldContents) << context;
        EXPECT_EQ(dir.names(), (std::set<std::string>{"data.bin", "data.bin.bsl"})) << context;
    }
};

}  // namespace brisol::testing
