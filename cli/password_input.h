#pragma once
// Reads the two passwords: prompted with echo off on a terminal, or two lines
// of standard input, a file or a descriptor in scripts. Never from the command
// line, where other users could read them in the process list. When standard
// input carries the data, the terminal is the controlling one.

#include <string>

#include "cli/cli_options.h"

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
// terminal, crypt asks for each password a second time: a mistyped password
// would make a file that nothing can decrypt.
std::string read_passwords(const CliOptions& options, Passwords& passwords);

// One line of a password stream without its line end: a trailing LF or CR LF
// is dropped, every other character belongs to the password.
void strip_line_end(std::string& line);

}  // namespace brisol::cli
