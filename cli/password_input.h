#pragma once
// Reads the two passwords: prompted with echo off on a terminal, or two lines
// of standard input, a file or a descriptor in scripts, each line at most
// 4 KiB. Never from the command
// line, where other users could read them in the process list. When standard
// input carries the data, the terminal is the controlling one.

#include <string>

#include "cli_options.h"

namespace brisol::cli {

struct Passwords {
    Passwords();
    ~Passwords();  // wipes both
    Passwords(const Passwords&) = delete;
    Passwords& operator=(const Passwords&) = delete;

    std::string first;
    std::string second;
};

// Empty when both were read, else what went wrong, for the user. On a
// terminal (also one named by --password-file or --password-fd), crypt asks
// for each password a second time: a mistyped password would make a file
// that nothing can decrypt.
std::string read_passwords(const CliOptions& options, Passwords& passwords);

// The refusal, for the user, of an input FILE that is the file the passwords
// are read from: its first lines would be taken as passwords and then
// encrypted with the rest; likewise of a password source that is standard
// input's own file while standard input carries the data. Empty when there
// is none.
std::string password_source_conflict(const CliOptions& options);

// One line of a password stream without its line end: a trailing LF or CR LF
// is dropped, every other character belongs to the password.
void strip_line_end(std::string& line);

}  // namespace brisol::cli
