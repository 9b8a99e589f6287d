// Faults the machine itself makes, not the seam: a file size limit, and an
// input deleted, truncated or extended while the worker reads it.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "../held_crypt.h"
#include "../test_files.h"
#include "messages.h"

namespace brisol {
namespace {

using testing::HeldCrypt;
using testing::InputBesideOldOutput;
using testing::pattern_bytes;
using testing::read_file;
using testing::RecordingSink;
using testing::run_to_end;
using testing::TempDir;
using testing::write_file;

constexpr std::size_t kInputSize = 700 * 1024 + 77;
constexpr rlim_t kFileSizeLimit = 300 * 1024;

// Lowers the process's file size limit and ignores the signal that would
// otherwise end the process, until the end of the scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &previous_action_);
        ::getrlimit(RLIMIT_FSIZE, &previous_limit_);
        rlimit lowered = previous_limit_;
        lowered.rlim_cur = bytes;
        applied_ = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_limit_);
        ::sigaction(SIGXFSZ, &previous_action_, nullptr);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool applied() const { return applied_; }

private:
    struct sigaction previous_action_ {};
    rlimit previous_limit_{};
    bool applied_ = false;
};

TEST(RealFaults, WriteRefusedByTheFileSizeLimit) {
    const InputBesideOldOutput files_at_hand(kInputSize);
    const std::string& input = files_at_hand.input;
    const std::string& output = files_at_hand.output;

    OperationResult result;
    {
        const FileSizeLimit limit(kFileSizeLimit);
        ASSERT_TRUE(limit.applied());
        OperationRunner runner;
        result = run_to_end(runner, Direction::Crypt, input);
    }
    EXPECT_EQ(result.outcome, OperationOutcome::Failed);
    EXPECT_EQ(result.message, messages::file_error(messages::kCannotWrite, output, EFBIG));
    files_at_hand.expect_left_as_found("file size limit");
}

struct InputChange {
    const char* name;
    std::function<void(const std::string& input)> make;
    bool reported;  // else the operation succeeds on what it had opened
};

const InputChange kInputChanges[] = {
    {"truncated to half",
     [](const std::string& in) { ASSERT_EQ(::truncate(in.c_str(), kInputSize / 2), 0); }, true},
    {"truncated to nothing", [](const std::string& in) { ASSERT_EQ(::truncate(in.c_str(), 0), 0); },
     true},
    {"extended",
     [](const std::string& in) { ASSERT_EQ(::truncate(in.c_str(), kInputSize + 4096), 0); }, true},
    // The open descriptor still reads every byte of a deleted file.
    {"deleted", [](const std::string& in) { ASSERT_EQ(::unlink(in.c_str()), 0); }, false},
};

TEST(RealFaults, InputChangedWhileTheWorkerReadsIt) {
    for (const InputChange& change : kInputChanges) {
        const InputBesideOldOutput files_at_hand(kInputSize);
        const std::string& input = files_at_hand.input;
        const std::string& output = files_at_hand.output;

        HeldCrypt held(input);
        ASSERT_TRUE(held.started.started) << held.started.message;
        change.make(input);
        held.release_and_wait();
        const RecordingSink& sink = held.sink;

        ASSERT_EQ(sink.completions.size(), 1u) << change.name;
        const OperationResult& result = sink.completions[0];
        if (change.reported) {
            EXPECT_EQ(result.outcome, OperationOutcome::Failed) << change.name;
            EXPECT_EQ(result.message,
                      messages::file_error(messages::kCannotRead, input, messages::kInputChanged))
                << change.name;
            EXPECT_EQ(read_file(output), InputBesideOldOutput::kOldContents) << change.name;
            EXPECT_EQ(files_at_hand.dir.names(),
                      (std::set<std::string>{"data.bin", "data.bin.bsl"}))
                << change.name;
            continue;
        }
        EXPECT_EQ(result.outcome, OperationOutcome::Succeeded) << change.name << result.message;
        EXPECT_EQ(files_at_hand.dir.names(), std::set<std::string>{"data.bin.bsl"}) << change.name;
        OperationRunner plain;
        ASSERT_EQ(run_to_end(plain, Direction::Decrypt, output, ".bin", "first", "second").outcome,
                  OperationOutcome::Succeeded)
            << change.name;
        EXPECT_EQ(read_file(output + ".bin"), files_at_hand.data) << change.name;
    }
}

}  // namespace
}  // namespace brisol
