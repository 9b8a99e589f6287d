// Code pages where the system offers no conversion (the browser): tables of
// every character each code page has, made while building from the build
// machine's iconv (codepage_tables.py), so the key bytes are the ones the
// Linux build gives. Only the code pages CMakeLists.txt names exist; a browser has no
// locale to pick one from, so the page names one every time.

#include <algorithm>
#include <cstdint>
#include <span>

#include "codepage.h"
#include "codepage_conversion.h"
#include "codepage_tables.h"
#include "utf8.h"

namespace brisol {
namespace {

#include "codepage_tables.inc"

const CodepageTable* find_table(std::string_view name) {
    for (const CodepageTable& table : kCodepageTables)
        if (table.name == name) return &table;
    return nullptr;
}

}  // namespace

std::span<const CodepageTable> codepage_tables() noexcept { return kCodepageTables; }

std::string_view locale_codepage() { return codepage_for_locale(""); }

bool codepage_supported(const std::string& codepage) { return find_table(codepage) != nullptr; }

ConversionResult convert_to_codepage(std::string_view utf8, const std::string& codepage,
                                     std::span<char> into) {
    const CodepageTable* table = find_table(codepage);
    if (table == nullptr) return {ConversionOutcome::UnknownCodepage};
    std::size_t written = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const Utf8Char c = utf8_char_at(utf8, at);
        const auto found = std::lower_bound(
            table->entries.begin(), table->entries.end(), c.code,
            [](const CodepageEntry& entry, char32_t code) { return entry.code < code; });
        if (found == table->entries.end() || found->code != c.code)
            return {ConversionOutcome::Unrepresentable};
        std::copy_n(found->bytes, found->length, into.begin() + written);
        written += found->length;
        at += c.length;
    }
    return {ConversionOutcome::Converted, written};
}

}  // namespace brisol
