#include "operation/codepage.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdlib>

#include "operation/utf8.h"

namespace brisol {
namespace {

struct LanguageCodepage {
    std::string_view language;  // with its "@modifier" where the script decides
    std::string_view codepage;
};

// Languages whose Windows locale does not use CP1252. Serbian and Uzbek come
// in two scripts, told apart by the locale's modifier.
constexpr std::array kLanguageCodepages = std::to_array<LanguageCodepage>({
    {"be", "CP1251"},         {"bg", "CP1251"},         {"kk", "CP1251"},
    {"ky", "CP1251"},         {"mk", "CP1251"},         {"mn", "CP1251"},
    {"ru", "CP1251"},         {"sr", "CP1251"},         {"tg", "CP1251"},
    {"tt", "CP1251"},         {"uk", "CP1251"},         {"ba", "CP1251"},
    {"sah", "CP1251"},        {"uz@cyrillic", "CP1251"},
    {"bs", "CP1250"},         {"cs", "CP1250"},         {"hr", "CP1250"},
    {"hu", "CP1250"},         {"pl", "CP1250"},         {"ro", "CP1250"},
    {"sk", "CP1250"},         {"sl", "CP1250"},         {"sq", "CP1250"},
    {"sr@latin", "CP1250"},   {"dsb", "CP1250"},        {"hsb", "CP1250"},
    {"el", "CP1253"},
    {"az", "CP1254"},         {"tr", "CP1254"},         {"uz", "CP1254"},
    {"he", "CP1255"},         {"yi", "CP1255"},
    {"ar", "CP1256"},         {"fa", "CP1256"},         {"ps", "CP1256"},
    {"ur", "CP1256"},         {"ug", "CP1256"},         {"sd", "CP1256"},
    {"et", "CP1257"},         {"lt", "CP1257"},         {"lv", "CP1257"},
    {"vi", "CP1258"},
    {"th", "CP874"},
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

std::string_view locale_codepage() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return codepage_for_locale(value);
    }
    return kDefaultCodepage;
}

bool codepage_supported(const std::string& codepage) {
    const iconv_t converter = iconv_open(codepage.c_str(), "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(converter);
    return true;
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
    const iconv_t converter = iconv_open(codepage.c_str(), "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        result.error = PasswordTextError::UnknownCodepage;
        return result;
    }
    WipedArray<char, kConvertedCapacity> converted;
    // iconv's interface takes a non-const input pointer but does not write
    // through it.
    char* in = const_cast<char*>(kept.data());
    std::size_t in_left = kept.size();
    char* out = converted.begin();
    std::size_t out_left = converted.size();
    const std::size_t irreversible = iconv(converter, &in, &in_left, &out, &out_left);
    const bool converted_all = irreversible == 0 &&
                               iconv(converter, nullptr, nullptr, &out, &out_left) == 0;
    iconv_close(converter);
    if (!converted_all) {
        // EILSEQ: no such character in the code page; a positive count means
        // iconv substituted something, which must not reach a key either.
        result.error = PasswordTextError::Unrepresentable;
        return result;
    }
    result.key = make_password_key({converted.begin(), converted.size() - out_left});
    return result;
}

}  // namespace brisol
