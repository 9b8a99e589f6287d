#pragma once
// What brisol-cli does differently on each platform: its arguments, the
// terminal or console it talks to, and how an interrupt (Ctrl-C, a request to
// terminate, a closed terminal or console window) reaches the thread that
// waits for an operation. posix_console.cpp and win32_console.cpp implement
// it; everything else in cli/ is shared.

#include <atomic>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brisol::cli {

// The arguments after the program's name, as UTF-8.
std::vector<std::string> command_line_arguments(int argc, char** argv);

bool input_is_terminal();
bool error_is_terminal();
// Descriptor N as the command line names it (-o /dev/fd/N, --password-fd N).
bool descriptor_is_terminal(int number);

// Called first: puts the null device under each of standard input, output and
// error that is closed, so that no file the run opens takes its number and is
// read or written in its place. False when the null device cannot be opened.
bool hold_standard_descriptors();
// True when descriptor N was closed at start (0 to 2) or is not open now.
bool descriptor_closed(int number);

// Where password lines are read from, by a descriptor of the platform's own
// kind (a file descriptor on POSIX, a handle on Windows); error is the
// system's number when there is none.
struct LineSource {
    int descriptor = -1;
    int error = 0;
    bool owned = false;  // opened here: close_source() closes it
};
LineSource standard_input_source();
LineSource open_source_file(const std::string& path);
// The descriptor a caller passed on as number N: on Windows N is a C runtime
// descriptor, whose handle is read.
LineSource passed_source(int number);
void close_source(const LineSource& source);

// What one read of a source gave: bytes, or the system's error number.
struct SourceRead {
    std::size_t bytes = 0;
    int error = 0;
};
// Reads what there is, up to into.size() bytes; 0 bytes at the end of the
// input. An interrupted read is retried.
SourceRead read_source(const LineSource& source, std::span<char> into);

// How reading a line went: the system's error number, or a line longer than
// kMaxLineBytes (password_lines.h).
struct LineRead {
    int error = 0;
    bool too_long = false;
    bool ok() const { return error == 0 && !too_long; }
};

// Where prompts are shown and typed: standard error and standard input, or
// the controlling terminal (the console on Windows) when standard input
// carries the data.
struct Terminal {
    int in = -1;
    int out = -1;
    int error = 0;  // the system's number when there is no such terminal
    bool owned = false;
};
Terminal standard_terminal();
Terminal controlling_terminal();
// The terminal a password source is, opened anew for prompts; error is set
// when the source is no terminal or console.
Terminal terminal_of(const LineSource& source);
void close_terminal(const Terminal& terminal);
// Shows the prompt and reads one line with echo off; the text arrives as
// UTF-8. A signal that ends or stops the program meanwhile gives the terminal
// back as it was found, and the prompt shows again when the program goes on.
LineRead prompt_without_echo(const Terminal& terminal, std::string_view prompt, std::string& line);
void write_terminal(const Terminal& terminal, std::string_view text);

// UTF-8 text, shown as such on a terminal or console.
void write_output(std::string_view text);
void write_error(std::string_view text);
// Replaces the line last drawn on standard error with this one.
void redraw_error_line(std::string_view text);

// Called once before any operation starts, on the thread that then waits.
void prepare_interrupts();
// Called from the worker once an operation has ended.
void wake_waiter();
// Blocks until `finished` is true. Each interrupt meanwhile calls
// on_interrupt. Returns the exit status the last interrupt calls for (as
// shells report a process it ended: 128 + the signal's number on POSIX, 130
// on Windows), or 0 when there was none.
int wait_for_end(const std::atomic<bool>& finished, const std::function<void()>& on_interrupt);

}  // namespace brisol::cli
