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

#include "console.h"
#include "password_lines.h"
#include "writable_wait.h"

namespace brisol::cli {
namespace {

// Sent to the waiting thread when an operation has ended.
constexpr int kCompletionSignal = SIGUSR1;

pthread_t g_waiter{};

// Standard input, output and error that were closed when the program started.
bool g_closed_at_start[3] = {};

bool ignored_by_caller(int signal_number) {
    struct sigaction current {};
    ::sigaction(signal_number, nullptr, &current);
    return current.sa_handler == SIG_IGN;
}

// An interrupt that whoever started the program ignores (nohup, a script's
// background job) stays ignored: blocked and waited for, it would be taken.
sigset_t handled_signals() {
    static const sigset_t set = [] {
        sigset_t handled;
        sigemptyset(&handled);
        sigaddset(&handled, kCompletionSignal);
        for (const int signal_number : {SIGINT, SIGTERM, SIGHUP})
            if (!ignored_by_caller(signal_number)) sigaddset(&handled, signal_number);
        return handled;
    }();
    return set;
}

void write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        // Standard error may share a pipe that another program made non-blocking.
        if (n < 0 && errno == EAGAIN && wait_writable(fd)) continue;
        if (n <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

// The terminal being prompted on, its settings before echo was turned off,
// and the prompt once echo is off, so that a signal during the prompt leaves
// the terminal as it was found and a stopped prompt shows again when it goes
// on.
int g_terminal_in = STDIN_FILENO;
int g_terminal_out = STDERR_FILENO;
termios g_saved_terminal{};
termios g_quiet_terminal{};
std::string_view g_prompt;

// Signals that end the program unless it handles them; those that come from
// its own faults are left to their default (and to the sanitizers).
// (SIGPIPE and SIGXFSZ are ignored from the start: keep_running_on_write_failures.)
constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,    SIGQUIT, SIGTERM, SIGALRM, SIGUSR1,
                                  SIGUSR2, SIGVTALRM, SIGPROF, SIGXCPU, SIGIO};
// Ctrl-Z, and a read or a change of the terminal from the background.
constexpr int kStoppingSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};

extern "C" void restore_terminal_and_die(int signal_number) {
    ::tcsetattr(g_terminal_in, TCSAFLUSH, &g_saved_terminal);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

// The shell gets its terminal back as it was; once the job is continued,
// echo goes off again, and the prompt shows again below whatever the shell
// printed meanwhile. The line typed so far was flushed with the settings.
extern "C" void restore_terminal_and_stop(int signal_number) {
    const int saved_errno = errno;
    ::tcsetattr(g_terminal_in, TCSAFLUSH, &g_saved_terminal);
    std::signal(signal_number, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signal_number);
    ::sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    std::raise(signal_number);
    std::signal(signal_number, restore_terminal_and_stop);
    ::tcsetattr(g_terminal_in, TCSAFLUSH, &g_quiet_terminal);
    write_all(g_terminal_out, g_prompt);
    errno = saved_errno;
}

// The handlers of one prompt, put in place where the signal would otherwise
// take its default action, and the old ones put back.
class PromptSignals {
public:
    PromptSignals() {
        install(kEndingSignals, restore_terminal_and_die, ending_);
        install(kStoppingSignals, restore_terminal_and_stop, stopping_);
    }
    ~PromptSignals() {
        restore(kEndingSignals, ending_);
        restore(kStoppingSignals, stopping_);
    }
    PromptSignals(const PromptSignals&) = delete;
    PromptSignals& operator=(const PromptSignals&) = delete;

private:
    template <std::size_t N>
    static void install(const int (&signals)[N], void (*handler)(int), struct sigaction (&old)[N]) {
        struct sigaction action {};
        action.sa_handler = handler;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < N; ++i) {
            ::sigaction(signals[i], nullptr, &old[i]);
            if (old[i].sa_handler == SIG_DFL) ::sigaction(signals[i], &action, nullptr);
        }
    }
    template <std::size_t N>
    static void restore(const int (&signals)[N], const struct sigaction (&old)[N]) {
        for (std::size_t i = 0; i < N; ++i) ::sigaction(signals[i], &old[i], nullptr);
    }

    struct sigaction ending_[std::size(kEndingSignals)]{};
    struct sigaction stopping_[std::size(kStoppingSignals)]{};
};

}  // namespace

std::vector<std::string> command_line_arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool input_is_terminal() { return ::isatty(STDIN_FILENO) != 0; }
bool error_is_terminal() { return ::isatty(STDERR_FILENO) != 0; }
bool descriptor_is_terminal(int number) { return ::isatty(number) != 0; }

bool hold_standard_descriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        // The lowest free number: this one, since those below it are open by now.
        if (::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY) != fd) return false;
        g_closed_at_start[fd] = true;
    }
    return true;
}

bool descriptor_closed(int number) {
    if (number <= STDERR_FILENO) return g_closed_at_start[number];
    return ::fcntl(number, F_GETFD) < 0;
}

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

SourceRead read_source(const LineSource& source, std::span<char> into) {
    for (;;) {
        const ssize_t n = ::read(source.descriptor, into.data(), into.size());
        if (n >= 0) return {static_cast<std::size_t>(n), 0};
        if (errno != EINTR) return {0, errno};
    }
}

Terminal standard_terminal() { return {STDIN_FILENO, STDERR_FILENO, 0, false}; }

Terminal controlling_terminal() {
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return {-1, -1, errno, false};
    return {fd, fd, 0, true};
}

Terminal terminal_of(const LineSource& source) {
    char name[256];
    if (::ttyname_r(source.descriptor, name, sizeof name) != 0) return {-1, -1, ENOTTY, false};
    const int fd = ::open(name, O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return {-1, -1, errno, false};
    return {fd, fd, 0, true};
}

void close_terminal(const Terminal& terminal) {
    if (terminal.owned) ::close(terminal.in);
}

void write_terminal(const Terminal& terminal, std::string_view text) {
    write_all(terminal.out, text);
}

// Echo goes off before the prompt shows, so that nothing typed after it is
// ever echoed or thrown away.
LineRead prompt_without_echo(const Terminal& terminal, std::string_view prompt, std::string& line) {
    if (::tcgetattr(terminal.in, &g_saved_terminal) != 0) return {errno, false};
    g_terminal_in = terminal.in;
    g_terminal_out = terminal.out;
    g_prompt = {};
    g_quiet_terminal = g_saved_terminal;
    g_quiet_terminal.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    LineRead read;
    {
        const PromptSignals signals;
        read.error = ::tcsetattr(terminal.in, TCSAFLUSH, &g_quiet_terminal) == 0 ? 0 : errno;
        if (read.error == 0) {
            g_prompt = prompt;
            write_terminal(terminal, prompt);
            read = LineReader({terminal.in, 0, false}, true).next(line);
        }
        ::tcsetattr(terminal.in, TCSAFLUSH, &g_saved_terminal);
    }
    write_terminal(terminal, "\n");
    return read;
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
