// brisol-cli as a process among others: killed halfway, held to a file size
// limit, suspended or ended by a signal at its password prompt.

#include <fcntl.h>
#include <poll.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "../operation/test_files.h"

namespace brisol {
namespace {

using testing::InputBesideOldOutput;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

// Polls for a state a process reaches on its own; the bound only keeps a
// broken build from hanging the suite.
template <typename Condition>
bool eventually(Condition condition) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > give_up) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

struct Spawn {
    std::vector<std::string> args;
    std::string stdin_text = "pw1\npw2\n";
    int terminal = -1;  // else standard input, output and error are files
    std::optional<rlim_t> file_size_limit = std::nullopt;
};

constexpr const char* kStreamFiles[] = {".stdin", ".stdout", ".stderr"};

// Starts brisol-cli in its own process group in dir, reading stdin_text from
// dir/.stdin and writing to dir/.stdout and dir/.stderr.
pid_t spawn_cli(const TempDir& dir, const Spawn& spawn) {
    write_file(dir.file(".stdin"), spawn.stdin_text);
    std::vector<std::string> args = spawn.args;
    args.insert(args.begin(), BRISOL_CLI_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string folder = dir.path().string();

    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // Only async-signal-safe calls from here on.
    ::setpgid(0, 0);
    ::signal(SIGXFSZ, SIG_DFL);
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    if (spawn.terminal >= 0) {
        for (const int fd : {0, 1, 2}) ::dup2(spawn.terminal, fd);
    } else {
        ::dup2(::open(".stdin", O_RDONLY), 0);
        ::dup2(::open(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        ::dup2(::open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    }
    // The signals these tests send leave no core file.
    const rlimit no_core{0, 0};
    ::setrlimit(RLIMIT_CORE, &no_core);
    if (spawn.file_size_limit) {
        const rlimit limit{*spawn.file_size_limit, *spawn.file_size_limit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

std::string link_target(const std::filesystem::path& link) {
    std::error_code ignored;
    return std::filesystem::read_symlink(link, ignored).string();
}

// What the process holds open in dir: "unnamed" for a file that has no name
// yet, "hidden" for one of the hidden names, empty for neither.
std::string output_held_by(pid_t pid, const TempDir& dir) {
    std::error_code ignored;
    const std::string folder = dir.path().string() + "/";
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ignored)) {
        const std::string target = link_target(entry.path());
        if (!target.starts_with(folder)) continue;
        const std::string name = target.substr(folder.size());
        if (name.starts_with("#") && name.ends_with(" (deleted)")) return "unnamed";
        if (name.starts_with(".brisol-")) return "hidden";
    }
    return {};
}

void remove_stream_files(const TempDir& dir) {
    for (const char* name : kStreamFiles) std::filesystem::remove(dir.file(name));
}

int exit_status(pid_t pid) {
    int raw = 0;
    if (::waitpid(pid, &raw, 0) != pid) return -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

TEST(CliProcess, KilledHalfwayLeavesNothingBehind) {
    // Long enough to be caught halfway on any machine: the run takes a second
    // or more, and the kill comes as soon as the output is open.
    InputBesideOldOutput files_at_hand(0);
    const TempDir& dir = files_at_hand.dir;
    std::filesystem::resize_file(files_at_hand.input, 64u << 20);
    const pid_t pid = spawn_cli(dir, {.args = {"crypt", "data.bin"}});
    std::string way;
    const bool caught = eventually([&] {
        way = output_held_by(pid, dir);
        if (way.empty()) return ::waitpid(pid, nullptr, WNOHANG) != 0;
        // Stopped, the process cannot name its output while it is looked at.
        ::kill(pid, SIGSTOP);
        int raw = 0;
        ::waitpid(pid, &raw, WUNTRACED);
        if (output_held_by(pid, dir) == way &&
            read_file(files_at_hand.output) == InputBesideOldOutput::kOldContents)
            return true;
        ::kill(pid, SIGCONT);
        return false;
    });
    ASSERT_TRUE(caught && !way.empty()) << "the run ended before it could be killed";
    ::kill(pid, SIGKILL);
    EXPECT_EQ(exit_status(pid), 128 + SIGKILL);
    remove_stream_files(dir);
    if (way == "unnamed") {
        EXPECT_EQ(dir.names(), (std::set<std::string>{"data.bin", "data.bin.bsl"}));
    }
    // On a file system without unnamed files the hidden file stays until
    // the next run in the folder.
    write_file(dir.file("small"), "x");
    EXPECT_EQ(exit_status(spawn_cli(dir, {.args = {"crypt", "small"}})), 0);
    remove_stream_files(dir);
    EXPECT_EQ(dir.names(),
              (std::set<std::string>{"data.bin", "data.bin.bsl", "small", "small.bsl"}));
    EXPECT_EQ(read_file(files_at_hand.output), InputBesideOldOutput::kOldContents);
}

TEST(CliProcess, FileSizeLimitIsAWriteFailure) {
    const InputBesideOldOutput files_at_hand(700 * 1024 + 77);
    const TempDir& dir = files_at_hand.dir;
    // Not killed by SIGXFSZ: the failed write is reported.
    EXPECT_EQ(
        exit_status(spawn_cli(dir, {.args = {"crypt", "data.bin"}, .file_size_limit = 300 * 1024})),
        1);
    EXPECT_EQ(read_file(dir.file(".stderr")),
              "brisol-cli: Cannot write \"data.bin.bsl\": File too large\n");
    remove_stream_files(dir);
    files_at_hand.expect_left_as_found("file size limit");
}

bool echo_on(int terminal) {
    termios settings{};
    return ::tcgetattr(terminal, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
}

// The far end of a terminal: what the program showed on it so far, and what
// the user types.
class Keyboard {
public:
    explicit Keyboard(int master) : master_(master) {}

    void type(const std::string& line) {
        ASSERT_EQ(::write(master_, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    }
    const std::string& shown() {
        char buffer[256];
        pollfd ready{master_, POLLIN, 0};
        while (::poll(&ready, 1, 0) == 1) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) break;
            shown_.append(buffer, static_cast<std::size_t>(n));
        }
        return shown_;
    }

private:
    int master_;
    std::string shown_;
};

// Whatever signal comes at the prompt, the terminal ends as it was found: a
// shell that does not restore it itself would be left without echo.
TEST(CliProcess, ASignalAtThePromptGivesTheTerminalBackWithEcho) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "ThreadSanitizer holds a signal that arrives during a blocked read until the "
                    "read returns, so the program cannot stop or end at its prompt";
#endif
    for (const int signal_number : {SIGTSTP, SIGQUIT, SIGHUP, SIGTERM, SIGUSR1}) {
        SCOPED_TRACE(signal_number);
        TempDir dir;
        write_file(dir.file("note"), "a note");
        int master = -1;
        int terminal = -1;
        ASSERT_EQ(::openpty(&master, &terminal, nullptr, nullptr, nullptr), 0);
        // decrypt asks for each password once.
        const pid_t pid = spawn_cli(dir, {.args = {"decrypt", "note"}, .terminal = terminal});
        ASSERT_TRUE(eventually([&] { return !echo_on(terminal); })) << "echo was never turned off";
        Keyboard keyboard(master);
        ASSERT_TRUE(eventually([&] { return keyboard.shown().ends_with("PASSWORD-1: "); }));

        ::kill(pid, signal_number);
        if (signal_number != SIGTSTP) {
            EXPECT_EQ(exit_status(pid), 128 + signal_number);
            EXPECT_TRUE(echo_on(terminal)) << "the shell would get a terminal without echo";
        } else {
            int raw = 0;
            ASSERT_EQ(::waitpid(pid, &raw, WUNTRACED), pid);
            EXPECT_TRUE(WIFSTOPPED(raw));
            EXPECT_TRUE(echo_on(terminal)) << "the shell would get a terminal without echo";

            ::kill(pid, SIGCONT);
            EXPECT_TRUE(eventually([&] { return !echo_on(terminal); }))
                << "the password would be shown";
            EXPECT_TRUE(eventually([&] { return keyboard.shown() == "PASSWORD-1: PASSWORD-1: "; }))
                << "the prompt shows again: " << keyboard.shown();
            // Each prompt discards what was typed ahead of it, so each line
            // waits for its prompt.
            keyboard.type("pw1\n");
            ASSERT_TRUE(eventually([&] { return keyboard.shown().ends_with("PASSWORD-2: "); }));
            ASSERT_TRUE(eventually([&] { return !echo_on(terminal); }));
            keyboard.type("pw2\n");
            EXPECT_EQ(exit_status(pid), 0);
            EXPECT_TRUE(echo_on(terminal));
            EXPECT_EQ(read_file(dir.file("note.src")).size(), 6u);
        }
        remove_stream_files(dir);
        ::close(master);
        ::close(terminal);
    }
}

}  // namespace
}  // namespace brisol
