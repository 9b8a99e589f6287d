// brisol-cli on POSIX: a terminal with termios, and signals. The interrupt
// signals are blocked before any worker starts (workers inherit the mask) and
// taken synchronously by the waiting thread, so an interrupt stops the
// operation through the runner instead of killing the process halfway.

#include <fcntl.h>
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

// The terminal being prompted on and its settings before echo was turned
// off, so that an interrupt during the prompt leaves it as it was found.
int g_terminal_fd = STDIN_FILENO;
termios g_saved_terminal{};

extern "C" void restore_terminal_and_die(int signal_number) {
    ::tcsetattr(g_terminal_fd, TCSAFLUSH, &g_saved_terminal);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

// Ctrl-Z at a prompt hands the shell its terminal as it was; once the job is
// continued, echo goes off again and the prompt reads on.
termios g_quiet_terminal{};

extern "C" void restore_terminal_and_stop(int signal_number) {
    const int saved_errno = errno;
    ::tcsetattr(g_terminal_fd, TCSAFLUSH, &g_saved_terminal);
    std::signal(signal_number, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signal_number);
    ::sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    std::raise(signal_number);
    std::signal(signal_number, restore_terminal_and_stop);
    ::tcsetattr(g_terminal_fd, TCSAFLUSH, &g_quiet_terminal);
    errno = saved_errno;
}

}  // namespace

std::vector<std::string> command_line_arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool input_is_terminal() { return ::isatty(STDIN_FILENO) != 0; }
bool output_is_terminal() { return ::isatty(STDOUT_FILENO) != 0; }
bool error_is_terminal() { return ::isatty(STDERR_FILENO) != 0; }

LineSource standard_input_source() { return {STDIN_FILENO, 0, false}; }

LineSource open_source_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return {-1, errno, false};
    return {fd, 0, true};
}

LineSource passed_source(int number) { return {number, 0, false}; }

void close_source(const LineSource& source) {
    if (source.owned) ::close(source.descriptor);
}

int read_line(const LineSource& source, std::string& line) {
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(source.descriptor, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        line.push_back(c);
        if (c == '\n') return 0;
    }
}

Terminal standard_terminal() { return {STDIN_FILENO, STDERR_FILENO, 0, false}; }

Terminal controlling_terminal() {
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return {-1, -1, errno, false};
    return {fd, fd, 0, true};
}

void close_terminal(const Terminal& terminal) {
    if (terminal.owned) ::close(terminal.in);
}

void write_terminal(const Terminal& terminal, std::string_view text) { write_all(terminal.out, text); }

// Echo goes off before the prompt shows, so that nothing typed after it is
// ever echoed or thrown away.
int prompt_without_echo(const Terminal& terminal, std::string_view prompt, std::string& line) {
    if (::tcgetattr(terminal.in, &g_saved_terminal) != 0) return errno;
    g_terminal_fd = terminal.in;
    g_quiet_terminal = g_saved_terminal;
    g_quiet_terminal.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    const auto old_int = std::signal(SIGINT, restore_terminal_and_die);
    const auto old_term = std::signal(SIGTERM, restore_terminal_and_die);
    const auto old_tstp = std::signal(SIGTSTP, restore_terminal_and_stop);
    if (old_tstp == SIG_IGN) std::signal(SIGTSTP, SIG_IGN);
    int error = ::tcsetattr(terminal.in, TCSAFLUSH, &g_quiet_terminal) == 0 ? 0 : errno;
    if (error == 0) {
        write_terminal(terminal, prompt);
        error = read_line({terminal.in, 0, false}, line);
    }
    ::tcsetattr(terminal.in, TCSAFLUSH, &g_saved_terminal);
    std::signal(SIGINT, old_int);
    std::signal(SIGTERM, old_term);
    std::signal(SIGTSTP, old_tstp);
    write_terminal(terminal, "\n");
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

int wait_for_end(const std::atomic<bool>& finished, const std::function<void()>& on_interrupt) {
    // Shells report a process ended by signal N as 128 + N; one stopped by an
    // interrupt ends the same way, only after cleaning up.
    constexpr int kSignalStatusBase = 128;
    const sigset_t set = handled_signals();
    int status = 0;
    while (!finished.load()) {
        const int signal_number = sigwaitinfo(&set, nullptr);
        if (signal_number > 0 && signal_number != kCompletionSignal) {
            on_interrupt();
            status = kSignalStatusBase + signal_number;
        }
    }
    return status;
}

}  // namespace brisol::cli
