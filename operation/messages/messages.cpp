#include "messages.h"

#include "layout.h"
#include "platform.h"
#include "utf8.h"

namespace brisol::messages {
namespace {

constexpr bool kBackslashIsASeparator =
    platform::kDirectoryEnds.find('\\') != std::string_view::npos;

// "\"a\"", "\"a\" or \"b\"", "\"a\", \"b\" or \"c\"".
std::string quoted_characters(std::string_view characters) {
    std::string list;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        if (i > 0) list += i + 1 == characters.size() ? " or " : ", ";
        list += '"';
        list += characters[i];
        list += '"';
    }
    return list;
}

// The escapes people read at a glance; other control bytes go in octal.
char letter_escape(char32_t code) {
    switch (code) {
        case '\a': return 'a';
        case '\b': return 'b';
        case '\t': return 't';
        case '\n': return 'n';
        case '\v': return 'v';
        case '\f': return 'f';
        case '\r': return 'r';
        default: return 0;
    }
}

void append_octal(std::string& text, unsigned char byte) {
    text += '\\';
    text += static_cast<char>('0' + (byte >> 6));
    text += static_cast<char>('0' + ((byte >> 3) & 7));
    text += static_cast<char>('0' + (byte & 7));
}

// C0, DEL and the C1 range, which some terminals obey as well, and the
// embeddings, overrides, isolates and direction marks that turn the rest of
// a line around on a terminal and in a window.
bool is_control(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code < 0xA0) || code == 0x061C || code == 0x200E ||
           code == 0x200F || (code >= 0x202A && code <= 0x202E) ||
           (code >= 0x2066 && code <= 0x2069);
}

}  // namespace

std::string shown_name(std::string_view name) {
    std::string shown;
    shown.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const Utf8Char c = utf8_char_at(name, i);
        if (c.length == 0) {
            append_octal(shown, static_cast<unsigned char>(name[i]));
            ++i;
            continue;
        }
        if (const char letter = letter_escape(c.code); letter != 0) {
            shown += '\\';
            shown += letter;
        } else if (is_control(c.code)) {
            for (std::size_t k = 0; k < c.length; ++k)
                append_octal(shown, static_cast<unsigned char>(name[i + k]));
        } else if (c.code == '"' || (c.code == '\\' && !kBackslashIsASeparator)) {
            shown += '\\';
            shown += static_cast<char>(c.code);
        } else {
            shown += name.substr(i, c.length);
        }
        i += c.length;
    }
    return shown;
}

std::string quoted_name(std::string_view name) { return "\"" + shown_name(name) + "\""; }

std::string file_error(std::string_view verb, std::string_view path, std::string_view why) {
    std::string text{verb};
    text += " ";
    text += quoted_name(path);
    text += ": ";
    text += why;
    return text;
}

std::string file_error(std::string_view verb, std::string_view path, int error) {
    return file_error(verb, path, platform::reason(error));
}

std::string stream_error(std::string_view verb, std::string_view stream, std::string_view why) {
    return std::string{verb} + " " + std::string{stream} + ": " + std::string{why};
}

const std::string kExtensionHasSlash = "The extension cannot contain " +
                                       quoted_characters(platform::kNameEnds) +
                                       ": the output must stay beside the input.";

std::string no_full_chunk(std::string_view path) {
    return quoted_name(path) + " is shorter than " + std::to_string(kChunkSize) +
           " bytes, so it did not move the register: name the file made before it.";
}

std::string content_note(const ContentHint& hint) {
    if (hint.looks_random) return std::string{kLooksRandom};
    if (!hint.kind.empty()) return "The result looks like: " + hint.kind;
    return {};
}

std::string same_file(std::string_view output_path, std::string_view input_path) {
    return quoted_name(output_path) + " is the same file as " + quoted_name(input_path) +
           "; the input was left untouched.";
}

std::string cancelled(std::string_view output_path) {
    return "Stopped: " + quoted_name(output_path) + " was not written.";
}

std::string stopped_partway(std::string_view output) {
    return "Stopped: what " + std::string{output} + " received is incomplete.";
}

std::string password_unrepresentable(int field, std::string_view codepage) {
    return "PASSWORD-" + std::to_string(field) + " has a character that code page " +
           std::string{codepage} + " cannot represent.";
}

std::string password_not_utf8(int field) {
    return "PASSWORD-" + std::to_string(field) + " is not valid UTF-8 text.";
}

std::string password_has_zero_byte(int field) {
    return "PASSWORD-" + std::to_string(field) + " cannot contain a zero byte.";
}

std::string password_error(PasswordTextError error, int field, std::string_view codepage) {
    switch (error) {
        case PasswordTextError::NotUtf8: return password_not_utf8(field);
        case PasswordTextError::HasZeroByte: return password_has_zero_byte(field);
        case PasswordTextError::Unrepresentable: return password_unrepresentable(field, codepage);
        case PasswordTextError::UnknownCodepage: return unknown_codepage(codepage);
        case PasswordTextError::None: break;
    }
    return {};
}

std::string unknown_codepage(std::string_view codepage) {
    return "Unknown code page " + quoted_name(codepage) + ".";
}

}  // namespace brisol::messages
