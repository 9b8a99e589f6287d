#pragma once
// The platform's half of keying a password: turning UTF-8 text into bytes of
// a code page: the C library's iconv on Linux, the system's own conversion on
// Windows, and in the browser tables made from iconv when the page is built.
// Every way refuses a character the code page lacks, never replaces it.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace brisol {

enum class ConversionOutcome { Converted, Unrepresentable, UnknownCodepage };

struct ConversionResult {
    ConversionOutcome outcome = ConversionOutcome::Converted;
    std::size_t bytes = 0;  // written into the buffer when converted
};

// `utf8` is well-formed; `into` has room for four bytes per character.
ConversionResult convert_to_codepage(std::string_view utf8, const std::string& codepage,
                                     std::span<char> into);

}  // namespace brisol
