// Code pages on Windows: the system's ANSI code page (CP_ACP), or one named
// "CP1251" or "1251"; the system converts. Best-fit mappings (an "a" for an
// "a" with a ring) would key a different password than the one typed, so
// they count as characters the code page lacks.

#include <windows.h>

#include <charconv>
#include <optional>

#include "password_key.h"
#include "secure_memory.h"
#include "codepage.h"
#include "codepage_conversion.h"

namespace brisol {
namespace {

constexpr std::string_view kPrefix = "CP";

// Code pages that hold every character and refuse the best-fit flag.
constexpr UINT kWholeUnicode[] = {CP_UTF7, CP_UTF8, 54936};

std::optional<UINT> codepage_number(std::string_view name) {
    const auto upper = [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    };
    if (name.size() > kPrefix.size() && upper(name[0]) == kPrefix[0] &&
        upper(name[1]) == kPrefix[1])
        name.remove_prefix(kPrefix.size());
    UINT number = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (error != std::errc{} || end != name.data() + name.size() || !IsValidCodePage(number))
        return std::nullopt;
    return number;
}

bool holds_whole_unicode(UINT codepage) {
    for (const UINT whole : kWholeUnicode)
        if (whole == codepage) return true;
    return false;
}

}  // namespace

std::string_view locale_codepage() {
    static const std::string name = std::string{kPrefix} + std::to_string(GetACP());
    return name;
}

bool codepage_supported(const std::string& codepage) {
    return codepage_number(codepage).has_value();
}

bool codepage_is_single_byte(const std::string& codepage) {
    const std::optional<UINT> number = codepage_number(codepage);
    CPINFO info{};
    return number && GetCPInfo(*number, &info) && info.MaxCharSize == 1;
}

ConversionResult convert_to_codepage(std::string_view utf8, const std::string& codepage,
                                     std::span<char> into) {
    const std::optional<UINT> number = codepage_number(codepage);
    if (!number) return {ConversionOutcome::UnknownCodepage};
    // Two UTF-16 units at most for each of the characters kept.
    WipedArray<wchar_t, 2 * kPasswordMaxChars> wide;
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                          static_cast<int>(utf8.size()), wide.begin(),
                                          static_cast<int>(wide.size()));
    if (units == 0) return {ConversionOutcome::Unrepresentable};
    const bool whole = holds_whole_unicode(*number);
    BOOL used_default = FALSE;
    const int bytes = WideCharToMultiByte(*number, whole ? 0 : WC_NO_BEST_FIT_CHARS, wide.begin(),
                                          units, into.data(), static_cast<int>(into.size()),
                                          nullptr, whole ? nullptr : &used_default);
    if (bytes == 0) return {ConversionOutcome::UnknownCodepage};
    if (used_default) return {ConversionOutcome::Unrepresentable};
    return {ConversionOutcome::Converted, static_cast<std::size_t>(bytes)};
}

}  // namespace brisol
