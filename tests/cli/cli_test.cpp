// Runs the built brisol-cli as a user's script would.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../operation/test_files.h"
#include "operation/messages.h"

namespace brisol {
namespace {

using testing::TempDir;
using testing::pattern_bytes;
using testing::read_file;
using testing::write_file;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text) result += c == '\'' ? std::string{"'\\''"} : std::string{c};
    return result + "'";
}

// Runs brisol-cli in dir with stdin_text as its standard input.
CliRun run_cli(const TempDir& dir, const std::vector<std::string>& args, const std::string& stdin_text,
               const std::string& environment = "") {
    write_file(dir.file(".stdin"), stdin_text);
    std::string command = "cd " + quoted(dir.path().string()) + " && " + environment + " " +
                          quoted(BRISOL_CLI_PATH);
    for (const std::string& arg : args) command += " " + quoted(arg);
    command += " <.stdin >.stdout 2>.stderr";
    const int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = read_file(dir.file(".stdout"));
    run.err = read_file(dir.file(".stderr"));
    std::filesystem::remove(dir.file(".stdin"));
    std::filesystem::remove(dir.file(".stdout"));
    std::filesystem::remove(dir.file(".stderr"));
    return run;
}

class CliTest : public ::testing::Test {
protected:
    CliTest() : data(pattern_bytes(3 * 512 + 100)) { write_file(dir.file("some.file"), data); }

    // Encrypts some.file with one pair of password lines and decrypts it with
    // another; true when the decrypted file equals the original.
    bool round_trip(const std::string& crypt_lines, const std::string& decrypt_lines,
                    const std::string& environment = "") {
        EXPECT_EQ(run_cli(dir, {"crypt", "some.file"}, crypt_lines, environment).status, 0);
        EXPECT_EQ(run_cli(dir, {"decrypt", "--ext", ".out", "some.file.bsl"}, decrypt_lines, environment).status, 0);
        return read_file(dir.file("some.file.bsl.out")) == data;
    }

    TempDir dir;
    std::string data;
};

TEST_F(CliTest, RoundTripsAFileQuietly) {
    const CliRun crypted = run_cli(dir, {"crypt", "some.file"}, "pw1\npw2\n");
    EXPECT_EQ(crypted.status, 0);
    EXPECT_EQ(crypted.out, "");
    EXPECT_EQ(crypted.err, "");
    EXPECT_EQ(read_file(dir.file("some.file.bsl")).size(), data.size());
    const CliRun decrypted = run_cli(dir, {"decrypt", "some.file.bsl"}, "pw1\npw2\n");
    EXPECT_EQ(decrypted.status, 0);
    EXPECT_EQ(read_file(dir.file("some.file.bsl.src")), data);
}

TEST_F(CliTest, PasswordLinesAreReadExactly) {
    EXPECT_TRUE(round_trip("pw1\r\npw2\r\n", "pw1\npw2")) << "CR LF is a line end";
    EXPECT_FALSE(round_trip("pw1\npw2\n", "pw1 \npw2\n")) << "a trailing space is a character";
    EXPECT_TRUE(round_trip("only\n", "only\n\n")) << "a missing line is an empty password";
    EXPECT_FALSE(round_trip("pw1\npw2\n", "pw2\npw1\n")) << "the passwords are not interchangeable";
}

TEST_F(CliTest, PasswordOverThirtyOneCharactersActsAsItsFirstThirtyOne) {
    const std::string forty1 = "0123456789012345678901234567890123456789";
    const std::string forty2 = "abcdefghijabcdefghijabcdefghijabcdefghij";
    EXPECT_TRUE(round_trip(forty1 + "\n" + forty2 + "\n",
                           forty1.substr(0, 31) + "\n" + forty2.substr(0, 31) + "\n"));
    EXPECT_FALSE(round_trip(forty1 + "\n" + forty2 + "\n",
                            forty1.substr(0, 30) + "\n" + forty2.substr(0, 31) + "\n"));
}

TEST_F(CliTest, LocaleOrOptionChoosesThePasswordCodePage) {
    EXPECT_TRUE(round_trip("пароль\nключ\n", "пароль\nключ\n", "LC_ALL=ru_RU.UTF-8"));
    EXPECT_EQ(run_cli(dir, {"decrypt", "--codepage", "CP1251", "--ext=.alt", "some.file.bsl"},
                      "пароль\nключ\n")
                  .status,
              0);
    EXPECT_EQ(read_file(dir.file("some.file.bsl.alt")), data);

    const CliRun refused = run_cli(dir, {"crypt", "some.file"}, "пароль\nключ\n", "LC_ALL=en_US.UTF-8");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "brisol-cli: PASSWORD-1 has a character that code page CP1252 cannot represent.\n");
}

struct StatusCase {
    const char* source;
    std::vector<std::string> args;
    int status;
    const char* err;  // standard error exactly, or nullptr not to check it
};

const StatusCase kStatusCases[] = {
    {"no arguments", {}, 2, "brisol-cli: missing command: crypt or decrypt\nTry 'brisol-cli --help'.\n"},
    {"unknown command", {"encrypt", "some.file"}, 2,
     "brisol-cli: unknown command: encrypt\nTry 'brisol-cli --help'.\n"},
    {"no file", {"crypt"}, 2, "brisol-cli: no FILE given\nTry 'brisol-cli --help'.\n"},
    {"unknown option", {"--fast", "crypt", "some.file"}, 2,
     "brisol-cli: unknown option: --fast\nTry 'brisol-cli --help'.\n"},
    {"--ext without a value", {"decrypt", "some.file", "--ext"}, 2, nullptr},
    {"--ext with crypt", {"crypt", "--ext", ".x", "some.file"}, 2, nullptr},
    {"unknown code page", {"--codepage", "NO-SUCH", "crypt", "some.file"}, 2, nullptr},
    {"missing file", {"crypt", "absent"}, 1,
     "brisol-cli: Cannot open \"absent\": No such file or directory\n"},
    {"one of two files missing", {"crypt", "absent", "some.file"}, 1,
     "brisol-cli: Cannot open \"absent\": No such file or directory\n"},
    {"empty file name", {"crypt", ""}, 1, "brisol-cli: No file is chosen: choose or drop a file first.\n"},
    {"a file after -- that looks like an option", {"crypt", "--", "--fast"}, 1,
     "brisol-cli: Cannot open \"--fast\": No such file or directory\n"},
    {"every file done", {"crypt", "some.file", "some.file"}, 0, ""},
};

TEST_F(CliTest, ExitStatusSaysWhatHappened) {
    for (const StatusCase& c : kStatusCases) {
        const CliRun run = run_cli(dir, c.args, "pw1\npw2\n");
        EXPECT_EQ(run.status, c.status) << c.source;
        if (c.err != nullptr) {
            EXPECT_EQ(run.err, c.err) << c.source;
        }
    }
    EXPECT_TRUE(std::filesystem::exists(dir.file("some.file.bsl"))) << "the good file was still done";
}

TEST_F(CliTest, DecryptWarnsOfARandomLookingResultAndNamesAKnownKindWhenAsked) {
    write_file(dir.file("doc.pdf"), "%PDF-1.7\n" + std::string(2000, 'x'));
    ASSERT_EQ(run_cli(dir, {"crypt", "doc.pdf"}, "pw1\npw2\n").status, 0);
    const std::string output = "brisol-cli: \"doc.pdf.bsl.src\": ";
    const struct {
        std::vector<std::string> args;
        const char* passwords;
        std::string err;
    } cases[] = {
        {{"decrypt", "doc.pdf.bsl"}, "pw1\nother\n", output + std::string{messages::kLooksRandom} + "\n"},
        {{"decrypt", "doc.pdf.bsl"}, "pw1\npw2\n", ""},
        {{"decrypt", "--verbose", "doc.pdf.bsl"}, "pw1\npw2\n", output + "The result looks like: PDF document\n"},
    };
    for (const auto& c : cases) {
        const CliRun run = run_cli(dir, c.args, c.passwords);
        EXPECT_EQ(run.status, 0) << c.passwords;
        EXPECT_EQ(run.err, c.err) << c.passwords;
        EXPECT_EQ(read_file(dir.file("doc.pdf.bsl.src")).size(), 2009u) << "kept either way";
    }
}

TEST_F(CliTest, HelpAndVersion) {
    const CliRun help = run_cli(dir, {"--help"}, "");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: brisol-cli crypt FILE..."), std::string::npos);
    const CliRun version = run_cli(dir, {"crypt", "--version"}, "");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "brisol-cli 3.0\n");
}

}  // namespace
}  // namespace brisol
