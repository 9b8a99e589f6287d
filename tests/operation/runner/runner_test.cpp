#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <cstring>
#include <functional>
#include <thread>

#include "../../cipher/cipher_test_support.h"
#include "../held_crypt.h"
#include "../test_files.h"
#include "kernels.h"
#include "platform.h"
#include "messages.h"
#include "progress_throttle.h"

namespace brisol {
namespace {

using testing::HeldCrypt;
using testing::pattern_bytes;
using testing::read_file;
using testing::RecordingSink;
using testing::run_to_end;
using testing::TempDir;
using testing::write_file;

// Crosses the 256 KiB buffer, ends in a tail shorter than a chunk.
constexpr std::size_t kLargeSize = 600 * 1024 + 300;

class RunnerTest : public ::testing::Test {
protected:
    RunnerTest() : input(dir.file("report.txt")), data(pattern_bytes(kLargeSize)) {
        write_file(input, data);
    }

    TempDir dir;
    std::string input;
    std::string data;
    OperationRunner runner;
};

TEST_F(RunnerTest, CryptThenDecryptRestoresTheFile) {
    RecordingSink sink;
    ASSERT_TRUE(runner.start(Direction::Crypt, input, "first", "second", ".src", sink).started);
    runner.wait();
    ASSERT_EQ(sink.completions.size(), 1u);
    const OperationResult& crypted = sink.completions[0];
    EXPECT_EQ(crypted.outcome, OperationOutcome::Succeeded);
    EXPECT_EQ(crypted.message, "");
    EXPECT_EQ(crypted.output_path, input + ".bsl");
    EXPECT_EQ(crypted.bytes_done, data.size());
    ASSERT_FALSE(sink.progress.empty());
    EXPECT_EQ(sink.progress.back(),
              std::make_pair(std::uint64_t{data.size()}, std::uint64_t{data.size()}));

    const std::string encrypted = read_file(input + ".bsl");
    EXPECT_EQ(encrypted.size(), data.size());
    EXPECT_NE(encrypted, data);
    EXPECT_EQ(read_file(input), data);

    const OperationResult decrypted =
        run_to_end(runner, Direction::Decrypt, input + ".bsl", ".out");
    EXPECT_EQ(decrypted.outcome, OperationOutcome::Succeeded) << decrypted.message;
    EXPECT_EQ(read_file(input + ".bsl.out"), data);
    EXPECT_EQ(dir.names(),
              (std::set<std::string>{"report.txt", "report.txt.bsl", "report.txt.bsl.out"}));
}

// A file's first layer is done where it is read, the second in the pipeline;
// around every buffer and chunk edge the bytes must be the reference code's.
TEST_F(RunnerTest, FilesGetTheReferenceBytesAtEveryBufferAndChunkEdge) {
    constexpr std::size_t kBuffer = ChunkBuffer::kDefaultChunks * kChunkSize;
    const std::size_t lengths[] = {1,           511,     512,           513,
                                   kBuffer - 1, kBuffer, kBuffer + 512, kLargeSize};
    const test::Passwords passwords{"first", "second"};
    for (const std::size_t length : lengths) {
        for (const Direction direction : {Direction::Crypt, Direction::Decrypt}) {
            SCOPED_TRACE(::testing::Message()
                         << length << (direction == Direction::Crypt ? " crypt" : " decrypt"));
            const test::Bytes bytes = test::test_bytes(length, static_cast<std::uint32_t>(length));
            write_file(input, std::string(bytes.begin(), bytes.end()));
            const test::Bytes want = test::run_pipeline(direction, bytes, passwords,
                                                        {.kernels = &supported_kernels().front()});
            ASSERT_EQ(run_to_end(runner, direction, input, ".out").outcome,
                      OperationOutcome::Succeeded);
            EXPECT_TRUE(read_file(input + (direction == Direction::Crypt ? ".bsl" : ".out")) ==
                        std::string(want.begin(), want.end()));
        }
    }
}

TEST_F(RunnerTest, EmptyInputGivesEmptyOutput) {
    write_file(input, "");
    EXPECT_EQ(run_to_end(runner, Direction::Crypt, input).outcome, OperationOutcome::Succeeded);
    EXPECT_TRUE(std::filesystem::exists(input + ".bsl"));
    EXPECT_EQ(read_file(input + ".bsl"), "");
}

TEST_F(RunnerTest, ReplacesAnExistingOutput) {
    write_file(input + ".bsl", "older contents");
    EXPECT_EQ(run_to_end(runner, Direction::Crypt, input).outcome, OperationOutcome::Succeeded);
    EXPECT_EQ(read_file(input + ".bsl").size(), data.size());
}

TEST_F(RunnerTest, SameOperationTwiceWritesTheSameFile) {
    ASSERT_EQ(run_to_end(runner, Direction::Crypt, input).outcome, OperationOutcome::Succeeded);
    const std::string first = read_file(input + ".bsl");
    ASSERT_EQ(run_to_end(runner, Direction::Crypt, input).outcome, OperationOutcome::Succeeded);
    EXPECT_EQ(read_file(input + ".bsl"), first);

    OperationRunner fresh_process;
    ASSERT_EQ(run_to_end(fresh_process, Direction::Crypt, input).outcome,
              OperationOutcome::Succeeded);
    EXPECT_EQ(read_file(input + ".bsl"), first);
}

// Windows has its own ways of refusing access and of reaching long paths, and
// drops trailing dots from names (win32_file_system_test.cpp and the
// refusals below).
#ifndef _WIN32
TEST_F(RunnerTest, ReadOnlyInputIsReadAndLeftAlone) {
    ASSERT_EQ(::chmod(input.c_str(), 0400), 0);
    EXPECT_EQ(run_to_end(runner, Direction::Crypt, input).outcome, OperationOutcome::Succeeded);
    ASSERT_EQ(::chmod((input + ".bsl").c_str(), 0400), 0);
    EXPECT_EQ(run_to_end(runner, Direction::Decrypt, input + ".bsl").outcome,
              OperationOutcome::Succeeded);
    EXPECT_EQ(read_file(input + ".bsl.src"), data);
    struct stat st {};
    ASSERT_EQ(::stat(input.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0400u);
    EXPECT_EQ(read_file(input), data);
}

TEST_F(RunnerTest, EmptyExtensionGivesATrailingDot) {
    EXPECT_EQ(run_to_end(runner, Direction::Decrypt, input, "").outcome,
              OperationOutcome::Succeeded);
    EXPECT_TRUE(std::filesystem::exists(input + "."));
}

TEST_F(RunnerTest, PathsLongerThanAnyFixedStoreWork) {
    std::filesystem::path deep = dir.path();
    for (int i = 0; i < 12; ++i) deep /= std::string(60, static_cast<char>('a' + i));
    std::filesystem::create_directories(deep);
    const std::string long_input = (deep / std::string(200, 'f')).string();
    ASSERT_GT(long_input.size(), 900u);
    write_file(long_input, "short text");
    EXPECT_EQ(run_to_end(runner, Direction::Crypt, long_input).outcome,
              OperationOutcome::Succeeded);
    EXPECT_EQ(read_file(long_input + ".bsl").size(), 10u);
}
#endif

struct Refusal {
    const char* name;
    // Prepares the directory; returns the message start() must give.
    std::function<std::string(const TempDir&, std::string& path, std::string& password,
                              std::string& extension, OperationRunner&)>
        arrange;
};

const Refusal kRefusals[] = {
    {"empty current path",
     [](const TempDir&, std::string& path, std::string&, std::string&, OperationRunner&) {
         path.clear();
         return std::string{messages::kNoFileChosen};
     }},
    {"missing input",
     [](const TempDir& dir, std::string& path, std::string&, std::string&, OperationRunner&) {
         path = dir.file("absent.txt");
         return messages::file_error(messages::kCannotOpen, path, platform::kErrorNotFound);
     }},
    {"input is a directory",
     [](const TempDir& dir, std::string& path, std::string&, std::string&, OperationRunner&) {
         path = dir.file("folder");
         std::filesystem::create_directory(path);
         return messages::file_error(messages::kCannotOpen, path, platform::kErrorIsDirectory);
     }},
    {"output name is a directory",
     [](const TempDir&, std::string& path, std::string&, std::string&, OperationRunner&) {
         std::filesystem::create_directory(path + ".src");
         return messages::file_error(messages::kCannotCreate, path + ".src",
                                     platform::kErrorIsDirectory);
     }},
#ifdef _WIN32
    // Windows drops trailing dots and spaces from a name, so these name the
    // input itself.
    {"empty extension: a trailing dot",
     [](const TempDir&, std::string& path, std::string&, std::string& extension, OperationRunner&) {
         extension = "";
         return messages::same_file(path + ".", path);
     }},
    {"extension of a dot and spaces",
     [](const TempDir&, std::string& path, std::string&, std::string& extension, OperationRunner&) {
         extension = ".  ";
         return messages::same_file(path + ".  ", path);
     }},
    {"extension naming a stream of the input",
     [](const TempDir&, std::string&, std::string&, std::string& extension, OperationRunner&) {
         extension = ".:x";
         return std::string{messages::kExtensionHasSlash};
     }},
    {"extension with a backslash",
     [](const TempDir&, std::string&, std::string&, std::string& extension, OperationRunner&) {
         extension = ".\\x";
         return std::string{messages::kExtensionHasSlash};
     }},
#else
    // Windows refuses control characters in names, and lets only privileged
    // users make symbolic links.
    {"name with control characters, found by itself and shown escaped",
     [](const TempDir& dir, std::string& path, std::string&, std::string&, OperationRunner&) {
         path = dir.file("x\033[31mRED\nline2");
         write_file(path, "x");
         std::filesystem::create_directory(path + ".src");
         return "Cannot create \"" + dir.file("x\\033[31mRED\\nline2.src") + "\": Is a directory";
     }},
    {"output name is a symbolic link to the input",
     [](const TempDir&, std::string& path, std::string&, std::string&, OperationRunner&) {
         std::filesystem::create_symlink(path, path + ".src");
         return messages::same_file(path + ".src", path);
     }},
    {"output name is a symbolic link to a folder",
     [](const TempDir& dir, std::string& path, std::string&, std::string&, OperationRunner&) {
         std::filesystem::create_directory(dir.file("folder"));
         std::filesystem::create_symlink("folder", path + ".src");
         return messages::file_error(messages::kCannotCreate, path + ".src",
                                     platform::kErrorIsDirectory);
     }},
    {"output name is a socket",
     [](const TempDir&, std::string& path, std::string&, std::string&, OperationRunner&) {
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         const std::string name = path + ".src";
         std::strncpy(address.sun_path, name.c_str(), sizeof address.sun_path - 1);
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0)
             << name;
         ::close(fd);
         return messages::file_error(messages::kCannotCreate, name, messages::kIsSocket);
     }},
#endif
    {"output name is a hard link to the input",
     [](const TempDir&, std::string& path, std::string&, std::string&, OperationRunner&) {
         std::filesystem::create_hard_link(path, path + ".src");
         return messages::same_file(path + ".src", path);
     }},
    {"extension leaving the input's directory",
     [](const TempDir&, std::string&, std::string&, std::string& extension, OperationRunner&) {
         extension = "./x";
         return std::string{messages::kExtensionHasSlash};
     }},
    {"password character the code page lacks",
     [](const TempDir&, std::string&, std::string& password, std::string&,
        OperationRunner& runner) {
         runner.set_codepage("CP1251");
         password = "café";
         return messages::password_unrepresentable(1, "CP1251");
     }},
    {"password with a zero byte",
     [](const TempDir&, std::string&, std::string& password, std::string&, OperationRunner&) {
         password = std::string{"pass\0word", 9};
         return messages::password_has_zero_byte(1);
     }},
};

TEST(RunnerRefusal, LeavesEveryFileAsItWas) {
    for (const Refusal& refusal : kRefusals) {
        TempDir dir;
        std::string path = dir.file("report.txt");
        const std::string data = pattern_bytes(5000);
        write_file(path, data);
        std::string password = "first";
        std::string extension = ".src";
        OperationRunner runner;
        const std::string expected = refusal.arrange(dir, path, password, extension, runner);
        const std::set<std::string> before = dir.names();

        RecordingSink sink;
        const StartResult started =
            runner.start(Direction::Decrypt, path, password, "second", extension, sink);
        runner.wait();
        EXPECT_FALSE(started.started) << refusal.name;
        EXPECT_EQ(started.message, expected) << refusal.name;
        EXPECT_TRUE(sink.completions.empty()) << refusal.name;
        EXPECT_EQ(dir.names(), before) << refusal.name;
        EXPECT_EQ(read_file(dir.file("report.txt")), data) << refusal.name;
    }
}

#ifndef _WIN32
TEST_F(RunnerTest, PermissionDeniedIsReported) {
    if (::geteuid() == 0) GTEST_SKIP() << "permission checks do not apply to root";
    ASSERT_EQ(::chmod(input.c_str(), 0), 0);
    RecordingSink sink;
    StartResult started = runner.start(Direction::Crypt, input, "a", "b", "", sink);
    EXPECT_EQ(started.message, "Cannot open \"" + input + "\": Permission denied");
    ASSERT_EQ(::chmod(input.c_str(), 0600), 0);

    ASSERT_EQ(::chmod(dir.path().c_str(), 0500), 0);
    started = runner.start(Direction::Crypt, input, "a", "b", "", sink);
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(started.message, "Cannot create \"" + input + ".bsl\": Permission denied");
    EXPECT_EQ(dir.names(), std::set<std::string>{"report.txt"});
}

// A FIFO's reader may come late: the output waits for it, a cancel ends the
// wait, and the FIFO stays a FIFO either way.
TEST_F(RunnerTest, AFifoAtTheOutputNameIsWrittenWhereItIsOnceItHasAReader) {
    const std::string fifo = input + ".bsl";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    RecordingSink waiting;
    ASSERT_TRUE(runner.start(Direction::Crypt, input, "first", "second", "", waiting).started);
    runner.cancel();
    runner.wait();
    ASSERT_EQ(waiting.completions.size(), 1u);
    EXPECT_EQ(waiting.completions[0].outcome, OperationOutcome::Cancelled);

    std::string received;
    std::thread reader([&] { received = read_file(fifo); });
    const OperationResult written = run_to_end(runner, Direction::Crypt, input);
    reader.join();
    EXPECT_EQ(written.outcome, OperationOutcome::Succeeded) << written.message;
    struct stat st {};
    EXPECT_TRUE(::stat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    std::filesystem::remove(fifo);
    ASSERT_EQ(run_to_end(runner, Direction::Crypt, input).outcome, OperationOutcome::Succeeded);
    EXPECT_TRUE(read_file(fifo) == received) << "the FIFO's reader got what a file gets";
}

// The descriptor is the caller's: each run writes through it where it stands
// and leaves it open for the next.
TEST_F(RunnerTest, ADescriptorNamedAsAFileIsWrittenThroughAndLeftOpen) {
    ASSERT_EQ(run_to_end(runner, Direction::Crypt, input).outcome, OperationOutcome::Succeeded);
    const std::string reference = read_file(input + ".bsl");
    const std::string through = dir.file("through");
    const int fd = ::open(through.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    StartRequest request =
        StartRequest::beside_input(Direction::Crypt, input, "first", "second", "");
    request.output_path = "/dev/fd/" + std::to_string(fd);
    for (int run = 0; run < 2; ++run) {
        RecordingSink sink;
        ASSERT_TRUE(runner.start(request, sink).started);
        runner.wait();
        ASSERT_EQ(sink.completions.size(), 1u);
        EXPECT_EQ(sink.completions[0].outcome, OperationOutcome::Succeeded)
            << sink.completions[0].message;
        EXPECT_NE(::fcntl(fd, F_GETFD), -1) << "run " << run << " closed the caller's descriptor";
    }
    ::close(fd);
    EXPECT_TRUE(read_file(through) == reference + reference);
}
#endif

TEST_F(RunnerTest, SecondStartWhileRunningIsRefused) {
    HeldCrypt held(input);
    ASSERT_TRUE(held.started.started) << held.started.message;

    const std::string other = dir.file("other.txt");
    write_file(other, "other");
    RecordingSink second;
    const StartResult refused = held.runner.start(Direction::Crypt, other, "x", "y", "", second);
    EXPECT_FALSE(refused.started);
    EXPECT_EQ(refused.message, messages::kBusy);
    EXPECT_TRUE(held.runner.busy());

    held.release_and_wait();
    EXPECT_FALSE(held.runner.busy());
    ASSERT_EQ(held.sink.completions.size(), 1u);
    EXPECT_EQ(held.sink.completions[0].outcome, OperationOutcome::Succeeded);
    EXPECT_TRUE(second.completions.empty());
    EXPECT_FALSE(std::filesystem::exists(other + ".bsl"));

    const std::string written = read_file(input + ".bsl");
    ASSERT_EQ(run_to_end(runner, Direction::Crypt, input).outcome, OperationOutcome::Succeeded);
    EXPECT_EQ(read_file(input + ".bsl"), written);
}

TEST_F(RunnerTest, StartIsAcceptedWhileTheLastCompletionIsShown) {
    RecordingSink first;
    first.hold_completion = true;
    ASSERT_TRUE(runner.start(Direction::Crypt, input, "first", "second", "", first).started);
    first.await_completion();
    EXPECT_FALSE(runner.busy());

    RecordingSink second;
    EXPECT_TRUE(runner.start(Direction::Decrypt, input + ".bsl", "first", "second", ".out", second)
                    .started);
    first.release();
    runner.wait();
    ASSERT_EQ(second.completions.size(), 1u);
    EXPECT_EQ(second.completions[0].outcome, OperationOutcome::Succeeded);
    EXPECT_EQ(read_file(input + ".bsl.out"), data);
}

TEST_F(RunnerTest, CancelRemovesTheTemporaryFileAndKeepsTheOldOutput) {
    write_file(input + ".bsl", "older contents");
    HeldCrypt held(input);
    ASSERT_TRUE(held.started.started) << held.started.message;
    held.runner.cancel();
    held.release_and_wait();

    const RecordingSink& sink = held.sink;
    ASSERT_EQ(sink.completions.size(), 1u);
    EXPECT_EQ(sink.completions[0].outcome, OperationOutcome::Cancelled);
    EXPECT_EQ(sink.completions[0].message, messages::cancelled(input + ".bsl"));
    EXPECT_EQ(read_file(input + ".bsl"), "older contents");
    EXPECT_EQ(dir.names(), (std::set<std::string>{"report.txt", "report.txt.bsl"}));
}

TEST(ProgressThrottle, AllowsOneReportPerInterval) {
    using namespace std::chrono_literals;
    const auto t0 = ProgressThrottle::Clock::time_point{};
    ProgressThrottle throttle(t0, 200ms);
    EXPECT_FALSE(throttle.due(t0 + 100ms));
    EXPECT_TRUE(throttle.due(t0 + 200ms));
    EXPECT_FALSE(throttle.due(t0 + 399ms));
    EXPECT_TRUE(throttle.due(t0 + 400ms));
}

}  // namespace
}  // namespace brisol
