#include "cli/password_input.h"

#include "cipher/secure_memory.h"
#include "cli/cli_texts.h"
#include "cli/console.h"

namespace brisol::cli {
namespace {

// Enough for any password people type, so the strings never reallocate and
// leave an unwiped copy behind.
constexpr std::size_t kLineCapacity = 4096;

void wipe(std::string& text) {
    secure_wipe(text.data(), text.capacity());
    text.clear();
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
    const bool terminal = input_is_terminal();
    int error = terminal ? prompt_without_echo(kPrompt1, passwords.first) : read_input_line(passwords.first);
    if (error == 0)
        error = terminal ? prompt_without_echo(kPrompt2, passwords.second)
                         : read_input_line(passwords.second);
    strip_line_end(passwords.first);
    strip_line_end(passwords.second);
    return error;
}

}  // namespace brisol::cli
