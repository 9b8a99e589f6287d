#pragma once
// What brisol-cli does differently on each platform: its arguments, the
// terminal or console it talks to, and how an interrupt (Ctrl-C, a request to
// terminate, a closed terminal or console window) reaches the thread that
// waits for an operation. posix_console.cpp and win32_console.cpp implement
// it; everything else in cli/ is shared.

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brisol::cli {

// The arguments after the program's name, as UTF-8.
std::vector<std::string> command_line_arguments(int argc, char** argv);

bool input_is_terminal();
bool error_is_terminal();

// Appends standard input up to and including '\n', byte by byte so that
// nothing after it is consumed. Returns the system's error number, else 0.
int read_input_line(std::string& line);
// Shows the prompt and reads one line from the terminal with echo off; the
// text arrives as UTF-8.
int prompt_without_echo(std::string_view prompt, std::string& line);

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
// on_interrupt; returns true when there was one.
bool wait_for_end(const std::atomic<bool>& finished, const std::function<void()>& on_interrupt);

}  // namespace brisol::cli
