#include "cli/password_input.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "cipher/secure_memory.h"
#include "cli/cli_texts.h"
#include "operation/messages.h"

namespace brisol::cli {
namespace {

// Enough for any password people type, so the strings never reallocate and
// leave an unwiped copy behind.
constexpr std::size_t kLineCapacity = 4096;
// Entries of one password on a terminal before crypt gives up.
constexpr int kPromptTries = 3;

void wipe(std::string& text) {
    secure_wipe(text.data(), text.capacity());
    text.clear();
}

// Reads up to and including '\n', byte by byte so that nothing past the
// second line is consumed. Returns the errno value of a failed read.
int read_line(int fd, std::string& line) {
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        line.push_back(c);
        if (c == '\n') return 0;
    }
}

int read_two_lines(int fd, Passwords& passwords) {
    int error = read_line(fd, passwords.first);
    if (error == 0) error = read_line(fd, passwords.second);
    strip_line_end(passwords.first);
    strip_line_end(passwords.second);
    return error;
}

void write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

// Where prompts are read and shown: standard input and standard error, or
// the controlling terminal for both when standard input carries the data.
struct Terminal {
    int in;
    int out;
};

// The terminal and its settings before echo was turned off, so that an
// interrupt during the prompt leaves it as it was found.
int g_terminal_fd = STDIN_FILENO;
termios g_saved_terminal{};

extern "C" void restore_terminal_and_die(int signal_number) {
    ::tcsetattr(g_terminal_fd, TCSAFLUSH, &g_saved_terminal);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

// Echo goes off before the prompt shows, so that nothing typed after it is
// ever echoed or thrown away.
int prompt_without_echo(const Terminal& terminal, std::string_view prompt, std::string& line) {
    line.clear();
    if (::tcgetattr(terminal.in, &g_saved_terminal) != 0) return errno;
    g_terminal_fd = terminal.in;
    termios quiet = g_saved_terminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    const auto old_int = std::signal(SIGINT, restore_terminal_and_die);
    const auto old_term = std::signal(SIGTERM, restore_terminal_and_die);
    int error = ::tcsetattr(terminal.in, TCSAFLUSH, &quiet) == 0 ? 0 : errno;
    if (error == 0) {
        write_all(terminal.out, prompt);
        error = read_line(terminal.in, line);
    }
    ::tcsetattr(terminal.in, TCSADRAIN, &g_saved_terminal);
    std::signal(SIGINT, old_int);
    std::signal(SIGTERM, old_term);
    write_all(terminal.out, "\n");
    strip_line_end(line);
    return error;
}

// Empty for 0, else the message for a failed read.
std::string read_failure(int error) {
    if (error == 0) return {};
    return std::string{kCannotReadPasswords} + messages::reason(error);
}

struct Prompts {
    std::string_view ask;
    std::string_view repeat;
    std::string_view differs;
};

// One password, and with `confirm` its repeat until both agree. The errno
// value of a failed read; `agreed` turns false after kPromptTries mismatches.
int ask_password(const Terminal& terminal, const Prompts& prompts, bool confirm,
                 std::string& password, bool& agreed) {
    Passwords repeat;  // for its wiped store
    for (int attempt = 0; attempt < kPromptTries; ++attempt) {
        if (const int error = prompt_without_echo(terminal, prompts.ask, password); error != 0)
            return error;
        if (!confirm) return 0;
        if (const int error = prompt_without_echo(terminal, prompts.repeat, repeat.first); error != 0)
            return error;
        if (repeat.first == password) return 0;
        write_all(terminal.out, prompts.differs);
    }
    agreed = false;
    return 0;
}

std::string ask_on_terminal(const Terminal& terminal, bool confirm, Passwords& passwords) {
    bool agreed = true;
    int error = ask_password(terminal, {kPrompt1, kRepeatPrompt1, kRepeatDiffers1}, confirm,
                             passwords.first, agreed);
    if (error == 0 && agreed)
        error = ask_password(terminal, {kPrompt2, kRepeatPrompt2, kRepeatDiffers2}, confirm,
                             passwords.second, agreed);
    if (error != 0) return read_failure(error);
    if (!agreed) return std::string{kCannotReadPasswords} + std::string{kRepeatsDiffered};
    return {};
}

std::string read_password_file(const std::string& path, Passwords& passwords) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return messages::file_error(messages::kCannotOpen, path, errno);
    const int error = read_two_lines(fd, passwords);
    ::close(fd);
    if (error != 0) return messages::file_error(messages::kCannotRead, path, error);
    return {};
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

std::string read_passwords(const CliOptions& options, Passwords& passwords) {
    const bool confirm = options.direction == Direction::Crypt;
    if (options.password_file) return read_password_file(*options.password_file, passwords);
    if (options.password_fd) return read_failure(read_two_lines(*options.password_fd, passwords));
    if (!reads_standard_input(options)) {
        if (::isatty(STDIN_FILENO) != 0)
            return ask_on_terminal({STDIN_FILENO, STDERR_FILENO}, confirm, passwords);
        return read_failure(read_two_lines(STDIN_FILENO, passwords));
    }
    const int terminal = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (terminal < 0) return std::string{kCannotReadPasswords} + std::string{kNoTerminal};
    std::string message = ask_on_terminal({terminal, terminal}, confirm, passwords);
    ::close(terminal);
    return message;
}

}  // namespace brisol::cli
