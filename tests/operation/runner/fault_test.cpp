#include <gtest/gtest.h>

#include <functional>

#ifdef _WIN32
#include <winerror.h>
#else
#include <cerrno>
#endif

#include "../files/faulty_file_system.h"
#include "../test_files.h"
#include "platform.h"
#include "messages.h"

namespace brisol {
namespace {

using testing::FaultyFileSystem;
using testing::InputBesideOldOutput;
using testing::pattern_bytes;
using testing::read_file;
using testing::RecordingSink;
using testing::TempDir;
using testing::write_file;

// Errors to inject, as the platform numbers them.
#ifdef _WIN32
constexpr int kDenied = ERROR_ACCESS_DENIED;
constexpr int kIoError = ERROR_CRC;
constexpr int kNoSpace = ERROR_DISK_FULL;
constexpr int kOverQuota = ERROR_NOT_ENOUGH_QUOTA;
#else
constexpr int kDenied = EACCES;
constexpr int kIoError = EIO;
constexpr int kNoSpace = ENOSPC;
constexpr int kOverQuota = EDQUOT;
#endif

// Several buffers' worth, so that a failure can strike after a first success.
constexpr std::size_t kInputSize = 700 * 1024 + 77;

struct Fault {
    const char* name;
    std::function<void(FaultyFileSystem&)> inject;
    bool refused_at_start;
    // The message, given the input and output paths.
    std::function<std::string(const std::string&, const std::string&)> message;
};

const Fault kFaults[] = {
    {"input cannot be opened", [](FaultyFileSystem& f) { f.open_read_error = kDenied; }, true,
     [](const std::string& in, const std::string&) {
         return messages::file_error(messages::kCannotOpen, in, kDenied);
     }},
    {"output cannot be created", [](FaultyFileSystem& f) { f.create_error = kDenied; }, true,
     [](const std::string&, const std::string& out) {
         return messages::file_error(messages::kCannotCreate, out, kDenied);
     }},
    {"read error halfway",
     [](FaultyFileSystem& f) {
         f.read_error = kIoError;
         f.read_error_after_calls = 1;
     },
     false,
     [](const std::string& in, const std::string&) {
         return messages::file_error(messages::kCannotRead, in, kIoError);
     }},
    {"disk full halfway",
     [](FaultyFileSystem& f) {
         f.write_error = kNoSpace;
         f.write_error_after_calls = 1;
     },
     false,
     [](const std::string&, const std::string& out) {
         return messages::file_error(messages::kCannotWrite, out, kNoSpace);
     }},
    {"flush fails", [](FaultyFileSystem& f) { f.fsync_error = kIoError; }, false,
     [](const std::string&, const std::string& out) {
         return messages::file_error(messages::kCannotWrite, out, kIoError);
     }},
    {"close reports a late write error",
     [](FaultyFileSystem& f) { f.close_error_on_output = kOverQuota; }, false,
     [](const std::string&, const std::string& out) {
         return messages::file_error(messages::kCannotWrite, out, kOverQuota);
     }},
    {"rename fails", [](FaultyFileSystem& f) { f.rename_error = kDenied; }, false,
     [](const std::string&, const std::string& out) {
         return messages::file_error(messages::kCannotSave, out, kDenied);
     }},
    {"input ends before its size", [](FaultyFileSystem& f) { f.input_ends_after = kInputSize / 2; },
     false,
     [](const std::string& in, const std::string&) {
         return "Cannot read \"" + in + "\": The file changed size while it was read";
     }},
};

// The ways an output reaches its name: unnamed until done or under a hidden
// name, onto an existing file or a free name.
struct OutputWay {
    const char* name;
    bool unnamed;
    bool old_output;
};

const OutputWay kOutputWays[] = {
    {"unnamed, replacing", true, true},
    {"unnamed, new name", true, false},
    {"hidden name, replacing", false, true},
    {"hidden name, new name", false, false},
};

bool always(const OutputWay&) { return true; }

// Every file call an operation makes, failing at its first use or after a
// first success, with each of the errors a full, broken or locked disk gives.
struct FailingCall {
    const char* name;
    std::function<void(FaultyFileSystem&, int error)> inject;
    bool refused_at_start;
    std::string_view verb;
    bool names_input;  // else the message names the output
    bool (*made_on)(const OutputWay&) = always;
};

const FailingCall kFailingCalls[] = {
    {"open", [](FaultyFileSystem& f, int e) { f.open_read_error = e; }, true, "Cannot open", true},
    {"create", [](FaultyFileSystem& f, int e) { f.create_error = e; }, true, "Cannot create",
     false},
    {"first read", [](FaultyFileSystem& f, int e) { f.read_error = e; }, false, "Cannot read",
     true},
    {"read in the middle",
     [](FaultyFileSystem& f, int e) {
         f.read_error = e;
         f.read_error_after_calls = 1;
     },
     false, "Cannot read", true},
    {"first write", [](FaultyFileSystem& f, int e) { f.write_error = e; }, false, "Cannot write",
     false},
    {"write in the middle",
     [](FaultyFileSystem& f, int e) {
         f.write_error = e;
         f.write_error_after_calls = 1;
     },
     false, "Cannot write", false},
    // Written behind the pipeline, so the failure is known only after it ends.
    {"last write",
     [](FaultyFileSystem& f, int e) {
         f.write_error = e;
         f.write_error_after_calls = 2;
     },
     false, "Cannot write", false},
    {"fsync", [](FaultyFileSystem& f, int e) { f.fsync_error = e; }, false, "Cannot write", false},
    {"close", [](FaultyFileSystem& f, int e) { f.close_error_on_output = e; }, false,
     "Cannot write", false},
    {"rename", [](FaultyFileSystem& f, int e) { f.rename_error = e; }, false, "Cannot save", false,
     [](const OutputWay& way) { return !way.unnamed || way.old_output; }},
    {"hold", [](FaultyFileSystem& f, int e) { f.hold_error = e; }, true, "Cannot create", false},
    {"give a name", [](FaultyFileSystem& f, int e) { f.give_name_error = e; }, false, "Cannot save",
     false, [](const OutputWay& way) { return way.unnamed; }},
};

constexpr int kInjectedErrors[] = {kIoError, kNoSpace, kDenied};

void expect_reported_without_trace(const OutputWay& way, const FailingCall& call, int error) {
    const std::string name =
        std::string{way.name} + " / " + call.name + " / " + platform::reason(error);
    const InputBesideOldOutput files_at_hand(kInputSize, way.old_output);
    const std::string& input = files_at_hand.input;
    const std::string& output = files_at_hand.output;

    FaultyFileSystem files;
    files.unnamed_unsupported = !way.unnamed;
    call.inject(files, error);
    OperationRunner runner(files);
    RecordingSink sink;
    const StartResult started = runner.start(Direction::Crypt, input, "p1", "p2", "", sink);
    runner.wait();

    const std::string expected =
        messages::file_error(call.verb, call.names_input ? input : output, error);
    if (call.refused_at_start) {
        EXPECT_FALSE(started.started) << name;
        EXPECT_EQ(started.message, expected) << name;
        EXPECT_TRUE(sink.completions.empty()) << name;
    } else {
        ASSERT_TRUE(started.started) << name;
        ASSERT_EQ(sink.completions.size(), 1u) << name;
        EXPECT_EQ(sink.completions[0].outcome, OperationOutcome::Failed) << name;
        EXPECT_EQ(sink.completions[0].message, expected) << name;
    }
    files_at_hand.expect_left_as_found(name);
}

TEST(RunnerFaults, EveryCallFailingWithEveryErrorIsReportedAndLeavesNoTrace) {
    for (const OutputWay& way : kOutputWays)
        for (const FailingCall& call : kFailingCalls)
            if (call.made_on(way))
                for (const int error : kInjectedErrors)
                    expect_reported_without_trace(way, call, error);
}

TEST(RunnerFaults, AreReportedAndLeaveNoTrace) {
    for (const Fault& fault : kFaults) {
        const InputBesideOldOutput files_at_hand(kInputSize);
        const std::string& input = files_at_hand.input;
        const std::string& output = files_at_hand.output;

        FaultyFileSystem files;
        fault.inject(files);
        OperationRunner runner(files);
        RecordingSink sink;
        const StartResult started = runner.start(Direction::Crypt, input, "p1", "p2", "", sink);
        runner.wait();

        const std::string expected = fault.message(input, output);
        if (fault.refused_at_start) {
            EXPECT_FALSE(started.started) << fault.name;
            EXPECT_EQ(started.message, expected) << fault.name;
            EXPECT_TRUE(sink.completions.empty()) << fault.name;
        } else {
            ASSERT_TRUE(started.started) << fault.name;
            ASSERT_EQ(sink.completions.size(), 1u) << fault.name;
            EXPECT_EQ(sink.completions[0].outcome, OperationOutcome::Failed) << fault.name;
            EXPECT_EQ(sink.completions[0].message, expected) << fault.name;
            EXPECT_EQ(sink.completions[0].output_path, output) << fault.name;
        }
        EXPECT_FALSE(runner.busy()) << fault.name;
        files_at_hand.expect_left_as_found(fault.name);
    }
}

struct AwkwardFiles {
    const char* name;
    std::function<void(FaultyFileSystem&)> configure;
};

const AwkwardFiles kAwkwardFiles[] = {
    {"short reads", [](FaultyFileSystem& f) { f.max_read = 1000; }},
    {"one short read in the middle",
     [](FaultyFileSystem& f) {
         f.short_read_call = 1;
         f.short_read_bytes = 100;
     }},
    {"partial writes", [](FaultyFileSystem& f) { f.max_write = 777; }},
    {"interrupted calls", [](FaultyFileSystem& f) { f.interrupt_every_other_call = true; }},
};

// Both directions, so that Decrypt's GOST layer, removed where the input is
// read, meets buffers cut anywhere.
TEST(RunnerFaults, ShortAndInterruptedTransfersChangeNoByte) {
    TempDir dir;
    const std::string input = dir.file("data.bin");
    write_file(input, pattern_bytes(kInputSize));
    OperationRunner plain;
    ASSERT_EQ(testing::run_to_end(plain, Direction::Crypt, input).outcome,
              OperationOutcome::Succeeded);
    const std::string expected = read_file(input + ".bsl");

    for (const bool unnamed : {true, false}) {
        for (const AwkwardFiles& awkward : kAwkwardFiles) {
            for (const Direction direction : {Direction::Crypt, Direction::Decrypt}) {
                const bool crypt = direction == Direction::Crypt;
                const std::string name = std::string{awkward.name} +
                                         (unnamed ? "" : " / hidden name") +
                                         (crypt ? "" : " / decrypt");
                const std::string from = crypt ? input : input + ".bsl";
                const std::string to = crypt ? input + ".bsl" : input + ".bsl.src";
                std::filesystem::remove(to);
                std::filesystem::remove(input + ".bsl.src");
                FaultyFileSystem files;
                files.unnamed_unsupported = !unnamed;
                awkward.configure(files);
                OperationRunner runner(files);
                const OperationResult result = testing::run_to_end(runner, direction, from, ".src");
                EXPECT_EQ(result.outcome, OperationOutcome::Succeeded) << name << result.message;
                EXPECT_EQ(read_file(to), crypt ? expected : read_file(input)) << name;
                const std::set<std::string> left =
                    crypt ? std::set<std::string>{"data.bin", "data.bin.bsl"}
                          : std::set<std::string>{"data.bin", "data.bin.bsl", "data.bin.bsl.src"};
                EXPECT_EQ(dir.names(), left) << name;
            }
        }
    }
}

}  // namespace
}  // namespace brisol
