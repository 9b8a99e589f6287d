#include "codepage.h"

#include <array>

#include "codepage_conversion.h"
#include "utf8.h"

namespace brisol {
namespace {

struct LanguageCodepage {
    std::string_view language;  // with its "@modifier" where the script decides
    std::string_view codepage;
};

// Languages whose Windows locale does not use CP1252. Serbian and Uzbek come
// in two scripts, told apart by the locale's modifier.
constexpr std::array kLanguageCodepages = std::to_array<LanguageCodepage>({
    {"be", "CP1251"},  {"bg", "CP1251"},          {"kk", "CP1251"}, {"ky", "CP1251"},
    {"mk", "CP1251"},  {"mn", "CP1251"},          {"ru", "CP1251"}, {"sr", "CP1251"},
    {"tg", "CP1251"},  {"tt", "CP1251"},          {"uk", "CP1251"}, {"ba", "CP1251"},
    {"sah", "CP1251"}, {"uz@cyrillic", "CP1251"}, {"bs", "CP1250"}, {"cs", "CP1250"},
    {"hr", "CP1250"},  {"hu", "CP1250"},          {"pl", "CP1250"}, {"ro", "CP1250"},
    {"sk", "CP1250"},  {"sl", "CP1250"},          {"sq", "CP1250"}, {"sr@latin", "CP1250"},
    {"dsb", "CP1250"}, {"hsb", "CP1250"},         {"el", "CP1253"}, {"az", "CP1254"},
    {"tr", "CP1254"},  {"uz", "CP1254"},          {"he", "CP1255"}, {"yi", "CP1255"},
    {"ar", "CP1256"},  {"fa", "CP1256"},          {"ps", "CP1256"}, {"ur", "CP1256"},
    {"ug", "CP1256"},  {"sd", "CP1256"},          {"et", "CP1257"}, {"lt", "CP1257"},
    {"lv", "CP1257"},  {"vi", "CP1258"},          {"th", "CP874"},
});

constexpr std::string_view kDefaultCodepage = "CP1252";

// Room for 31 characters even where one becomes a base letter and a
// combining mark (CP1258).
constexpr std::size_t kConvertedCapacity = 4 * kPasswordMaxChars;

std::string_view lookup(std::string_view language) {
    for (const LanguageCodepage& entry : kLanguageCodepages)
        if (entry.language == language) return entry.codepage;
    return {};
}

}  // namespace

std::string_view codepage_for_locale(std::string_view locale_name) {
    // language[_territory][.codeset][@modifier]
    const std::string_view language = locale_name.substr(0, locale_name.find_first_of("_.@"));
    const std::size_t at = locale_name.find('@');
    if (at != std::string_view::npos) {
        std::string with_modifier{language};
        with_modifier += locale_name.substr(at);
        if (const std::string_view found = lookup(with_modifier); !found.empty()) return found;
    }
    if (const std::string_view found = lookup(language); !found.empty()) return found;
    return kDefaultCodepage;
}

PasswordKeyResult password_key_from_text(std::string_view utf8, const std::string& codepage) {
    PasswordKeyResult result;
    if (!is_valid_utf8(utf8)) {
        result.error = PasswordTextError::NotUtf8;
        return result;
    }
    const std::string_view kept = utf8.substr(0, utf8_prefix_bytes(utf8, kPasswordMaxChars));
    if (kept.find('\0') != std::string_view::npos) {
        result.error = PasswordTextError::HasZeroByte;
        return result;
    }
    if (is_ascii(kept)) {
        result.key = make_password_key(kept);
        return result;
    }
    WipedArray<char, kConvertedCapacity> converted;
    const ConversionResult conversion = convert_to_codepage(kept, codepage, converted.data);
    switch (conversion.outcome) {
        case ConversionOutcome::Converted:
            result.key = make_password_key({converted.begin(), conversion.bytes});
            break;
        case ConversionOutcome::Unrepresentable:
            result.error = PasswordTextError::Unrepresentable;
            break;
        case ConversionOutcome::UnknownCodepage:
            result.error = PasswordTextError::UnknownCodepage;
            break;
    }
    return result;
}

}  // namespace brisol
