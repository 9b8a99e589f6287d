#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codepage.h"

namespace brisol {
namespace {

struct LocaleCase {
    const char* locale;
    const char* codepage;
};

// Which ANSI code page a Windows system uses for each language: the
// language-to-code-page list of Windows' national language support.
constexpr LocaleCase kLocaleCases[] = {
    {"ru_RU.UTF-8", "CP1251"}, {"uk_UA.UTF-8", "CP1251"},
    {"bg_BG", "CP1251"},       {"sr_RS", "CP1251"},
    {"sr_RS@latin", "CP1250"}, {"pl_PL.UTF-8", "CP1250"},
    {"cs_CZ.UTF-8", "CP1250"}, {"el_GR.UTF-8", "CP1253"},
    {"tr_TR.UTF-8", "CP1254"}, {"he_IL.UTF-8", "CP1255"},
    {"ar_EG.UTF-8", "CP1256"}, {"lt_LT.UTF-8", "CP1257"},
    {"vi_VN", "CP1258"},       {"th_TH.UTF-8", "CP874"},
    {"uz_UZ", "CP1254"},       {"uz_UZ@cyrillic", "CP1251"},
    {"en_US.UTF-8", "CP1252"}, {"de_DE@euro", "CP1252"},
    {"C", "CP1252"},           {"POSIX", "CP1252"},
    {"C.UTF-8", "CP1252"},     {"", "CP1252"},
};

TEST(Codepage, FollowsTheLocalesLanguage) {
    for (const LocaleCase& c : kLocaleCases)
        EXPECT_EQ(codepage_for_locale(c.locale), c.codepage) << c.locale;
}

TEST(Codepage, EveryMappedCodepageIsKnownToIconvAndSingleByte) {
    for (const LocaleCase& c : kLocaleCases) {
        EXPECT_TRUE(codepage_supported(c.codepage)) << c.codepage;
        EXPECT_TRUE(codepage_is_single_byte(c.codepage)) << c.codepage;
    }
    EXPECT_FALSE(codepage_supported("NO-SUCH-CODEPAGE"));
#ifdef _WIN32
    for (const char* several : {"65001", "CP65000", "932", "936", "1200"})
#else
    for (const char* several :
         {"UTF-8", "UTF-16", "UCS-4", "UTF-7", "GBK", "SHIFT_JIS", "ISO-2022-JP"})
#endif
        EXPECT_FALSE(codepage_is_single_byte(several)) << several;
}

struct ConversionCase {
    const char* source;
    const char* text;
    const char* codepage;
    std::vector<std::uint8_t> bytes;
};

// Byte values from the Unicode consortium's mapping tables CP1251.TXT,
// CP1252.TXT, CP1253.TXT and CP874.TXT.
const ConversionCase kConversionCases[] = {
    {"ASCII is its own bytes",
     "Pass word!",
     "CP1251",
     {'P', 'a', 's', 's', ' ', 'w', 'o', 'r', 'd', '!'}},
    {"CP1251 Cyrillic", "пароль", "CP1251", {0xEF, 0xE0, 0xF0, 0xEE, 0xEB, 0xFC}},
    {"CP1252 e-acute", "café", "CP1252", {'c', 'a', 'f', 0xE9}},
    {"CP1252 euro sign", "€", "CP1252", {0x80}},
    {"CP1253 Greek alpha", "α", "CP1253", {0xE1}},
    {"CP874 Thai ko kai", "ก", "CP874", {0xA1}},
#ifdef _WIN32
    {"a code page named by its number", "пароль", "1251", {0xEF, 0xE0, 0xF0, 0xEE, 0xEB, 0xFC}},
    {"the prefix in any case", "пароль", "cp1251", {0xEF, 0xE0, 0xF0, 0xEE, 0xEB, 0xFC}},
#endif
};

TEST(PasswordText, BecomesCodepageBytes) {
    for (const ConversionCase& c : kConversionCases) {
        const PasswordKeyResult result = password_key_from_text(c.text, c.codepage);
        ASSERT_EQ(result.error, PasswordTextError::None) << c.source;
        std::vector<std::uint8_t> expected = c.bytes;
        expected.resize(kPasswordKeySize, 0);
        EXPECT_EQ(std::vector<std::uint8_t>(result.key.begin(), result.key.end()), expected)
            << c.source;
    }
}

TEST(PasswordText, KeepsThirtyOneCharactersNotBytes) {
    std::string forty_cyrillic;
    for (int i = 0; i < 40; ++i) forty_cyrillic += "ж";  // 0xE6 in CP1251
    const PasswordKeyResult result = password_key_from_text(forty_cyrillic, "CP1251");
    ASSERT_EQ(result.error, PasswordTextError::None);
    for (std::size_t i = 0; i < kPasswordMaxChars; ++i) EXPECT_EQ(result.key[i], 0xE6) << i;
    EXPECT_EQ(result.key[31], 0);
}

TEST(PasswordText, IgnoresWhatFollowsTheThirtyFirstCharacter) {
    const std::string first31(31, 'a');
    // Past the cut, even a character the code page lacks does no harm.
    EXPECT_EQ(password_key_from_text(first31 + "zzz中", "CP1252").key,
              password_key_from_text(first31, "CP1252").key);
    EXPECT_EQ(password_key_from_text(first31 + std::string{"\0z", 2}, "CP1252").key,
              password_key_from_text(first31, "CP1252").key);
}

struct RefusalCase {
    const char* source;
    std::string_view text;
    const char* codepage;
    PasswordTextError error;
};

const RefusalCase kRefusalCases[] = {
    {"e-acute is not in CP1251", "café", "CP1251", PasswordTextError::Unrepresentable},
    {"a-ring is not in CP1251, and is not keyed as its best fit a", "å", "CP1251",
     PasswordTextError::Unrepresentable},
    {"CJK is not in CP1252", "中", "CP1252", PasswordTextError::Unrepresentable},
    {"Cyrillic is not in CP1252", "пароль", "CP1252", PasswordTextError::Unrepresentable},
    {"Latin-1 bytes are not UTF-8", "caf\xE9", "CP1252", PasswordTextError::NotUtf8},
    {"zero byte in ASCII", std::string_view{"ab\0cd", 5}, "CP1252", PasswordTextError::HasZeroByte},
    {"zero byte after Cyrillic", std::string_view{"\xD0\xB6\0x", 4}, "CP1251",
     PasswordTextError::HasZeroByte},
    {"unknown code page", "é", "NO-SUCH-CODEPAGE", PasswordTextError::UnknownCodepage},
};

TEST(PasswordText, RefusesWhatCannotBeKeyedFaithfully) {
    for (const RefusalCase& c : kRefusalCases)
        EXPECT_EQ(password_key_from_text(c.text, c.codepage).error, c.error) << c.source;
}

TEST(PasswordText, AsciiNeedsNoCodepage) {
    EXPECT_EQ(password_key_from_text("ascii", "NO-SUCH-CODEPAGE").error, PasswordTextError::None);
}

}  // namespace
}  // namespace brisol
