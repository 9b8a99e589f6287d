#include "utf8.h"

namespace brisol {
namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::size_t utf8_prefix_bytes(std::string_view text, std::size_t chars) noexcept {
    std::size_t i = 0;
    for (std::size_t counted = 0; counted < chars && i < text.size(); ++counted) {
        ++i;
        while (i < text.size() && is_continuation(static_cast<unsigned char>(text[i]))) ++i;
    }
    return i;
}

Utf8Char utf8_char_at(std::string_view text, std::size_t at) noexcept {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    char32_t code = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
        return {lead, 1};
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, smallest = 0x10000;
    } else {
        return {};
    }
    if (text.size() - at < length) return {};
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if (!is_continuation(next)) return {};
        code = code << 6 | (next & 0x3F);
    }
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
    return {code, length};
}

bool is_valid_utf8(std::string_view text) noexcept {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8_char_at(text, i).length;
        if (length == 0) return false;
        i += length;
    }
    return true;
}

bool is_ascii(std::string_view text) noexcept {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace brisol
