// Many operations started, cancelled, refused and completed back to back,
// with the worker calling into the runner from its sink while the caller
// thread starts the next one. Run under ThreadSanitizer as well.

#include <gtest/gtest.h>

#include <deque>

#include "../test_files.h"
#include "messages.h"

namespace brisol {
namespace {

using testing::pattern_bytes;
using testing::read_file;
using testing::run_to_end;
using testing::TempDir;
using testing::write_file;

// Three buffers, so a cancel can land between reads.
constexpr std::size_t kInputSize = 600 * 1024 + 300;
constexpr int kRounds = 48;

// Asks the runner about itself from the worker thread while the caller
// thread starts and cancels.
class MeddlingSink final : public CompletionSink {
public:
    explicit MeddlingSink(OperationRunner& runner) : runner_(runner) {}
    void report_progress(std::uint64_t, std::uint64_t) override { runner_.busy(); }
    void show_completion(const OperationResult& result) override {
        busy_when_shown = runner_.busy();
        outcome = result.outcome;
        ++completions;
    }

    int completions = 0;
    bool busy_when_shown = true;
    OperationOutcome outcome = OperationOutcome::Failed;

private:
    OperationRunner& runner_;
};

enum class Step { WaitForIt, CancelAtOnce, StartAgainAtOnce, LeaveRunning };

TEST(RunnerStress, StartCancelAndCompleteInALoopLeaveNoStrayFile) {
    TempDir dir;
    const std::string input = dir.file("data.bin");
    const std::string output = input + ".bsl";
    write_file(input, pattern_bytes(kInputSize));
    OperationRunner reference;
    ASSERT_EQ(run_to_end(reference, Direction::Crypt, input).outcome, OperationOutcome::Succeeded);
    const std::string expected = read_file(output);

    OperationRunner runner;
    std::deque<MeddlingSink> sinks;  // each must outlive its worker
    for (int round = 0; round < kRounds; ++round) {
        MeddlingSink& sink = sinks.emplace_back(runner);
        StartResult started =
            runner.start(Direction::Crypt, input, "first", "second", ".src", sink);
        // Left running last round, the operation may not have let go yet.
        while (!started.started && started.message == messages::kBusy)
            started = runner.start(Direction::Crypt, input, "first", "second", ".src", sink);
        ASSERT_TRUE(started.started) << round << started.message;

        switch (static_cast<Step>(round % 4)) {
            case Step::WaitForIt:
                runner.wait();
                EXPECT_EQ(sink.outcome, OperationOutcome::Succeeded) << round;
                break;
            case Step::CancelAtOnce: runner.cancel(); break;
            case Step::StartAgainAtOnce: {
                MeddlingSink& refused = sinks.emplace_back(runner);
                const StartResult again =
                    runner.start(Direction::Crypt, input, "first", "second", ".src", refused);
                EXPECT_TRUE(again.started || again.message == messages::kBusy) << round;
                break;
            }
            case Step::LeaveRunning: break;
        }
    }
    runner.wait();

    int completions = 0;
    for (const MeddlingSink& sink : sinks) {
        EXPECT_LE(sink.completions, 1);
        completions += sink.completions;
        if (sink.completions == 0) continue;
        EXPECT_NE(sink.outcome, OperationOutcome::Failed);
        EXPECT_FALSE(sink.busy_when_shown);
    }
    EXPECT_GE(completions, kRounds);
    EXPECT_FALSE(runner.busy());
    // Whatever was cancelled left nothing; whatever completed wrote the same bytes.
    EXPECT_EQ(dir.names(), (std::set<std::string>{"data.bin", "data.bin.bsl"}));
    EXPECT_EQ(read_file(output), expected);
}

}  // namespace
}  // namespace brisol
