#include <gtest/gtest.h>

#include "messages.h"

namespace brisol {
namespace {

struct ShownCase {
    const char* source;
    std::string name;
    std::string shown;
};

const ShownCase kShownCases[] = {
    {"an ordinary name", "report.txt", "report.txt"},
    {"letters of any script", "отчёт 報告.txt", "отчёт 報告.txt"},
    {"a no-break space is printable", "a\u00a0b", "a\u00a0b"},
    {"escape sequence and new line", "x\033[31mRED\nline2", "x\\033[31mRED\\nline2"},
    {"tab and carriage return", "a\tb\rc", "a\\tb\\rc"},
    {"delete", "a\x7f", "a\\177"},
    {"a C1 control in UTF-8", "a\u009b2J", "a\\302\\2332J"},
    {"bytes that are not UTF-8", "a\xff\xc3", "a\\377\\303"},
    {"a right-to-left override would turn the line around", "gpj.\u202eexe",
     "gpj.\\342\\200\\256exe"},
    {"isolates, first and last", "\u2066a\u2069", "\\342\\201\\246a\\342\\201\\251"},
    {"marks beside the controls stay", "a\u202f\u2065b", "a\u202f\u2065b"},
    {"left-to-right and right-to-left marks", "a\u200eb\u200fc",
     "a\\342\\200\\216b\\342\\200\\217c"},
    {"the Arabic letter mark", "\u061cexe", "\\330\\234exe"},
    {"a joiner and an Arabic semicolon beside the marks stay", "\u200d\u061b\u2010",
     "\u200d\u061b\u2010"},
#ifdef _WIN32
    // A backslash separates folders there and stays as it is.
    {"a quote cannot fake the end of a name", "a\" b\\n", "a\\\" b\\n"},
#else
    {"quote and backslash cannot fake the end of a name", "a\" b\\n", "a\\\" b\\\\n"},
#endif
};

TEST(Messages, NamesAreShownWithControlCharactersEscaped) {
    for (const ShownCase& c : kShownCases)
        EXPECT_EQ(messages::shown_name(c.name), c.shown) << c.source;
}

// Texts built from the platform's constants, as users read them.
TEST(Messages, BuiltTextsReadAsWritten) {
#ifdef _WIN32
    EXPECT_EQ(messages::kExtensionHasSlash,
              "The extension cannot contain \"\\\", \"/\" or \":\": the output must stay beside "
              "the input.");
#else
    EXPECT_EQ(messages::kExtensionHasSlash,
              "The extension cannot contain \"/\": the output must stay beside the input.");
#endif
    EXPECT_EQ(messages::no_full_chunk("a.bsl"),
              "\"a.bsl\" is shorter than 512 bytes, so it did not move the register: name the file "
              "made before "
              "it.");
}

}  // namespace
}  // namespace brisol
