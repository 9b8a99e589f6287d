#pragma once
// Reads the two passwords: prompted with echo off on a terminal, or the first
// two lines of standard input in scripts. Never from the command line, where
// other users could read them in the process list.

#include <string>

namespace brisol::cli {

struct Passwords {
    Passwords();
    ~Passwords();  // wipes both
    Passwords(const Passwords&) = delete;
    Passwords& operator=(const Passwords&) = delete;

    std::string first;
    std::string second;
};

// The system's error number of a failed read, else 0.
int read_passwords(Passwords& passwords);

// One line of a password stream without its line end: a trailing LF or CR LF
// is dropped, every other character belongs to the password.
void strip_line_end(std::string& line);

}  // namespace brisol::cli
