#include <gtest/gtest.h>

#include "output_name.h"
#include "utf8.h"

namespace brisol {
namespace {

struct NamingCase {
    const char* source;
    Direction direction;
    const char* path;
    const char* extension;
    const char* expected;
};

constexpr NamingCase kNamingCases[] = {
    {"crypt keeps the input's extension", Direction::Crypt, "/home/ann/report.txt", ".src",
     "/home/ann/report.txt.bsl"},
    {"crypt ignores the extension text", Direction::Crypt, "report.txt", ".xyz", "report.txt.bsl"},
    {"decrypt does not remove .bsl", Direction::Decrypt, "report.txt.bsl", ".src",
     "report.txt.bsl.src"},
    {"first character stands for the dot", Direction::Decrypt, "a.bsl", "txt", "a.bsl.xt"},
    {"four characters after the dot", Direction::Decrypt, "a.bsl", ".html", "a.bsl.html"},
    {"a sixth character is not read", Direction::Decrypt, "a.bsl", ".jpeg2", "a.bsl.jpeg"},
    {"empty field gives a trailing dot", Direction::Decrypt, "a.bsl", "", "a.bsl."},
    {"only the dot gives a trailing dot", Direction::Decrypt, "a.bsl", ".", "a.bsl."},
    {"characters, not bytes, are counted", Direction::Decrypt, "a.bsl", ".дока", "a.bsl.дока"},
    {"a multibyte sixth character is cut whole", Direction::Decrypt, "a.bsl", ".дока2",
     "a.bsl.дока"},
    {"a multibyte first character is the dot", Direction::Decrypt, "a.bsl", "éabcd", "a.bsl.abcd"},
    {"four-byte characters count once", Direction::Decrypt, "a", ".😀😀😀😀😀", "a.😀😀😀😀"},
};

TEST(OutputName, FollowsTheNamingRules) {
    for (const NamingCase& c : kNamingCases)
        EXPECT_EQ(output_name(c.direction, c.path, c.extension), c.expected) << c.source;
}

TEST(OutputName, LongPathKeepsItsSuffix) {
    const std::string path = std::string(4000, 'd') + "/f";
    EXPECT_EQ(output_name(Direction::Crypt, path, ""), path + ".bsl");
}

struct Utf8Case {
    const char* source;
    const char* text;
    bool valid;
};

constexpr Utf8Case kUtf8Cases[] = {
    {"ASCII", "plain", true},
    {"two-byte", "é", true},
    {"four-byte", "😀", true},
    {"stray continuation", "\x80", false},
    {"truncated sequence", "\xD0", false},
    {"overlong slash", "\xC0\xAF", false},
    {"surrogate", "\xED\xA0\x80", false},
    {"above U+10FFFF", "\xF4\x90\x80\x80", false},
    {"Latin-1 byte", "caf\xE9", false},
};

TEST(Utf8, TellsWellFormedText) {
    for (const Utf8Case& c : kUtf8Cases) EXPECT_EQ(is_valid_utf8(c.text), c.valid) << c.source;
}

}  // namespace
}  // namespace brisol
