// Code pages on POSIX: the locale's language picks the one a Windows system
// with that locale would use, and glibc's iconv converts.

#include <iconv.h>

#include <cerrno>
#include <cstdlib>

#include "codepage.h"
#include "codepage_conversion.h"

namespace brisol {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

}  // namespace

std::string_view locale_codepage() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return codepage_for_locale(value);
    }
    return codepage_for_locale("");
}

bool codepage_supported(const std::string& codepage) {
    const iconv_t converter = iconv_open(codepage.c_str(), "UTF-8");
    if (converter == kNoConverter) return false;
    iconv_close(converter);
    return true;
}

// Every byte alone decodes to one character or to none at all (a byte the
// code page leaves out); a lead byte that waits for more, or a shift byte
// that gives nothing, is a code page of several bytes a character.
bool codepage_is_single_byte(const std::string& codepage) {
    const iconv_t decoder = iconv_open("UTF-8", codepage.c_str());
    if (decoder == kNoConverter) return false;
    bool single = true;
    for (unsigned value = 0; value < 256 && single; ++value) {
        char byte = static_cast<char>(value);
        char decoded[8];
        char* in = &byte;
        std::size_t in_left = 1;
        char* out = decoded;
        std::size_t out_left = sizeof decoded;
        iconv(decoder, nullptr, nullptr, nullptr, nullptr);
        const bool converted =
            iconv(decoder, &in, &in_left, &out, &out_left) != static_cast<std::size_t>(-1) &&
            iconv(decoder, nullptr, nullptr, &out, &out_left) != static_cast<std::size_t>(-1);
        if (converted ? out == decoded : errno != EILSEQ) single = false;
    }
    iconv_close(decoder);
    return single;
}

ConversionResult convert_to_codepage(std::string_view utf8, const std::string& codepage,
                                     std::span<char> into) {
    const iconv_t converter = iconv_open(codepage.c_str(), "UTF-8");
    if (converter == kNoConverter) return {ConversionOutcome::UnknownCodepage};
    // iconv's interface takes a non-const input pointer but does not write
    // through it.
    char* in = const_cast<char*>(utf8.data());
    std::size_t in_left = utf8.size();
    char* out = into.data();
    std::size_t out_left = into.size();
    const std::size_t irreversible = iconv(converter, &in, &in_left, &out, &out_left);
    const bool converted_all =
        irreversible == 0 && iconv(converter, nullptr, nullptr, &out, &out_left) == 0;
    iconv_close(converter);
    // EILSEQ: no such character in the code page; a positive count means
    // iconv substituted something, which must not reach a key either.
    if (!converted_all) return {ConversionOutcome::Unrepresentable};
    return {ConversionOutcome::Converted, into.size() - out_left};
}

}  // namespace brisol
