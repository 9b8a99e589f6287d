#include "cli/password_input.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "cipher/secure_memory.h"
#include "cli/cli_texts.h"

namespace brisol::cli {
namespace {

// Enough for any password people type, so the strings never reallocate and
// leave an unwiped copy behind.
constexpr std::size_t kLineCapacity = 4096;

void wipe(std::string& text) {
    secure_wipe(text.data(), text.capacity());
    text.clear();
}

// Reads up to and including '\n', byte by byte so that nothing past the
// second line is consumed. Returns the errno value of a failed read.
int read_line(std::string& line) {
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        line.push_back(c);
        if (c == '\n') return 0;
    }
}

void write_stderr(std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

// The terminal settings before echo was turned off, so that an interrupt
// during the prompt leaves the terminal as it was found.
termios g_saved_terminal{};

extern "C" void restore_terminal_and_die(int signal_number) {
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved_terminal);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

// Ctrl-Z at a prompt hands the shell its terminal as it was; once the job is
// continued, echo goes off again and the prompt reads on.
termios g_quiet_terminal{};

extern "C" void restore_terminal_and_stop(int signal_number) {
    const int saved_errno = errno;
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved_terminal);
    std::signal(signal_number, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signal_number);
    ::sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    std::raise(signal_number);
    std::signal(signal_number, restore_terminal_and_stop);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_quiet_terminal);
    errno = saved_errno;
}

int prompt_without_echo(std::string_view prompt, std::string& line) {
    write_stderr(prompt);
    if (::tcgetattr(STDIN_FILENO, &g_saved_terminal) != 0) return errno;
    g_quiet_terminal = g_saved_terminal;
    g_quiet_terminal.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    const auto old_int = std::signal(SIGINT, restore_terminal_and_die);
    const auto old_term = std::signal(SIGTERM, restore_terminal_and_die);
    const auto old_tstp = std::signal(SIGTSTP, restore_terminal_and_stop);
    if (old_tstp == SIG_IGN) std::signal(SIGTSTP, SIG_IGN);
    int error = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_quiet_terminal) == 0 ? 0 : errno;
    if (error == 0) error = read_line(line);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved_terminal);
    std::signal(SIGINT, old_int);
    std::signal(SIGTERM, old_term);
    std::signal(SIGTSTP, old_tstp);
    write_stderr("\n");
    return error;
}

}  // namespace

void strip_line_end(std::string& line) {
    if (line.empty() || line.back() != '\n') return;
    line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

Passwords::Passwords() {
    first.reserve(kLineCapacity);
    second.reserve(kLineCapacity);
}

Passwords::~Passwords() {
    wipe(first);
    wipe(second);
}

int read_passwords(Passwords& passwords) {
    const bool terminal = ::isatty(STDIN_FILENO) != 0;
    int error = terminal ? prompt_without_echo(kPrompt1, passwords.first) : read_line(passwords.first);
    if (error == 0)
        error = terminal ? prompt_without_echo(kPrompt2, passwords.second)
                         : read_line(passwords.second);
    strip_line_end(passwords.first);
    strip_line_end(passwords.second);
    return error;
}

}  // namespace brisol::cli
