// brisol-cli on a pseudo-terminal: the password prompts, the refusal to put
// encrypted bytes on a terminal, and Ctrl-C.

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <fstream>
#include <string>
#include <vector>

#include "cli_run.h"

namespace brisol {
namespace {

using testing::TempDir;
using testing::cli_command;
using testing::pattern_bytes;
using testing::read_file;
using testing::run_cli;
using testing::write_file;

constexpr auto kPatience = std::chrono::seconds(20);

// A shell command run with a pseudo-terminal as its controlling terminal and
// as its standard input, output and error.
class TerminalSession {
public:
    TerminalSession(const TempDir& dir, const std::string& command) {
        pid_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            ::signal(SIGPIPE, SIG_DFL);  // see blocks_interrupts()
            const std::string script = "cd " + testing::quoted(dir.path().string()) + " && exec " + command;
            ::execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~TerminalSession() {
        if (status_ < 0 && pid_ > 0) {
            ::kill(pid_, SIGKILL);
            finish();
        }
        if (master_ >= 0) ::close(master_);
    }

    // Reads until `text` has appeared since the last call; false on a timeout
    // or the end of the session.
    bool expect(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (unread_.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline || !read_some()) return false;
        }
        unread_.erase(0, unread_.find(text) + text.size());
        return true;
    }
    void type(const std::string& text) { (void)!::write(master_, text.data(), text.size()); }

    // Everything shown until the command ended, and its exit status (-1 when
    // a signal ended it).
    int finish() {
        while (read_some()) {
        }
        int raw = 0;
        ::waitpid(pid_, &raw, 0);
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return status_;
    }
    const std::string& shown() const { return shown_; }
    pid_t pid() const { return pid_; }

private:
    bool read_some() {
        pollfd watched{master_, POLLIN, 0};
        if (::poll(&watched, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count())) <= 0)
            return false;
        char buffer[512];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) return false;  // EIO once the last holder of the terminal is gone
        unread_.append(buffer, static_cast<std::size_t>(n));
        shown_.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    int master_ = -1;
    pid_t pid_ = -1;
    int status_ = -1;
    std::string unread_;
    std::string shown_;
};

// What is typed after each prompt.
struct Exchange {
    const char* prompt;
    const char* typed;
};

struct PromptCase {
    const char* source;
    std::string command;  // brisol-cli's arguments and redirections
    std::vector<Exchange> dialogue;
    int status;
    const char* last_words;  // shown at the end, or nullptr
    bool writes;             // true when "out" must decrypt with pw1 and pw2
};

const PromptCase kPromptCases[] = {
    {"crypt asks for each password twice",
     "crypt -o out some.file",
     {{"PASSWORD-1: ", "pw1"}, {"Repeat PASSWORD-1: ", "pw1"}, {"PASSWORD-2: ", "pw2"},
      {"Repeat PASSWORD-2: ", "pw2"}},
     0, nullptr, true},
    {"a repeat that differs asks that password again",
     "crypt -o out some.file",
     {{"PASSWORD-1: ", "pw1"}, {"Repeat PASSWORD-1: ", "pw1"}, {"PASSWORD-2: ", "pw2"},
      {"Repeat PASSWORD-2: ", "pw3"}, {"The two entries differ; type PASSWORD-2 again.\r\n", ""},
      {"PASSWORD-2: ", "pw2"}, {"Repeat PASSWORD-2: ", "pw2"}},
     0, nullptr, true},
    {"three differing repeats write nothing",
     "crypt -o out some.file",
     {{"PASSWORD-1: ", "a"}, {"Repeat PASSWORD-1: ", "b"}, {"PASSWORD-1: ", "a"},
      {"Repeat PASSWORD-1: ", "c"}, {"PASSWORD-1: ", "a"}, {"Repeat PASSWORD-1: ", "d"}},
     1, "the two entries of a password differed three times; nothing was written", false},
    {"data on standard input, passwords from the terminal",
     "crypt - -o out <some.file.bsl.src",
     {{"PASSWORD-1: ", "pw1"}, {"Repeat PASSWORD-1: ", "pw1"}, {"PASSWORD-2: ", "pw2"},
      {"Repeat PASSWORD-2: ", "pw2"}},
     0, nullptr, true},
    {"decrypt asks once", "decrypt -o out some.file",
     {{"PASSWORD-1: ", "x"}, {"PASSWORD-2: ", "y"}}, 0, nullptr, false},
    {"no encrypted bytes on a terminal", "crypt --password-file keys - <some.file", {}, 1,
     "standard output is a terminal; nothing was written", false},
};

TEST(Terminal, PromptsAndRefusals) {
    for (const PromptCase& c : kPromptCases) {
        TempDir dir;
        const std::string data = pattern_bytes(2000);
        write_file(dir.file("some.file"), data);
        write_file(dir.file("some.file.bsl.src"), data);
        write_file(dir.file("keys"), "pw1\npw2\n");
        TerminalSession session(dir, cli_command({}) + " " + c.command);
        for (const Exchange& step : c.dialogue) {
            ASSERT_TRUE(session.expect(step.prompt)) << c.source << ": " << session.shown();
            if (*step.typed != '\0') session.type(std::string{step.typed} + "\n");
        }
        EXPECT_EQ(session.finish(), c.status) << c.source << ": " << session.shown();
        EXPECT_EQ(session.shown().find("Repeat") != std::string::npos, c.command.starts_with("crypt") &&
                                                                           !c.dialogue.empty())
            << c.source;
        if (c.last_words != nullptr) {
            EXPECT_NE(session.shown().find(c.last_words), std::string::npos) << c.source;
        }
        EXPECT_EQ(std::filesystem::exists(dir.file("out")), c.status == 0) << c.source;
        if (c.writes) {
            ASSERT_EQ(run_cli(dir, {"decrypt", "-o", "back", "out"}, "pw1\npw2\n").status, 0);
            EXPECT_TRUE(read_file(dir.file("back")) == data) << c.source;
        }
    }
}

// True once brisol-cli ignores SIGPIPE, which it does right after blocking
// the interrupts it takes itself, before its first operation. (The blocked
// set itself does not show while sigwaitinfo waits.)
bool blocks_interrupts(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("SigIgn:"))
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGPIPE - 1) & 1) != 0;
    }
    return false;
}

TEST(Terminal, CtrlCWhileReadingTheTerminalStopsWithStatus130) {
    TempDir dir;
    write_file(dir.file("keys"), "pw1\npw2\n");
    TerminalSession session(dir, cli_command({"crypt", "--password-file", "keys", "-", "-o", "out"}));
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!blocks_interrupts(session.pid()) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    session.type("typed data\n\x03");
    EXPECT_EQ(session.finish(), 130) << session.shown();
    EXPECT_NE(session.shown().find("Stopped: \"out\" was not written."), std::string::npos);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"keys"}));
}

}  // namespace
}  // namespace brisol
