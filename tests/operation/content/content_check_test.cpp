// What a Decrypt tells about its result, for plain files of several kinds
// decrypted with the right passwords and with either one wrong.

#include <gtest/gtest.h>

#include "../test_files.h"
#include "content_check.h"

namespace brisol {
namespace {

using testing::pattern_bytes;
using testing::run_to_end;

constexpr bool kLibmagic = BRISOL_KINDS_FROM_LIBMAGIC;

std::string text_of(std::size_t size) {
    const std::string sentence = "Minutes of the meeting: items one to four were agreed by all.\n";
    std::string text;
    while (text.size() < size) text += sentence;
    return text.substr(0, size);
}

// A real header in front of random-looking contents, as compressed formats are.
std::string compressed(std::string_view header) {
    return std::string{header} + pattern_bytes(5000, 7);
}

// Visits every byte value in turn: as even as no random data is.
std::string counter(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 131 + 0x80);
    return bytes;
}

struct PlainCase {
    const char* name;
    std::string plain;
    std::string kind;  // named after the right passwords
    bool warn_right;   // the warning with the right passwords
    bool warn_wrong1;  // with a wrong PASSWORD-1
    bool warn_wrong2;  // with a wrong PASSWORD-2
    bool signature;    // the kind is one of the signatures of builds without libmagic
};

const std::string kGzip = "\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03";
const std::string kPng = std::string{"\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR", 16};

const PlainCase kPlainCases[] = {
    // A tail only: a wrong PASSWORD-1 changes nothing, a wrong PASSWORD-2 everything.
    {"300-byte text", text_of(300), kLibmagic ? "ASCII text" : "", false, false, true, false},
    // Full chunks and a tail: the garbled chunks are judged without the right tail.
    {"700-byte text", text_of(700), kLibmagic ? "ASCII text" : "", false, true, true, false},
    {"text of ten chunks", text_of(5000), kLibmagic ? "ASCII text" : "", false, true, true, false},
    {"gzip", compressed(kGzip), "gzip compressed data", false, true, true, true},
    {"PDF", compressed("%PDF-1.7\n%\xe2\xe3\xcf\xd3\n"), "PDF document", false, true, true, true},
    {"PNG", compressed(kPng), "PNG image data", false, true, true, true},
    {"every byte value in turn", counter(5000), "", false, true, true, false},
    // What the look cannot tell: random plain bytes, and too few bytes.
    {"random bytes", pattern_bytes(5000, 3), "", true, true, true, false},
    {"100-byte text", text_of(100), kLibmagic ? "ASCII text" : "", false, false, false, false},
};

TEST(ContentCheckTest, DecryptTellsAKnownKindOrARandomLookingResult) {
    testing::TempDir dir;
    OperationRunner runner;
    const std::string input = dir.file("plain");
    for (const PlainCase& c : kPlainCases) {
        testing::write_file(input, c.plain);
        ASSERT_EQ(run_to_end(runner, Direction::Crypt, input, ".src", "one", "two").outcome,
                  OperationOutcome::Succeeded);
        const struct {
            const char* password1;
            const char* password2;
            bool warn;
        } tries[] = {{"one", "two", c.warn_right},
                     {"wrong", "two", c.warn_wrong1},
                     {"one", "wrong", c.warn_wrong2}};
        for (const auto& t : tries) {
            const std::string context =
                std::string{c.name} + " with " + t.password1 + "/" + t.password2;
            const OperationResult result = run_to_end(runner, Direction::Decrypt, input + ".bsl",
                                                      ".src", t.password1, t.password2);
            ASSERT_EQ(result.outcome, OperationOutcome::Succeeded) << context;
            EXPECT_EQ(result.content.looks_random, t.warn) << context;
            EXPECT_EQ(testing::read_file(input + ".bsl.src").size(), c.plain.size())
                << "kept either way: " << context;
        }
        const OperationResult right =
            run_to_end(runner, Direction::Decrypt, input + ".bsl", ".src", "one", "two");
        EXPECT_EQ(right.content.kind, c.kind) << c.name;

        const auto* head = reinterpret_cast<const std::uint8_t*>(c.plain.data());
        const KnownKind by_signature = signature_kind({head, c.plain.size()});
        EXPECT_EQ(by_signature.name, c.signature ? c.kind : "") << "without libmagic: " << c.name;
    }
    const OperationResult crypted =
        run_to_end(runner, Direction::Crypt, input, ".src", "one", "two");
    EXPECT_FALSE(crypted.content.looks_random) << "only a Decrypt is looked at";
}

}  // namespace
}  // namespace brisol
