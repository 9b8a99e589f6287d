// brisol-cli on Windows. Arguments come from the wide command line; on a
// console, text goes through the wide console calls so every character shows
// as it is, and prompts read with echo off through ReadConsoleW. Ctrl-C,
// Ctrl-Break and closing the console window reach the waiting thread through
// a console control handler, which stops the operation through the runner.

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "cli/console.h"
#include "operation/win32_text.h"

namespace brisol::cli {
namespace {

// An operation has ended (auto-reset: one wake-up each); an interrupt came
// (manual reset: seen by whichever wait comes next).
HANDLE g_ended = nullptr;
HANDLE g_interrupted = nullptr;

// The characters of the line drawn last by redraw_error_line.
std::size_t g_drawn_chars = 0;

// Windows ends the process once the handler returns from a close, log-off or
// shut-down event, and after five seconds at most; until then the handler
// waits, so the waiting thread can stop the operation and exit on its own.
constexpr DWORD kCloseGraceMs = 4500;

BOOL WINAPI on_console_event(DWORD event) {
    SetEvent(g_interrupted);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(kCloseGraceMs);
    return TRUE;
}

bool is_console(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

void write_to(DWORD which, std::string_view text) {
    const HANDLE handle = GetStdHandle(which);
    if (is_console(handle)) {
        const std::wstring wide = win32::widen(text);
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    while (!text.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written == 0)
            return;
        text.remove_prefix(written);
    }
}

// Reads from the console until Enter, as UTF-16, then appends it as UTF-8
// with its line end. The wide buffer is wiped: it held the password.
int read_console_line(HANDLE input, std::string& line) {
    std::wstring typed;
    typed.reserve(1024);
    for (;;) {
        wchar_t chunk[256];
        DWORD got = 0;
        if (!ReadConsoleW(input, chunk, static_cast<DWORD>(std::size(chunk)), &got, nullptr)) {
            SecureZeroMemory(chunk, sizeof(chunk));
            SecureZeroMemory(typed.data(), typed.capacity() * sizeof(wchar_t));
            return static_cast<int>(GetLastError());
        }
        typed.append(chunk, got);
        SecureZeroMemory(chunk, sizeof(chunk));
        if (got == 0 || typed.ends_with(L'\n') || WaitForSingleObject(g_interrupted, 0) == WAIT_OBJECT_0)
            break;
    }
    line += win32::narrow(typed);
    SecureZeroMemory(typed.data(), typed.capacity() * sizeof(wchar_t));
    if (WaitForSingleObject(g_interrupted, 0) == WAIT_OBJECT_0) return ERROR_OPERATION_ABORTED;
    return 0;
}

}  // namespace

std::vector<std::string> command_line_arguments(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(win32::narrow(wide[i]));
    LocalFree(wide);
    return arguments;
}

bool input_is_terminal() { return is_console(GetStdHandle(STD_INPUT_HANDLE)); }
bool error_is_terminal() { return is_console(GetStdHandle(STD_ERROR_HANDLE)); }

int read_input_line(std::string& line) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    for (;;) {
        char c = 0;
        DWORD got = 0;
        if (!ReadFile(input, &c, 1, &got, nullptr)) {
            const DWORD error = GetLastError();
            // The writing end of a pipe was closed: the input has ended.
            return error == ERROR_BROKEN_PIPE ? 0 : static_cast<int>(error);
        }
        if (got == 0) return 0;
        line.push_back(c);
        if (c == '\n') return 0;
    }
}

int prompt_without_echo(std::string_view prompt, std::string& line) {
    prepare_interrupts();
    write_error(prompt);
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    if (!GetConsoleMode(input, &saved)) return static_cast<int>(GetLastError());
    if (!SetConsoleMode(input, (saved | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) & ~ENABLE_ECHO_INPUT))
        return static_cast<int>(GetLastError());
    const int error = read_console_line(input, line);
    SetConsoleMode(input, saved);
    write_error("\n");
    return error;
}

void write_output(std::string_view text) { write_to(STD_OUTPUT_HANDLE, text); }
void write_error(std::string_view text) { write_to(STD_ERROR_HANDLE, text); }

void redraw_error_line(std::string_view text) {
    // Blanks cover what is left of a longer line drawn before.
    const std::size_t chars = win32::widen(text).size();
    std::string line = "\r";
    line += text;
    if (g_drawn_chars > chars) line.append(g_drawn_chars - chars, ' ');
    g_drawn_chars = chars;
    write_error(line);
}

void prepare_interrupts() {
    if (g_interrupted != nullptr) return;
    g_ended = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    g_interrupted = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

void wake_waiter() { SetEvent(g_ended); }

bool wait_for_end(const std::atomic<bool>& finished, const std::function<void()>& on_interrupt) {
    bool interrupted = false;
    while (!finished.load()) {
        const HANDLE events[] = {g_ended, g_interrupted};
        const DWORD which = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (which == WAIT_OBJECT_0 + 1) {
            ResetEvent(g_interrupted);
            on_interrupt();
            interrupted = true;
        }
    }
    return interrupted;
}

}  // namespace brisol::cli
