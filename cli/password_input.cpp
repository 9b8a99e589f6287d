#include "password_input.h"

#include "secure_memory.h"
#include "cli_texts.h"
#include "console.h"
#include "password_lines.h"
#include "standard_descriptors.h"
#include "output_file_system.h"
#include "platform.h"
#include "messages.h"

namespace brisol::cli {
namespace {

// Room for the longest line a source may give and its line end, so the
// strings never reallocate and leave an unwiped copy behind.
constexpr std::size_t kLineCapacity = kMaxLineBytes + 1;
// Entries of one password on a terminal before crypt gives up.
constexpr int kPromptTries = 3;

void wipe(std::string& text) {
    secure_wipe(text.data(), text.capacity());
    text.clear();
}

std::string reason(const LineRead& read) {
    if (read.too_long)
        return std::string{kLineLongerThan} + std::to_string(kMaxLineBytes / 1024) + " KiB";
    return platform::reason(read.error);
}

LineRead read_two_lines(const LineSource& source, bool shared, Passwords& passwords) {
    LineReader reader(source, shared);
    LineRead read = reader.next(passwords.first);
    if (read.ok()) read = reader.next(passwords.second);
    strip_line_end(passwords.first);
    strip_line_end(passwords.second);
    return read;
}

LineRead prompt(const Terminal& terminal, std::string_view text, std::string& line) {
    line.clear();
    const LineRead read = prompt_without_echo(terminal, text, line);
    strip_line_end(line);
    return read;
}

std::string read_failure(std::string_view why) {
    return std::string{kCannotReadPasswords} + std::string{why};
}

struct Prompts {
    std::string_view ask;
    std::string_view repeat;
    std::string_view keep_empty;  // the repeat of an empty entry
    std::string_view differs;
    std::string_view stopped;
};

// One password, and with `confirm` its repeat until both agree; an empty one
// is confirmed by a second Enter. `agreed` turns false after kPromptTries
// mismatches.
LineRead ask_password(const Terminal& terminal, const Prompts& prompts, bool confirm,
                      std::string& password, bool& agreed) {
    Passwords repeat;  // for its wiped store
    for (int attempt = 1; attempt <= kPromptTries; ++attempt) {
        if (const LineRead read = prompt(terminal, prompts.ask, password); !read.ok()) return read;
        if (!confirm) return {};
        const std::string_view again = password.empty() ? prompts.keep_empty : prompts.repeat;
        if (const LineRead read = prompt(terminal, again, repeat.first); !read.ok()) return read;
        if (repeat.first == password) return {};
        if (attempt < kPromptTries) write_terminal(terminal, prompts.differs);
    }
    agreed = false;
    return {};
}

std::string ask_on_terminal(const Terminal& terminal, bool confirm, Passwords& passwords) {
    constexpr Prompts kFirst{kPrompt1, kRepeatPrompt1, kKeepEmpty1, kRepeatDiffers1,
                             kStoppedDiffering1};
    constexpr Prompts kSecond{kPrompt2, kRepeatPrompt2, kKeepEmpty2, kRepeatDiffers2,
                              kStoppedDiffering2};
    const struct {
        const Prompts& prompts;
        std::string& password;
    } fields[] = {{kFirst, passwords.first}, {kSecond, passwords.second}};
    for (const auto& field : fields) {
        bool agreed = true;
        if (const LineRead read =
                ask_password(terminal, field.prompts, confirm, field.password, agreed);
            !read.ok())
            return read_failure(reason(read));
        if (!agreed) return std::string{field.prompts.stopped};
    }
    return {};
}

// The two lines of a source, or, when it is a terminal, the prompts there;
// `failure` turns a reason into the message.
template <typename Failure>
std::string read_source_passwords(const LineSource& source, bool shared, bool confirm,
                                  Passwords& passwords, const Failure& failure) {
    if (const Terminal terminal = terminal_of(source); terminal.error == 0) {
        std::string message = ask_on_terminal(terminal, confirm, passwords);
        close_terminal(terminal);
        return message;
    }
    const LineRead read = read_two_lines(source, shared, passwords);
    return read.ok() ? std::string{} : failure(reason(read));
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
    if (options.password_file) {
        const std::string& path = *options.password_file;
        const LineSource source = open_source_file(path);
        if (source.error != 0)
            return messages::file_error(messages::kCannotOpen, path, source.error);
        // Nobody else reads the file it opened: it is read in blocks.
        std::string message =
            read_source_passwords(source, false, confirm, passwords, [&](std::string_view why) {
                return messages::file_error(messages::kCannotRead, path, why);
            });
        close_source(source);
        return message;
    }
    if (options.password_fd) {
        const LineSource source = passed_source(*options.password_fd);
        if (source.error != 0) return read_failure(platform::reason(source.error));
        return read_source_passwords(source, true, confirm, passwords, read_failure);
    }
    if (!reads_standard_input(options)) {
        if (input_is_terminal()) return ask_on_terminal(standard_terminal(), confirm, passwords);
        const LineRead read = read_two_lines(standard_input_source(), true, passwords);
        return read.ok() ? std::string{} : read_failure(reason(read));
    }
    const Terminal terminal = controlling_terminal();
    if (terminal.error != 0) return std::string{kCannotReadPasswords} + std::string{kNoTerminal};
    std::string message = ask_on_terminal(terminal, confirm, passwords);
    close_terminal(terminal);
    return message;
}

std::string password_source_conflict(const CliOptions& options) {
    FileSystem& files = system_file_system();
    FileInfo source;
    std::string shown;
    if (options.password_file) {
        source = files.stat_path(*options.password_file);
        shown = messages::quoted_name(*options.password_file);
    } else if (options.password_fd) {
        const LineSource passed = passed_source(*options.password_fd);
        if (passed.error != 0) return {};
        source = files.stat_fd(passed.descriptor);
        shown = std::string{kDescriptor} + std::to_string(*options.password_fd);
    } else if (!reads_standard_input(options) && !input_is_terminal()) {
        source = files.stat_fd(standard_input_source().descriptor);
        shown = messages::kStandardInput;
    }
    // Read in blocks, or read again from its start, the source would take
    // the data's first bytes, or give its lines to the data as well.
    if (reads_standard_input(options) && !shown.empty() &&
        same_file(source, files.stat_fd(standard_input_source().descriptor)))
        return shown + std::string{kSameFileAs} + std::string{messages::kStandardInput} +
               std::string{kCarriesTheData};
    // Only a regular file can be read again as an input; anything else is
    // refused as one anyway.
    if (shown.empty() || source.error != 0 || source.kind != FileKind::Regular) return {};
    for (const std::string& file : options.files) {
        if (file == kStandardStream) continue;
        const FileInfo input = files.stat_path(file);
        if (input.error == 0 && input.same_file_as(source))
            return messages::quoted_name(file) + std::string{kSameFileAs} + shown +
                   std::string{kCarriesThePasswords};
    }
    return {};
}

}  // namespace brisol::cli
