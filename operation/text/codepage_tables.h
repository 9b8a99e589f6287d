#pragma once
// The code pages of table_codepage.cpp, also for the page's choice of them:
// each one's characters in code point order with the bytes iconv gives them.

#include <cstdint>
#include <span>
#include <string_view>

namespace brisol {

struct CodepageEntry {
    char32_t code;
    std::uint8_t length;
    std::uint8_t bytes[3];
};

struct CodepageTable {
    std::string_view name;  // as iconv names it, e.g. "CP1251"
    std::span<const CodepageEntry> entries;
};

// In the order the page offers them.
std::span<const CodepageTable> codepage_tables() noexcept;

}  // namespace brisol
