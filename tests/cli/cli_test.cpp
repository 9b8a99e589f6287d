// Runs the built brisol-cli as a user's script would.

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>
#endif

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "../cipher/cipher_test_support.h"
#include "byte_order.h"
#include "platform.h"
#include "messages.h"
#include "run_cli.h"

namespace brisol {
namespace {

using testing::CliRun;
using testing::run_cli;
using testing::TempDir;
#ifndef _WIN32
using testing::run_shell;
#endif
using testing::pattern_bytes;
using testing::read_file;
using testing::write_file;

std::string message_line(const std::string& message) { return "brisol-cli: " + message + "\n"; }

class CliTest : public ::testing::Test {
protected:
    CliTest() : data(pattern_bytes(3 * 512 + 100)) {
        write_file(dir.file("some.file"), data);
        write_file(dir.file("keys"), "pw1\npw2\n");
        write_file(dir.file("tiny.bsl"), pattern_bytes(511));
    }

    // Encrypts some.file with one pair of password lines and decrypts it with
    // another; true when the decrypted file equals the original.
    bool round_trip(const std::string& crypt_lines, const std::string& decrypt_lines,
                    const std::string& environment = "") {
        EXPECT_EQ(run_cli(dir, {"crypt", "some.file"}, crypt_lines, environment).status, 0);
        EXPECT_EQ(
            run_cli(dir, {"decrypt", "--ext", ".out", "some.file.bsl"}, decrypt_lines, environment)
                .status,
            0);
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

// FNV-1a: enough to tell one file's bytes from another's.
std::uint64_t digest(const std::string& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    return hash;
}

// Every platform and build writes these very bytes for these passwords: three
// chunks and a tail, one password outside ASCII in a code page named outright.
TEST_F(CliTest, WritesTheSameBytesOnEveryPlatform) {
    ASSERT_EQ(run_cli(dir, {"--codepage", "CP1251", "crypt", "some.file"}, "пароль\r\nkey two\r\n")
                  .status,
              0);
    EXPECT_EQ(digest(read_file(dir.file("some.file.bsl"))), 0x6e6a9d2a1288a491u);
}

// A name outside ASCII reaches the file calls as typed (on Windows through
// the wide command line and the wide file calls) and names the output.
TEST_F(CliTest, NamesOutsideAsciiRoundTrip) {
    const std::u8string name = u8"отчёт €.txt";
    std::filesystem::copy_file(dir.file("some.file"), dir.path() / name);
    const std::string argument(name.begin(), name.end());
    ASSERT_EQ(run_cli(dir, {"crypt", argument}, "pw1\npw2\n").status, 0);
    ASSERT_EQ(run_cli(dir, {"decrypt", argument + ".bsl"}, "pw1\npw2\n").status, 0);
    std::filesystem::copy_file(dir.path() / (name + u8".bsl.src"), dir.file("back"));
    EXPECT_EQ(read_file(dir.file("back")), data);
}

#ifdef _WIN32
// Wine takes the system code page from the locale it starts in, so ctest
// runs this under a Russian locale (code page 1251); elsewhere it skips.
TEST_F(CliTest, SystemCodePageOrOptionChoosesThePasswordCodePage) {
    if (GetACP() != 1251) GTEST_SKIP() << "needs a system whose ANSI code page is 1251";
    EXPECT_TRUE(round_trip("пароль\nключ\n", "пароль\nключ\n"));
    EXPECT_EQ(run_cli(dir, {"decrypt", "--codepage", "1251", "--ext=.alt", "some.file.bsl"},
                      "пароль\nключ\n")
                  .status,
              0);
    EXPECT_EQ(read_file(dir.file("some.file.bsl.alt")), data);

    const CliRun refused = run_cli(dir, {"crypt", "some.file"}, "café\nключ\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, message_line(messages::password_unrepresentable(1, "CP1251")));
}
#else
TEST_F(CliTest, LocaleOrOptionChoosesThePasswordCodePage) {
    EXPECT_TRUE(round_trip("пароль\nключ\n", "пароль\nключ\n", "LC_ALL=ru_RU.UTF-8"));
    EXPECT_EQ(run_cli(dir, {"decrypt", "--codepage", "CP1251", "--ext=.alt", "some.file.bsl"},
                      "пароль\nключ\n")
                  .status,
              0);
    EXPECT_EQ(read_file(dir.file("some.file.bsl.alt")), data);

    const CliRun refused =
        run_cli(dir, {"crypt", "some.file"}, "пароль\nключ\n", "LC_ALL=en_US.UTF-8");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "brisol-cli: PASSWORD-1 has a character that code page CP1252 cannot represent.\n");
}
#endif

struct StatusCase {
    const char* source;
    std::vector<std::string> args;
    int status;
    std::optional<std::string> err;  // standard error exactly, or nothing not to check it
};

#ifdef _WIN32
constexpr const char* kMultibyteCodepage = "CP65001";
#else
constexpr const char* kMultibyteCodepage = "UTF-8";
#endif

std::string cannot_open_missing(const std::string& name) {
    return message_line(
        messages::file_error(messages::kCannotOpen, name, platform::kErrorNotFound));
}

const StatusCase kStatusCases[] = {
    {"no arguments",
     {},
     2,
     "brisol-cli: missing command: crypt or decrypt\nTry 'brisol-cli --help'.\n"},
    {"unknown command",
     {"encrypt", "some.file"},
     2,
     "brisol-cli: unknown command: encrypt\nTry 'brisol-cli --help'.\n"},
    {"no file", {"crypt"}, 2, "brisol-cli: no FILE given\nTry 'brisol-cli --help'.\n"},
    {"unknown option",
     {"--fast", "crypt", "some.file"},
     2,
     "brisol-cli: unknown option: --fast\nTry 'brisol-cli --help'.\n"},
    {"--ext without a value", {"decrypt", "some.file", "--ext"}, 2, std::nullopt},
    {"--ext with crypt", {"crypt", "--ext", ".x", "some.file"}, 2, std::nullopt},
    {"unknown code page", {"--codepage", "NO-SUCH", "crypt", "some.file"}, 2, std::nullopt},
    {"missing file", {"crypt", "absent"}, 1, cannot_open_missing("absent")},
    {"one of two files missing",
     {"crypt", "absent", "some.file"},
     1,
     cannot_open_missing("absent")},
    {"a missing file named outside ASCII",
     {"crypt", "нет €.txt"},
     1,
     cannot_open_missing("нет €.txt")},
    {"empty file name",
     {"crypt", ""},
     1,
     "brisol-cli: No file is chosen: choose or drop a file first.\n"},
    {"a file after -- that looks like an option",
     {"crypt", "--", "--fast"},
     1,
     cannot_open_missing("--fast")},
    {"-o with two files",
     {"crypt", "-o", "out", "some.file", "some.file"},
     2,
     "brisol-cli: -o names the output of a single FILE\nTry 'brisol-cli --help'.\n"},
    {"-o without a value", {"crypt", "some.file", "-o"}, 2, std::nullopt},
    {"--ext with -o", {"decrypt", "--ext", ".x", "-o", "out", "some.file"}, 2, std::nullopt},
    {"--after with two files",
     {"decrypt", "--after", "some.file", "some.file", "some.file"},
     2,
     std::nullopt},
    {"two password sources",
     {"crypt", "--password-file", "keys", "--password-fd", "3", "some.file"},
     2,
     std::nullopt},
    {"descriptor that is no number",
     {"crypt", "--password-fd", "three", "some.file"},
     2,
     "brisol-cli: not a file descriptor number: three\nTry 'brisol-cli --help'.\n"},
    {"standard input twice", {"crypt", "-", "-"}, 2, std::nullopt},
    {"passwords on the data's descriptor", {"crypt", "--password-fd", "0", "-"}, 2, std::nullopt},
    {"-o naming the input",
     {"crypt", "-o", "some.file", "some.file"},
     1,
     message_line(messages::same_file("some.file", "some.file"))},
    {"missing password file",
     {"crypt", "--password-file", "absent", "some.file"},
     1,
     cannot_open_missing("absent")},
    {"--after a file without a full chunk",
     {"decrypt", "--after", "tiny.bsl", "some.file"},
     1,
     "brisol-cli: \"tiny.bsl\" is shorter than 512 bytes, so it did not move the register: name "
     "the file made before it.\n"},
    {"an option with control characters is shown escaped",
     {"--\033[2J", "crypt", "some.file"},
     2,
     "brisol-cli: unknown option: --\\033[2J\nTry 'brisol-cli --help'.\n"},
    {"a directory as input",
     {"crypt", "."},
     1,
     message_line(messages::file_error(messages::kCannotOpen, ".", platform::kErrorIsDirectory))},
    {"a directory as output",
     {"crypt", "-o", ".", "some.file"},
     1,
     message_line(messages::file_error(messages::kCannotCreate, ".", platform::kErrorIsDirectory))},
    {"a code page of several bytes a character",
     {"--codepage", kMultibyteCodepage, "crypt", "some.file"},
     2,
     "brisol-cli: --codepage needs a single-byte code page: " + std::string{kMultibyteCodepage} +
         "\nTry 'brisol-cli --help'.\n"},
#ifdef _WIN32
    // Windows drops the trailing dot: the output would be the input.
    {"an empty extension",
     {"decrypt", "--ext", "", "some.file"},
     1,
     message_line(messages::same_file("some.file.", "some.file"))},
    // Devices, written where they are; none of them leaves a file.
    {"-o NUL", {"crypt", "-o", "NUL", "some.file"}, 0, ""},
    {"-o NUL:", {"crypt", "-o", "NUL:", "some.file"}, 0, ""},
    {"-o \\\\.\\NUL", {"crypt", "-o", "\\\\.\\NUL", "some.file"}, 0, ""},
#endif
    {"every file done", {"crypt", "some.file", "some.file"}, 0, ""},
    {"no jobs",
     {"--jobs", "0", "crypt", "some.file"},
     2,
     "brisol-cli: --jobs needs a number from 1: 0\nTry 'brisol-cli --help'.\n"},
    {"jobs not a number", {"crypt", "-jx", "some.file"}, 2, std::nullopt},
    {"-j without a value", {"crypt", "some.file", "-j"}, 2, std::nullopt},
    {"one of three files missing, done at once",
     {"crypt", "--jobs=3", "some.file", "absent", "some.file"},
     1,
     cannot_open_missing("absent")},
};

TEST_F(CliTest, ExitStatusSaysWhatHappened) {
    for (const StatusCase& c : kStatusCases) {
        const CliRun run = run_cli(dir, c.args, "pw1\npw2\n");
        EXPECT_EQ(run.status, c.status) << c.source;
        if (c.err) {
            EXPECT_EQ(run.err, *c.err) << c.source;
        }
    }
    EXPECT_TRUE(std::filesystem::exists(dir.file("some.file.bsl")))
        << "the good file was still done";
}

#ifndef _WIN32
// Each row must write exactly what `crypt some.file` with the passwords of
// "keys" writes (or, decrypting it, some.file itself) to "out".
struct StreamCase {
    const char* source;
    std::string script;
    bool decrypts;
};

const StreamCase kStreamCases[] = {
    {"-o, passwords on standard input", "$CLI crypt -o out some.file <keys", false},
    {"standard input to -o in pieces, passwords from a file",
     "(head -c 700 some.file; sleep 0.2; tail -c +701 some.file) | $CLI crypt --password-file keys "
     "- -o out",
     false},
    {"file to -o -, passwords from a descriptor",
     "$CLI crypt --password-fd 3 -o - some.file 3<keys >out", false},
    {"a filter after --, CR LF password lines without a last line end",
     "printf 'pw1\r\npw2' >crlf && cat some.file | $CLI crypt --password-file crlf -- - >out",
     false},
    {"a decrypting filter", "$CLI decrypt --password-file keys - <reference >out", true},
};

TEST_F(CliTest, EveryWayInAndOutGivesTheFileResult) {
    ASSERT_EQ(run_cli(dir, {"crypt", "some.file"}, "pw1\npw2\n").status, 0);
    std::filesystem::rename(dir.file("some.file.bsl"), dir.file("reference"));
    const std::string reference = read_file(dir.file("reference"));
    for (const StreamCase& c : kStreamCases) {
        const CliRun run = run_shell(dir, c.script);
        EXPECT_EQ(run.status, 0) << c.source;
        if (!c.decrypts) {
            EXPECT_EQ(run.err, "") << c.source;  // the test data looks random
        }
        EXPECT_TRUE(read_file(dir.file("out")) == (c.decrypts ? data : reference)) << c.source;
        std::filesystem::remove(dir.file("out"));
    }
}

TEST_F(CliTest, StreamFailuresAreReported) {
    // The reader closes its end before any data reaches brisol-cli.
    const CliRun closed =
        run_shell(dir,
                  "mkfifo gate && { read _ <gate; cat some.file; } | "
                  "$CLI crypt --password-file keys - | { exec 0<&-; echo >gate; }");
    EXPECT_EQ(closed.err, "brisol-cli: Cannot write standard output: Broken pipe\n");
    // The reader goes away while the input stays open with nothing more to
    // read after three buffers and a bit: the pipeline finds out at its third
    // write, while the reading thread waits for a fourth buffer that nobody
    // needs. The run must end all the same.
    const CliRun stalled =
        run_shell(dir,
                  "mkfifo held; { head -c 787432 /dev/zero; exec sleep 600; } >held & writer=$!; "
                  "{ timeout 60 $CLI crypt --password-file keys - <held; echo $? >status; } | head "
                  "-c 1 >/dev/null; "
                  "kill $writer; cat status");
    EXPECT_EQ(stalled.out, "1\n") << "not 124: the run waited for the stalled input";
    const CliRun appending =
        run_shell(dir, "$CLI crypt --password-file keys - <some.file >>some.file");
    EXPECT_EQ(appending.status, 1);
    EXPECT_EQ(read_file(dir.file("some.file")), data) << "the input would have grown for ever";
}

// What a careless or hostile command line meets. Each script runs in the
// folder with some.file (mode 600), "keys" and "reference" (some.file
// encrypted with them); it gives the status and standard error shown, and
// then the shell test `holds` must hold. A script that cannot set up its case
// (no root for mknod or chown) exits with 77 and is skipped.
struct HostileCase {
    const char* source;
    std::string script;
    int status;
    std::string err;
    std::string holds;
};

const std::string kRoot = "[ \"$(id -u)\" = 0 ] || exit 77; ";
const std::string kCrypt = "$CLI crypt --password-file keys ";
// A folder on a file system mounted without devices cannot open them.
std::string opens(const std::string& device) {
    return "{ printf '' >" + device + " || exit 77; } && ";
}
// Runs what follows as a second user; the scratch folder must let it in.
const std::string kAsOtherUser = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
// Waits for a condition of a run in the background, however long it takes.
std::string until(const std::string& condition) {
    return "until " + condition + "; do sleep 0.01; done; ";
}
// Until a thread of $pid blocks the interrupts that brisol-cli takes itself:
// an operation's worker (the sanitizers' own threads block every signal).
const std::string kWorkerStarted = until("grep -qs 'SigBlk:.*420[0-3]$' /proc/$pid/task/*/status");
// Runs the script with "m" a FUSE mount of "src", a file system without
// unnamed files; its status survives the unmount.
std::string on_fuse(const std::string& script) {
    return kRoot +
           "test -c /dev/fuse && command -v bindfs >e || exit 77; mkdir src m && { bindfs src m || "
           "exit 77; }; ( " +
           script + " ); status=$?; umount m; exit $status";
}

const HostileCase kHostileCases[] = {
    {"a FIFO is written where it is",
     "mkfifo p && { cat p >got & } && " + kCrypt + "-o p some.file && wait", 0, "",
     "test -p p && cmp -s got reference"},
    {"a character device is written where it is",
     kRoot + "mknod null c 1 3 && " + opens("null") + kCrypt + "-o null some.file", 0, "",
     "test -c null"},
    {"a full device is a write failure",
     kRoot + "mknod full c 1 7 && " + opens("full") + kCrypt + "-o full some.file", 1,
     "brisol-cli: Cannot write \"full\": No space left on device\n", "test -c full"},
    {"/dev/stdout is standard output", kCrypt + "-o /dev/stdout some.file >out", 0, "",
     "cmp -s out reference"},
    {"/dev/fd/N is that descriptor", kCrypt + "-o /dev/fd/3 some.file 3>out", 0, "",
     "cmp -s out reference"},
    {"other spellings of /dev/stdout are standard output",
     "for o in /dev/./stdout /dev//stdout /dev/../dev/stdout; do " + kCrypt +
         "-o $o some.file >>out || exit; done",
     0, "", "cat reference reference reference | cmp -s out -"},
    {"standard error's file never takes the result", kCrypt + "-o /dev/stderr some.file 2>out", 1,
     "",
     "test \"$(cat out)\" = 'brisol-cli: \"/dev/stderr\" is the same file as standard error, which "
     "carries the messages'"},
    {"standard output shared with standard error is refused", kCrypt + "-o - some.file >out 2>&1",
     1, "",
     "grep -qx 'brisol-cli: standard output is the same file as standard error, which carries the "
     "messages' out"},
    {"no name of a standard descriptor puts the result on a terminal",
     "for o in /dev/stderr /dev/stdin /proc/self/fd/0 /dev/./stderr; do script -qec \"" + kCrypt +
         "-o $o some.file\" log </dev/null >shown; [ $? = 1 ] && cat log >>all || exit; done",
     0, "",
     "test \"$(grep -c 'is a terminal; nothing was written' all)\" = 4 && test \"$(wc -c <all)\" "
     "-lt 1500"},
    {"closed standard input is refused, not taken by a file", kCrypt + "-j2 some.file - >out <&-",
     1, "brisol-cli: standard input is closed; nothing was done\n",
     "test ! -s out && test ! -e some.file.bsl"},
    {"closed standard output is said", kCrypt + "-o - some.file >&-", 1,
     "brisol-cli: standard output is closed; nothing was done\n", "true"},
    {"a password file on standard input's pipe",
     "cat keys some.file | $CLI crypt --password-file /dev/stdin -o out -", 2,
     "brisol-cli: \"/dev/stdin\" is the same file as standard input, which carries the data\nTry "
     "'brisol-cli --help'.\n",
     "test ! -e out"},
    {"a password file that standard input reads too",
     "cat keys some.file >both && $CLI crypt --password-file both -o out - <both", 2,
     "brisol-cli: \"both\" is the same file as standard input, which carries the data\nTry "
     "'brisol-cli --help'.\n",
     "test ! -e out"},
    {"a password descriptor opened on standard input's file",
     "cat keys some.file >both && $CLI crypt --password-fd 3 -o out - <both 3</dev/stdin", 2,
     "brisol-cli: descriptor 3 is the same file as standard input, which carries the data\nTry "
     "'brisol-cli --help'.\n",
     "test ! -e out"},
    // The reader takes nothing until the pipe is full, so the next write
    // surely finds it full; the result must come out whole all the same.
    {"a non-blocking standard output is waited on",
     "head -c 200000 /dev/zero >big && " + kCrypt +
         "-o big.bsl big && { python3 -c 'import fcntl, os\n"
         "fcntl.fcntl(1, fcntl.F_SETFL, fcntl.fcntl(1, fcntl.F_GETFL) | os.O_NONBLOCK)' && " +
         kCrypt +
         "-o - big; echo $? >status; } | python3 -c 'import fcntl, struct, sys, termios, time\n"
         "size = fcntl.fcntl(0, fcntl.F_GETPIPE_SZ)\n"
         "while struct.unpack(\"i\", fcntl.ioctl(0, termios.FIONREAD, bytes(4)))[0] < size: "
         "time.sleep(0.01)\n"
         "sys.stdout.buffer.write(sys.stdin.buffer.read())' >out",
     0, "", "test \"$(cat status)\" = 0 && cmp -s out big.bsl"},
    {"a symbolic link is replaced, its target untouched",
     "echo mine >target && ln -s target link && " + kCrypt + "-o link some.file", 0, "",
     "test ! -L link && cmp -s link reference && test \"$(cat target)\" = mine"},
    {"a folder as output is refused before the passwords are read",
     "mkdir folder && $CLI crypt -o folder some.file </dev/null", 1,
     "brisol-cli: Cannot create \"folder\": Is a directory\n", "test -d folder"},
    {"a block device is refused", kRoot + "mknod disk b 7 0 && " + kCrypt + "-o disk some.file", 1,
     "brisol-cli: Cannot create \"disk\": Is a block device\n", "test -b disk"},
    {"another user's FIFO is refused",
     kRoot + "mkfifo p && chown 65534 p && " + kCrypt + "-o p some.file", 1,
     "brisol-cli: Cannot create \"p\": Is a device or FIFO of another user\n", "test -p p"},
    {"a new output is no more open than its input", "umask 022 && " + kCrypt + "some.file", 0, "",
     "test \"$(stat -c %a some.file.bsl)\" = 600"},
    {"the umask still applies", "chmod 666 some.file && umask 027 && " + kCrypt + "some.file", 0,
     "", "test \"$(stat -c %a some.file.bsl)\" = 640"},
    {"a replaced output of the user's own keeps its mode within the input's and, where allowed, "
     "its group",
     "chmod 644 some.file && umask 022 && echo old >out && chmod 640 out && group=$(id -g) && "
     "{ chgrp 65534 out 2>e && group=65534; }; echo \"640 $group\" >expected && " +
         kCrypt + "-o out some.file",
     0, "", "test \"$(stat -c '%a %g' out)\" = \"$(cat expected)\" && cmp -s out reference"},
    {"/dev/stdin as input while it carries the passwords",
     "cat keys some.file >both && $CLI crypt -o out /dev/stdin <both", 2,
     "brisol-cli: \"/dev/stdin\" is the same file as standard input, which carries the passwords\n"
     "Try 'brisol-cli --help'.\n",
     "test ! -e out"},
    {"a password source without line ends", kCrypt + "-o out some.file --password-file /dev/zero",
     1, "brisol-cli: Cannot read \"/dev/zero\": A password line is longer than 4 KiB\n",
     "test ! -e out"},
    {"a long line on standard input",
     "head -c 5000 /dev/zero | tr '\\0' x | $CLI crypt -o out some.file", 1,
     "brisol-cli: cannot read the passwords: A password line is longer than 4 KiB\n",
     "test ! -e out"},
    {"the longest line is still a password",
     "head -c 4096 /dev/zero | tr '\\0' x | $CLI crypt -o out some.file", 0,
     "brisol-cli: Warning: PASSWORD-2 is empty, so the RC4 layer is keyed with zeros and protects "
     "nothing.\n",
     "test -f out"},
    {"an empty password is said", "printf '\\npw2\\n' | $CLI crypt -o out some.file", 0,
     "brisol-cli: Warning: PASSWORD-1 is empty, so the GOST layer is keyed with zeros and protects "
     "nothing.\n",
     "test -f out"},
    {"a replaced output is no more open than the input",
     "echo old >out && chmod 666 out && " + kCrypt + "-o out some.file", 0, "",
     "test \"$(stat -c %a out)\" = 600"},
    {"another user's output is replaced by one of the user's own",
     kRoot + "echo theirs >out && chmod 666 out && chown 65534:65534 out && " + kCrypt +
         "-o out some.file",
     0, "", "test \"$(stat -c '%a %u %g' out)\" = \"600 0 0\" && cmp -s out reference"},
    {"another user's output in a sticky folder is refused before the passwords are read",
     kRoot +
         "chmod 755 . && mkdir -m 1777 shared && echo theirs >shared/out && cp some.file shared/ "
         "&& chown 65534 shared/some.file "
         "&& cd shared && " +
         kAsOtherUser + "$CLI crypt -o out some.file </dev/null",
     1,
     "brisol-cli: Cannot create \"out\": It belongs to another user, and only they may replace it "
     "in this folder\n",
     "test \"$(cat shared/out)\" = theirs"},
    {"the password file is never the output", kCrypt + "-o keys some.file", 1,
     "brisol-cli: \"keys\" is the same file as \"keys\"; the input was left untouched.\n",
     "printf 'pw1\\npw2\\n' | cmp -s - keys"},
    {"the sweep keeps the password file",
     "cp keys .brisol-KEYSKEYS.tmp && $CLI crypt --password-file .brisol-KEYSKEYS.tmp some.file", 0,
     "", "cmp -s keys .brisol-KEYSKEYS.tmp && cmp -s some.file.bsl reference"},
    {"the sweep keeps the input",
     "cp some.file .brisol-Ab3dE5fG.tmp && " + kCrypt + ".brisol-Ab3dE5fG.tmp", 0, "",
     "cmp -s some.file .brisol-Ab3dE5fG.tmp && cmp -s .brisol-Ab3dE5fG.tmp.bsl reference"},
    {"the sweep keeps the --after file",
     "cp reference .brisol-AfterAft.tmp && " + kCrypt +
         "--after .brisol-AfterAft.tmp -o out some.file",
     0, "", "cmp -s reference .brisol-AfterAft.tmp"},
    {"a link loop at the output name is replaced",
     "ln -s loop loop && " + kCrypt + "-o loop some.file", 0, "",
     "test ! -L loop && cmp -s loop reference"},
    {"a link through a file at the output name is replaced",
     "ln -s some.file/x link && " + kCrypt + "-o link some.file", 0, "",
     "test ! -L link && cmp -s link reference"},
    {"a FIFO whose reader never came was not written",
     "mkfifo p && { " + kCrypt + "-o p some.file & pid=$!; " + kWorkerStarted +
         "kill -TERM $pid; wait $pid; }",
     143, "brisol-cli: Stopped: \"p\" was not written.\n", "test -p p"},
    {"a hidden output on FUSE is the user's alone until it is complete",
     on_fuse("umask 022 && mkfifo in && { " + kCrypt + "-o m/out - <in & } && exec 3>in && " +
             until("ls m/.brisol-*.tmp >e 2>&1") +
             "stat -c %a m/.brisol-*.tmp >while && cat some.file >&3 && exec 3>&- && wait"),
     0, "",
     "test \"$(cat while) $(stat -c %a src/out)\" = \"600 644\" && cmp -s src/out reference"},
    {"a folder swapped for a link during the run keeps the output in the folder that was checked",
     "cp some.file orig && mkdir d && mkfifo in && { " + kCrypt +
         "-o d/some.file - <in & pid=$!; } && exec 3>in && " +
         until("ls -l /proc/$pid/fd | grep -q \" $PWD/d$\"") +
         "mv d d.old && ln -s . d && cat some.file >&3 && exec 3>&- && wait $pid",
     0, "", "cmp -s d.old/some.file reference && test ! -e some.file.bsl && cmp -s some.file orig"},
    {"an interrupt that the caller ignores stays ignored",
     "trap '' HUP && mkfifo in && { " + kCrypt + "-o out - <in & pid=$!; } && exec 3>in && " +
         kWorkerStarted + "kill -HUP $pid && cat some.file >&3 && exec 3>&- && wait $pid",
     0, "", "cmp -s out reference"},
    {"a file the run reads that takes the output's name during the run stays",
     "mkfifo in && { " + kCrypt + "-o out - <in & pid=$!; } && exec 3>in && " + kWorkerStarted +
         "ln keys out && cat some.file >&3 && exec 3>&- && wait $pid",
     1, "brisol-cli: \"out\" is the same file as \"keys\"; the input was left untouched.\n",
     "printf 'pw1\\npw2\\n' | cmp -s - keys"},
};

TEST_F(CliTest, HostileCommandLinesDestroyNothingAndExposeNothing) {
    ASSERT_EQ(run_cli(dir, {"crypt", "-o", "reference", "some.file"}, "pw1\npw2\n").status, 0);
    std::filesystem::permissions(dir.file("some.file"), std::filesystem::perms::owner_read |
                                                            std::filesystem::perms::owner_write);
    for (const HostileCase& c : kHostileCases) {
        TempDir scratch;
        for (const char* name : {"some.file", "keys", "reference"})
            std::filesystem::copy(dir.file(name), scratch.file(name));
        const CliRun run = run_shell(scratch, c.script);
        if (run.status == 77) {
            std::cout << "skipped, needs root: " << c.source << "\n";
            continue;
        }
        EXPECT_EQ(run.status, c.status) << c.source << ": " << run.err;
        EXPECT_EQ(run.err, c.err) << c.source;
        EXPECT_EQ(run_shell(scratch, c.holds).status, 0) << c.source << ": " << c.holds;
    }
}

#endif

// Standard input and output as files and pipes give: each row must write
// exactly what `crypt some.file` with the passwords of "keys" writes (or,
// decrypting that, some.file itself) to standard output.
struct StandardStreamCase {
    const char* source;
    std::vector<std::string> args;
    bool data_on_input;  // else the passwords are
    bool decrypts;
};

const StandardStreamCase kStandardStreamCases[] = {
    {"a filter", {"crypt", "--password-file", "keys", "-"}, true, false},
    {"-o - after --", {"crypt", "-o", "-", "--", "some.file"}, false, false},
    {"a decrypting filter", {"decrypt", "--password-file", "keys", "-"}, true, true},
};

TEST_F(CliTest, StandardStreamsGiveTheFileResult) {
    ASSERT_EQ(run_cli(dir, {"crypt", "-o", "reference", "some.file"}, "pw1\npw2\n").status, 0);
    const std::string reference = read_file(dir.file("reference"));
    for (const StandardStreamCase& c : kStandardStreamCases) {
        const CliRun run =
            run_cli(dir, c.args, c.data_on_input ? (c.decrypts ? reference : data) : "pw1\npw2\n");
        EXPECT_EQ(run.status, 0) << c.source;
        EXPECT_TRUE(run.out == (c.decrypts ? data : reference)) << c.source;
    }
    EXPECT_EQ(dir.names(), (std::set<std::string>{"keys", "reference", "some.file", "tiny.bsl"}))
        << "nothing written beside the inputs";
}

// Files from a program that carries the register from one operation to the
// next: encrypted here by the cipher core from the register that the last
// full chunk of "previous.bsl" leaves (its tail does not count).
TEST_F(CliTest, AfterStartsWhereThePreviousFileLeftTheRegister) {
    const std::string previous = pattern_bytes(1023, 7);
    write_file(dir.file("previous.bsl"), previous);
    const auto* last_block = reinterpret_cast<const std::uint8_t*>(previous.data()) + 504;
    GostLayer gost(make_password_key("pw1"));
    Rc4Layer rc4(make_password_key("pw2"));
    gost.reg = {load_le32(last_block), load_le32(last_block + 4)};
    std::string later = data;
    test::transform(Direction::Crypt, gost, rc4,
                    {reinterpret_cast<std::uint8_t*>(later.data()), later.size()});
    write_file(dir.file("later.bsl"), later);

    EXPECT_EQ(
        run_cli(dir, {"decrypt", "--after", "previous.bsl", "later.bsl"}, "pw1\npw2\n").status, 0);
    EXPECT_TRUE(read_file(dir.file("later.bsl.src")) == data);
    EXPECT_EQ(
        run_cli(dir, {"crypt", "--after", "previous.bsl", "-o", "again", "some.file"}, "pw1\npw2\n")
            .status,
        0);
    EXPECT_TRUE(read_file(dir.file("again")) == later);

    ASSERT_EQ(run_cli(dir, {"decrypt", "-o", "without", "later.bsl"}, "pw1\npw2\n").status, 0);
    const std::string without = read_file(dir.file("without"));
    EXPECT_NE(without.substr(0, 8), data.substr(0, 8));
    EXPECT_TRUE(without.substr(8) == data.substr(8))
        << "only the first block depends on the register";
}

// Files of different lengths, so that they end at different times.
std::vector<std::string> several_files(const TempDir& dir, std::size_t count, std::size_t step) {
    std::vector<std::string> names;
    for (std::size_t k = 0; k < count; ++k) {
        names.push_back("file" + std::to_string(k));
        write_file(dir.file(names.back()),
                   pattern_bytes(step * (k + 1) + 77, static_cast<unsigned>(k + 1)));
    }
    return names;
}

std::vector<std::string> command(std::vector<std::string> args,
                                 const std::vector<std::string>& files) {
    args.insert(args.end(), files.begin(), files.end());
    return args;
}

TEST_F(CliTest, FilesDoneAtOnceComeOutAsEachDoneAlone) {
    const std::vector<std::string> files = several_files(dir, 6, 150 * 1024);
    ASSERT_EQ(run_cli(dir, command({"crypt", "--jobs", "1"}, files), "pw1\npw2\n").status, 0);
    std::vector<std::string> alone;
    for (const std::string& file : files) {
        alone.push_back(read_file(dir.file(file + ".bsl")));
        std::filesystem::remove(dir.file(file + ".bsl"));
    }
    ASSERT_EQ(run_cli(dir, command({"crypt", "-j4"}, files), "pw1\npw2\n").status, 0);
    std::vector<std::string> crypted;
    for (std::size_t k = 0; k < files.size(); ++k) {
        EXPECT_EQ(read_file(dir.file(files[k] + ".bsl")), alone[k]) << files[k];
        crypted.push_back(files[k] + ".bsl");
    }
    ASSERT_EQ(run_cli(dir, command({"decrypt", "--jobs=3"}, crypted), "pw1\npw2\n").status, 0);
    for (const std::string& file : files)
        EXPECT_EQ(read_file(dir.file(file + ".bsl.src")), read_file(dir.file(file))) << file;
}

#ifndef _WIN32
// How many of the files a process has open, from its descriptors.
std::size_t files_open(pid_t process, const TempDir& dir, const std::vector<std::string>& files) {
    std::size_t count = 0;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(process) + "/fd", error)) {
        const std::filesystem::path target = std::filesystem::read_symlink(entry.path(), error);
        for (const std::string& file : files) count += !error && target == dir.file(file);
    }
    return count;
}

TEST_F(CliTest, InterruptStopsEveryFileAndLeavesNothing) {
    // Large enough that none ends before the interrupt comes.
    const std::vector<std::string> files = several_files(dir, 3, 16 << 20);
    const std::set<std::string> untouched = dir.names();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::chdir(dir.path().c_str());
        const int in = ::open("/dev/null", O_RDONLY);
        ::dup2(in, STDIN_FILENO);
        std::vector<std::string> args = command({BRISOL_CLI_PATH, "crypt", "-j", "3"}, files);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (files_open(child, dir, files) < files.size() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ::kill(child, SIGINT);
    int raw = 0;
    ::waitpid(child, &raw, 0);
    EXPECT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 130) << "as shells report Ctrl-C";
    EXPECT_EQ(dir.names(), untouched);
}
#endif

TEST_F(CliTest, DecryptWarnsOfARandomLookingResultAndNamesAKnownKindWhenAsked) {
    write_file(dir.file("doc.pdf"), "%PDF-1.7\n" + std::string(2000, 'x'));
    ASSERT_EQ(run_cli(dir, {"crypt", "doc.pdf"}, "pw1\npw2\n").status, 0);
    const std::string output = "brisol-cli: \"doc.pdf.bsl.src\": ";
    const struct {
        std::vector<std::string> args;
        const char* passwords;
        std::string err;
    } cases[] = {
        {{"decrypt", "doc.pdf.bsl"},
         "pw1\nother\n",
         output + std::string{messages::kLooksRandom} + "\n"},
        {{"decrypt", "doc.pdf.bsl"}, "pw1\npw2\n", ""},
        {{"decrypt", "--verbose", "doc.pdf.bsl"},
         "pw1\npw2\n",
         output + "The result looks like: PDF document\n"},
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
    EXPECT_TRUE(std::regex_match(
        version.out, std::regex("brisol-cli 3\\.0 \\(commit ([0-9a-f]{12}(-dirty)?|unknown)\\)\n")))
        << version.out;
}

}  // namespace
}  // namespace brisol
