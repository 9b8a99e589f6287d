#include "cli/password_input.h"

#include "cipher/secure_memory.h"
#include "cli/cli_texts.h"
#include "cli/console.h"
#include "operation/files/platform.h"
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

int read_two_lines(const LineSource& source, Passwords& passwords) {
    int error = read_line(source, passwords.first);
    if (error == 0) error = read_line(source, passwords.second);
    strip_line_end(passwords.first);
    strip_line_end(passwords.second);
    return error;
}

int prompt(const Terminal& terminal, std::string_view text, std::string& line) {
    line.clear();
    const int error = prompt_without_echo(terminal, text, line);
    strip_line_end(line);
    return error;
}

// Empty for 0, else the message for a failed read.
std::string read_failure(int error) {
    if (error == 0) return {};
    return std::string{kCannotReadPasswords} + platform::reason(error);
}

struct Prompts {
    std::string_view ask;
    std::string_view repeat;
    std::string_view differs;
};

// One password, and with `confirm` its repeat until both agree. The system's
// error number of a failed read; `agreed` turns false after kPromptTries
// mismatches.
int ask_password(const Terminal& terminal, const Prompts& prompts, bool confirm,
                 std::string& password, bool& agreed) {
    Passwords repeat;  // for its wiped store
    for (int attempt = 0; attempt < kPromptTries; ++attempt) {
        if (const int error = prompt(terminal, prompts.ask, password); error != 0) return error;
        if (!confirm) return 0;
        if (const int error = prompt(terminal, prompts.repeat, repeat.first); error != 0) return error;
        if (repeat.first == password) return 0;
        write_terminal(terminal, prompts.differs);
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
    const LineSource source = open_source_file(path);
    if (source.error != 0) return messages::file_error(messages::kCannotOpen, path, source.error);
    const int error = read_two_lines(source, passwords);
    close_source(source);
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
    if (options.password_fd) {
        const LineSource source = passed_source(*options.password_fd);
        return read_failure(source.error != 0 ? source.error : read_two_lines(source, passwords));
    }
    if (!reads_standard_input(options)) {
        if (input_is_terminal()) return ask_on_terminal(standard_terminal(), confirm, passwords);
        return read_failure(read_two_lines(standard_input_source(), passwords));
    }
    const Terminal terminal = controlling_terminal();
    if (terminal.error != 0) return std::string{kCannotReadPasswords} + std::string{kNoTerminal};
    std::string message = ask_on_terminal(terminal, confirm, passwords);
    close_terminal(terminal);
    return message;
}

}  // namespace brisol::cli
