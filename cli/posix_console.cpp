// brisol-cli on POSIX: a terminal with termios, and signals. The interrupt
// signals are blocked before any worker starts (workers inherit the mask) and
// taken synchronously by the waiting thread, so an interrupt stops the
// operation through the runner instead of killing the process halfway.

#include <pthread.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "cli/console.h"

namespace brisol::cli {
namespace {

// Sent to the waiting thread when an operation has ended.
constexpr int kCompletionSignal = SIGUSR1;

pthread_t g_waiter{};

sigset_t handled_signals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, kCompletionSignal})
        sigaddset(&set, signal_number);
    return set;
}

void write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
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

}  // namespace

std::vector<std::string> command_line_arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool input_is_terminal() { return ::isatty(STDIN_FILENO) != 0; }
bool error_is_terminal() { return ::isatty(STDERR_FILENO) != 0; }

int read_input_line(std::string& line) {
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

int prompt_without_echo(std::string_view prompt, std::string& line) {
    write_error(prompt);
    if (::tcgetattr(STDIN_FILENO, &g_saved_terminal) != 0) return errno;
    g_quiet_terminal = g_saved_terminal;
    g_quiet_terminal.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    const auto old_int = std::signal(SIGINT, restore_terminal_and_die);
    const auto old_term = std::signal(SIGTERM, restore_terminal_and_die);
    const auto old_tstp = std::signal(SIGTSTP, restore_terminal_and_stop);
    if (old_tstp == SIG_IGN) std::signal(SIGTSTP, SIG_IGN);
    int error = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_quiet_terminal) == 0 ? 0 : errno;
    if (error == 0) error = read_input_line(line);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved_terminal);
    std::signal(SIGINT, old_int);
    std::signal(SIGTERM, old_term);
    std::signal(SIGTSTP, old_tstp);
    write_error("\n");
    return error;
}

void write_output(std::string_view text) { write_all(STDOUT_FILENO, text); }
void write_error(std::string_view text) { write_all(STDERR_FILENO, text); }

void redraw_error_line(std::string_view text) {
    std::string line = "\r";
    line += text;
    line += "\033[K";
    write_error(line);
}

void prepare_interrupts() {
    const sigset_t set = handled_signals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    g_waiter = pthread_self();
}

void wake_waiter() { pthread_kill(g_waiter, kCompletionSignal); }

bool wait_for_end(const std::atomic<bool>& finished, const std::function<void()>& on_interrupt) {
    const sigset_t set = handled_signals();
    bool interrupted = false;
    while (!finished.load()) {
        const int signal_number = sigwaitinfo(&set, nullptr);
        if (signal_number > 0 && signal_number != kCompletionSignal) {
            on_interrupt();
            interrupted = true;
        }
    }
    return interrupted;
}

}  // namespace brisol::cli
