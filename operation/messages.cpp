#include "operation/messages.h"

#include <locale.h>

#include <cstring>

namespace brisol::messages {

std::string reason(int error) {
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    if (c_locale == locale_t{}) return "error " + std::to_string(error);
    return strerror_l(error, c_locale);
}

std::string file_error(std::string_view verb, std::string_view path, std::string_view why) {
    std::string text{verb};
    text += " \"";
    text += path;
    text += "\": ";
    text += why;
    return text;
}

std::string file_error(std::string_view verb, std::string_view path, int error) {
    return file_error(verb, path, reason(error));
}

std::string content_note(const ContentHint& hint) {
    if (hint.looks_random) return std::string{kLooksRandom};
    if (!hint.kind.empty()) return "The result looks like: " + hint.kind;
    return {};
}

std::string same_file(std::string_view output_path, std::string_view input_path) {
    return "\"" + std::string{output_path} + "\" is the same file as \"" + std::string{input_path} +
           "\"; the input was left untouched.";
}

std::string cancelled(std::string_view output_path) {
    return "Stopped: \"" + std::string{output_path} + "\" was not written.";
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

std::string unknown_codepage(std::string_view codepage) {
    return "Unknown code page \"" + std::string{codepage} + "\".";
}

}  // namespace brisol::messages
