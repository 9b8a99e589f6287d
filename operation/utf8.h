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

// Well-formed UTF-8: no stray continuation bytes, no truncated, overlong or
// surrogate sequences, nothing above U+10FFFF.
bool is_valid_utf8(std::string_view text) noexcept;

bool is_ascii(std::string_view text) noexcept;

}  // namespace brisol
