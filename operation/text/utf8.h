#pragma once
// Counting characters, not bytes, in the UTF-8 texts that come from the
// window and the command line.

#include <cstddef>
#include <string_view>

namespace brisol {

// Bytes taken by the first `chars` characters of text (all of it if shorter).
// A character is a byte that does not continue a sequence, with the
// continuation bytes after it.
std::size_t utf8_prefix_bytes(std::string_view text, std::size_t chars) noexcept;

// The character that starts at text[at]; length 0 when the bytes there are
// not well-formed UTF-8: a stray continuation byte, a truncated, overlong or
// surrogate sequence, or one above U+10FFFF.
struct Utf8Char {
    char32_t code = 0;
    std::size_t length = 0;
};
Utf8Char utf8_char_at(std::string_view text, std::size_t at) noexcept;

// Well-formed UTF-8 throughout.
bool is_valid_utf8(std::string_view text) noexcept;

bool is_ascii(std::string_view text) noexcept;

}  // namespace brisol
