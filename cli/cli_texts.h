#pragma once
// Every text brisol-cli prints of its own; the runner's messages come from
// operation/messages.h.

#include <string_view>

namespace brisol::cli {

inline constexpr std::string_view kVersion = "brisol-cli 3.0\n";
inline constexpr std::string_view kMessagePrefix = "brisol-cli: ";
inline constexpr std::string_view kTryHelp = "Try 'brisol-cli --help'.\n";
inline constexpr std::string_view kPrompt1 = "PASSWORD-1: ";
inline constexpr std::string_view kPrompt2 = "PASSWORD-2: ";
// The window's extension field starts with this text.
inline constexpr std::string_view kDefaultExtension = ".src";

inline constexpr std::string_view kUsage =
    "Usage: brisol-cli crypt FILE...\n"
    "       brisol-cli decrypt [--ext EXT] FILE...\n"
    "Encrypts or decrypts each FILE under two passwords into a new file beside it;\n"
    "FILE itself is never changed.\n"
    "  crypt     writes FILE.bsl\n"
    "  decrypt   writes FILE, a dot and up to four characters of EXT after its\n"
    "            first one (with the default \".src\": FILE.src)\n"
    "\n"
    "Options:\n"
    "  --ext EXT          extension for decrypt (default \".src\")\n"
    "  --codepage NAME    8-bit code page for password characters outside ASCII,\n"
    "                     an iconv name such as CP1251 (default: the locale's)\n"
    "  -j, --jobs N       do up to N files at once (default: one per core);\n"
    "                     each file comes out as it would alone\n"
    "  -v, --verbose      after decrypt, name the kind of each result, as is done\n"
    "                     on a terminal\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "Passwords: on a terminal, PASSWORD-1 and PASSWORD-2 are asked for with echo\n"
    "off; otherwise they are the first and second lines of standard input.\n"
    "\n"
    "After decrypt, a result that looks like random data gets a warning on standard\n"
    "error, since a password may be wrong; the exit status stays 0.\n"
    "\n"
    "Exit status: 0 when every file was done, 1 when an operation failed,\n"
    "2 for a usage error.\n";

// Usage errors, printed after kMessagePrefix.
inline constexpr std::string_view kMissingCommand = "missing command: crypt or decrypt";
inline constexpr std::string_view kUnknownCommand = "unknown command: ";
inline constexpr std::string_view kUnknownOption = "unknown option: ";
inline constexpr std::string_view kMissingValue = "option needs a value: ";
inline constexpr std::string_view kMissingFile = "no FILE given";
inline constexpr std::string_view kBadJobs = "--jobs needs a number from 1: ";
inline constexpr std::string_view kExtOnlyForDecrypt = "--ext applies to decrypt only";
inline constexpr std::string_view kUnknownCodepage = "unknown code page: ";
inline constexpr std::string_view kCannotReadPasswords = "cannot read the passwords: ";

}  // namespace brisol::cli
