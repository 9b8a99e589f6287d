// brisol-cli on a pseudo-terminal: the password prompts, the refusal to put
// encrypted bytes on a terminal, and Ctrl-C.

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "run_cli.h"

namespace brisol {
namespace {

using testing::cli_command;
using testing::pattern_bytes;
using testing::read_file;
using testing::run_cli;
using testing::TempDir;
using testing::write_file;

constexpr int kPatienceMs = 20000;

// Appends one piece of what the terminal shows; false once it has ended.
bool read_some(int master, std::string& shown) {
    pollfd watched{master, POLLIN, 0};
    if (::poll(&watched, 1, kPatienceMs) <= 0) return false;
    char buffer[512];
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n <= 0) return false;  // EIO when the last process holding it has gone
    shown.append(buffer, static_cast<std::size_t>(n));
    return true;
}

bool read_until(int master, std::string& shown, std::size_t& from, const std::string& text) {
    while (shown.find(text, from) == std::string::npos) {
        if (!read_some(master, shown)) return false;
    }
    from = shown.find(text, from) + text.size();
    return true;
}

struct Exchange {
    const char* prompt;
    const char* typed;  // with a line end; nullptr to type nothing
};

struct Conversation {
    int status = -1;  // also when a prompt never came
    std::string shown;
};

// Runs brisol-cli with `args` in dir, with a new pseudo-terminal as its
// controlling terminal, standard input, output and error, and answers each
// prompt; then `finally` may act on the process before it is awaited.
Conversation converse(const TempDir& dir, const std::string& args,
                      const std::vector<Exchange>& dialogue,
                      const std::function<void(pid_t, int)>& finally = {}) {
    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        // As at a shell's prompt, whatever ran the tests in the background.
        for (const int signal_number : {SIGINT, SIGQUIT}) ::signal(signal_number, SIG_DFL);
        const std::string script = "cd " + testing::quoted(dir.path().string()) + " && exec " +
                                   cli_command({}) + " " + args;
        ::execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    Conversation conversation;
    std::size_t from = 0;
    bool answered = true;
    for (const Exchange& step : dialogue) {
        answered = read_until(master, conversation.shown, from, step.prompt);
        if (!answered) break;
        if (step.typed != nullptr) (void)!::write(master, step.typed, std::strlen(step.typed));
    }
    if (!answered) ::kill(pid, SIGKILL);
    if (answered && finally) finally(pid, master);
    while (read_some(master, conversation.shown)) {}
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    ::close(master);
    if (answered && WIFEXITED(raw)) conversation.status = WEXITSTATUS(raw);
    return conversation;
}

const std::vector<Exchange> kTypedTwice = {{"PASSWORD-1: ", "pw1\n"},
                                           {"Repeat PASSWORD-1: ", "pw1\n"},
                                           {"PASSWORD-2: ", "pw2\n"},
                                           {"Repeat PASSWORD-2: ", "pw2\n"}};

struct PromptCase {
    const char* source;
    std::string args;
    std::vector<Exchange> dialogue;
    int status;
    const char* decrypts_with = nullptr;  // password lines that decrypt "out"
    const char* never_shown = nullptr;
};

const PromptCase kPromptCases[] = {
    {"crypt asks for each password twice; the data on standard input", "crypt - -o out <some.file",
     kTypedTwice, 0, "pw1\npw2\n"},
    {"a repeat that differs asks that password again",
     "crypt -o out some.file",
     {{"PASSWORD-1: ", "pw1\n"},
      {"Repeat PASSWORD-1: ", "pw1\n"},
      {"PASSWORD-2: ", "pw2\n"},
      {"Repeat PASSWORD-2: ", "pw3\n"},
      {"The two entries differ; type PASSWORD-2 again.\r\n", nullptr},
      {"PASSWORD-2: ", "pw2\n"},
      {"Repeat PASSWORD-2: ", "pw2\n"}},
     0,
     "pw1\npw2\n"},
    {"three differing repeats stop, and the last message says so",
     "crypt -o out some.file",
     {{"PASSWORD-1: ", "a\n"},
      {"Repeat PASSWORD-1: ", "b\n"},
      {"PASSWORD-1: ", "a\n"},
      {"Repeat PASSWORD-1: ", "c\n"},
      {"PASSWORD-1: ", "a\n"},
      {"Repeat PASSWORD-1: ", "d\n"},
      {"PASSWORD-1 and its repeat differed three times: stopped, nothing was written", nullptr}},
     1,
     nullptr,
     "again.\r\nbrisol-cli"},
    {"an empty password is kept by a second Enter, and said",
     "crypt -o out some.file",
     {{"PASSWORD-1: ", "\n"},
      {"PASSWORD-1 is empty; press Enter again to keep it empty: ", "\n"},
      {"PASSWORD-2: ", "pw2\n"},
      {"Repeat PASSWORD-2: ", "pw2\n"},
      {"Warning: PASSWORD-1 is empty", nullptr}},
     0,
     "\npw2\n"},
    {"decrypt asks once",
     "decrypt -o out some.file",
     {{"PASSWORD-1: ", "x\n"}, {"PASSWORD-2: ", "y\n"}},
     0},
    {"a password file that is a terminal is a prompt",
     "crypt --password-file /dev/tty -o out some.file", kTypedTwice, 0, "pw1\npw2\n"},
    {"so is a descriptor",
     "decrypt --password-fd 3 -o out some.file 3</dev/tty",
     {{"PASSWORD-1: ", "x\n"}, {"PASSWORD-2: ", "y\n"}},
     0},
    {"no encrypted bytes on a terminal",
     "crypt --password-file keys - <some.file",
     {{"standard output is a terminal; nothing was written", nullptr}},
     1},
};

TEST(Terminal, PromptsAndRefusals) {
    for (const PromptCase& c : kPromptCases) {
        TempDir dir;
        const std::string data = pattern_bytes(2000);
        write_file(dir.file("some.file"), data);
        write_file(dir.file("keys"), "pw1\npw2\n");
        const Conversation run = converse(dir, c.args, c.dialogue);
        EXPECT_EQ(run.status, c.status) << c.source << ": " << run.shown;
        EXPECT_EQ(std::filesystem::exists(dir.file("out")), c.status == 0) << c.source;
        if (c.never_shown != nullptr) {
            EXPECT_EQ(run.shown.find(c.never_shown), std::string::npos)
                << c.source << ": " << run.shown;
        }
        if (c.decrypts_with != nullptr) {
            EXPECT_EQ(run_cli(dir, {"decrypt", "-o", "back", "out"}, c.decrypts_with).status, 0);
            EXPECT_TRUE(read_file(dir.file("back")) == data) << c.source;
        }
    }
}

// Whether a thread of pid blocks SIGINT, as brisol-cli does once it takes
// interrupts itself. The sanitizers' own threads block every signal, even
// the faults that brisol-cli never blocks.
bool takes_interrupts_itself(pid_t pid) {
    const auto bit = [](int signal_number) { return 1ULL << (signal_number - 1); };
    std::error_code gone;
    for (const auto& task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", gone)) {
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (!line.starts_with("SigBlk:")) continue;
            const unsigned long long blocked = std::stoull(line.substr(7), nullptr, 16);
            if ((blocked & bit(SIGINT)) != 0 && (blocked & bit(SIGSEGV)) == 0) return true;
        }
    }
    return false;
}

TEST(Terminal, CtrlCWhileReadingTheTerminalStopsWithStatus130) {
    TempDir dir;
    write_file(dir.file("keys"), "pw1\npw2\n");
    const Conversation run =
        converse(dir, "crypt --password-file keys - -o out", {}, [](pid_t pid, int master) {
            for (int waited = 0; !takes_interrupts_itself(pid) && waited < kPatienceMs;
                 waited += 10)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            (void)!::write(master, "typed data\n\x03", 12);
        });
    EXPECT_EQ(run.status, 130) << run.shown;
    EXPECT_NE(run.shown.find("Stopped: \"out\" was not written."), std::string::npos);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"keys"}));
}

}  // namespace
}  // namespace brisol
