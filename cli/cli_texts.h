#pragma once
// Every text brisol-cli prints of its own; the runner's messages come from
// operation/messages/messages.h.

#include <string_view>

#include "brisol_version.h"

namespace brisol::cli {

inline constexpr std::string_view kVersion =
    "brisol-cli " BRISOL_VERSION " (commit " BRISOL_COMMIT ")\n";
inline constexpr std::string_view kMessagePrefix = "brisol-cli: ";
inline constexpr std::string_view kTryHelp = "Try 'brisol-cli --help'.\n";
inline constexpr std::string_view kPrompt1 = "PASSWORD-1: ";
inline constexpr std::string_view kPrompt2 = "PASSWORD-2: ";
inline constexpr std::string_view kRepeatPrompt1 = "Repeat PASSWORD-1: ";
inline constexpr std::string_view kRepeatPrompt2 = "Repeat PASSWORD-2: ";
inline constexpr std::string_view kRepeatDiffers1 =
    "The two entries differ; type PASSWORD-1 again.\n";
inline constexpr std::string_view kRepeatDiffers2 =
    "The two entries differ; type PASSWORD-2 again.\n";
// crypt's repeat prompt for a password left empty.
inline constexpr std::string_view kKeepEmpty1 =
    "PASSWORD-1 is empty; press Enter again to keep it empty: ";
inline constexpr std::string_view kKeepEmpty2 =
    "PASSWORD-2 is empty; press Enter again to keep it empty: ";

// Its list of options is also the manual page's (packaging/linux).
inline constexpr std::string_view kUsage =
    "Usage: brisol-cli crypt FILE... [OPTION]...\n"
    "       brisol-cli decrypt [--ext EXT] FILE... [OPTION]...\n"
    "Encrypts or decrypts each FILE under two passwords into a new file beside it;\n"
    "FILE itself is never changed.\n"
    "  crypt     writes FILE.bsl\n"
    "  decrypt   writes FILE, a dot and up to four characters of EXT after its\n"
    "            first one (with the default \".src\": FILE.src)\n"
    "FILE \"-\" is standard input; its result goes to standard output unless -o\n"
    "names another place. Nothing is written to standard output while it is a\n"
    "terminal.\n"
    "\n"
    "Options:\n"
    "  -o, --output OUT      write the single FILE's result to OUT instead (\"-\":\n"
    "                        standard output); an existing OUT is replaced, but\n"
    "                        a device or FIFO is written where it is\n"
    "  --ext EXT             extension for decrypt (default \".src\"), whose first\n"
    "                        character stands for the dot; not with -o\n"
    "  --password-file PWF   PASSWORD-1 on the first line of PWF, PASSWORD-2 on\n"
    "                        the second\n"
    "  --password-fd N       the same two lines from open file descriptor N (on\n"
    "                        Windows a C runtime descriptor the caller passed on)\n"
    "  --after PREVIOUS      start where a program that never resets its feedback\n"
    "                        register left it after PREVIOUS, the encrypted file\n"
    "                        of the operation before (for files whose first 8\n"
    "                        bytes decrypt wrong)\n"
    "  --codepage NAME       8-bit code page for password characters outside ASCII,\n"
    "                        an iconv name such as CP1251 with one byte a character\n"
    "                        (default: the locale's)\n"
    "  -j, --jobs N          do up to N files at once (default: one per core, at\n"
    "                        most 16); each file comes out as it would alone\n"
    "  -v, --verbose         after decrypt, name the kind of each result, as is\n"
    "                        done on a terminal\n"
    "  --help                show this help and exit\n"
    "  --version             show the version and exit\n"
    "  --                    end of options: every later argument is a FILE, even\n"
    "                        one that starts with a dash\n"
    "\n"
    "Passwords: on a terminal, PASSWORD-1 and PASSWORD-2 are asked for with echo\n"
    "off, and crypt asks for each a second time; otherwise they are the first and\n"
    "second lines of standard input. When FILE is \"-\", they come from the\n"
    "terminal, --password-file or --password-fd.\n"
    "\n"
    "After decrypt, a result that looks like random data gets a warning on standard\n"
    "error, since a password may be wrong; the exit status stays 0.\n"
    "\n"
    "Exit status: 0 when every file was done, 1 when an operation failed,\n"
    "2 for a usage error, 130 after Ctrl-C (128 + the signal's number after\n"
    "SIGTERM or SIGHUP).\n";

// Usage errors, printed after kMessagePrefix.
inline constexpr std::string_view kMissingCommand = "missing command: crypt or decrypt";
inline constexpr std::string_view kUnknownCommand = "unknown command: ";
inline constexpr std::string_view kUnknownOption = "unknown option: ";
inline constexpr std::string_view kMissingValue = "option needs a value: ";
inline constexpr std::string_view kMissingFile = "no FILE given";
inline constexpr std::string_view kBadJobs = "--jobs needs a number from 1: ";
inline constexpr std::string_view kExtOnlyForDecrypt = "--ext applies to decrypt only";
inline constexpr std::string_view kUnknownCodepage = "unknown code page: ";
inline constexpr std::string_view kOutputNeedsOneFile = "-o names the output of a single FILE";
inline constexpr std::string_view kExtWithOutput = "--ext and -o cannot be used together";
inline constexpr std::string_view kAfterNeedsOneFile = "--after applies to a single FILE";
inline constexpr std::string_view kTwoPasswordSources =
    "--password-file and --password-fd cannot be used together";
inline constexpr std::string_view kStandardInputTwice = "standard input (-) can be read only once";
inline constexpr std::string_view kPasswordFdIsData =
    "--password-fd 0 is standard input, which carries the data";
inline constexpr std::string_view kBadDescriptor = "not a file descriptor number: ";
inline constexpr std::string_view kMultibyteCodepage = "--codepage needs a single-byte code page: ";
// "<FILE>" is the same file as <the password source>, which carries the passwords;
// <the password source> is the same file as standard input, which carries the data
inline constexpr std::string_view kSameFileAs = " is the same file as ";
inline constexpr std::string_view kCarriesThePasswords = ", which carries the passwords";
inline constexpr std::string_view kCarriesTheData = ", which carries the data";
inline constexpr std::string_view kDescriptor = "descriptor ";

// Failures before any operation, printed after kMessagePrefix.
inline constexpr std::string_view kCannotReadPasswords = "cannot read the passwords: ";
inline constexpr std::string_view kNoTerminal =
    "standard input carries the data and there is no terminal to ask on; use "
    "--password-file or --password-fd";
inline constexpr std::string_view kStoppedDiffering1 =
    "PASSWORD-1 and its repeat differed three times: stopped, nothing was written";
inline constexpr std::string_view kStoppedDiffering2 =
    "PASSWORD-2 and its repeat differed three times: stopped, nothing was written";
// The reason when a password source has a line past kMaxLineBytes, before
// that limit in KiB.
inline constexpr std::string_view kLineLongerThan = "A password line is longer than ";
// After the output's name, or "standard output".
inline constexpr std::string_view kIsTerminal =
    " is a terminal; nothing was written. Redirect it, or name an output with -o.";
// <output> is the same file as standard error, which carries the messages
inline constexpr std::string_view kStandardError = "standard error";
inline constexpr std::string_view kCarriesTheMessages = ", which carries the messages";
// After "standard input", "standard output", "standard error" or "descriptor N".
inline constexpr std::string_view kIsClosed = " is closed; nothing was done";

}  // namespace brisol::cli
