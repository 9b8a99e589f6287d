// brisol-cli on Windows. Arguments come from the wide command line; on a
// console, text goes through the wide console calls so every character shows
// as it is, and prompts read with echo off through ReadConsoleW. Ctrl-C,
// Ctrl-Break and closing the console window reach the waiting thread through
// a console control handler, which stops the operation through the runner.

#include <windows.h>
#include <io.h>
#include <shellapi.h>

#include <algorithm>

#include "console.h"
#include "password_lines.h"
#include "win32_text.h"

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

HANDLE handle_of(int descriptor) { return LongToHandle(descriptor); }

// The standard handles for 0 to 2, which a console program may have without
// C runtime descriptors behind them; above them, the C runtime's.
HANDLE numbered_handle(int number) {
    constexpr DWORD kStandard[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    if (number < 3) return GetStdHandle(kStandard[number]);
    return reinterpret_cast<HANDLE>(_get_osfhandle(number));
}

void write_to(HANDLE handle, std::string_view text) {
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
LineRead read_console_line(HANDLE input, std::string& line) {
    std::wstring typed;
    typed.reserve(1024);
    for (;;) {
        wchar_t chunk[256];
        DWORD got = 0;
        if (!ReadConsoleW(input, chunk, static_cast<DWORD>(std::size(chunk)), &got, nullptr)) {
            SecureZeroMemory(chunk, sizeof(chunk));
            SecureZeroMemory(typed.data(), typed.capacity() * sizeof(wchar_t));
            return {static_cast<int>(GetLastError()), false};
        }
        typed.append(chunk, got);
        SecureZeroMemory(chunk, sizeof(chunk));
        if (got == 0 || typed.ends_with(L'\n') || typed.size() > kMaxLineBytes ||
            WaitForSingleObject(g_interrupted, 0) == WAIT_OBJECT_0)
            break;
    }
    const bool too_long = typed.size() > kMaxLineBytes;
    if (!too_long) line += win32::narrow(typed);
    SecureZeroMemory(typed.data(), typed.capacity() * sizeof(wchar_t));
    if (WaitForSingleObject(g_interrupted, 0) == WAIT_OBJECT_0)
        return {ERROR_OPERATION_ABORTED, false};
    return {0, too_long};
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

bool descriptor_is_terminal(int number) { return is_console(numbered_handle(number)); }

// A new handle never becomes a standard one, so a closed one stays closed.
bool hold_standard_descriptors() { return true; }

bool descriptor_closed(int number) {
    const HANDLE handle = numbered_handle(number);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE ||
           handle == reinterpret_cast<HANDLE>(-2);
}

LineSource standard_input_source() {
    return {HandleToLong(GetStdHandle(STD_INPUT_HANDLE)), 0, false};
}

LineSource open_source_file(const std::string& path) {
    const HANDLE handle = CreateFileW(win32::file_path(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return {-1, static_cast<int>(GetLastError()), false};
    return {HandleToLong(handle), 0, true};
}

// A number that names no open C runtime descriptor is refused here, not
// taken for whatever kernel object has that handle value.
LineSource passed_source(int number) {
    const intptr_t handle = _get_osfhandle(number);
    if (handle == -1 || handle == -2) return {-1, ERROR_INVALID_HANDLE, false};
    return {HandleToLong(reinterpret_cast<HANDLE>(handle)), 0, false};
}

void close_source(const LineSource& source) {
    if (source.owned) CloseHandle(handle_of(source.descriptor));
}

SourceRead read_source(const LineSource& source, std::span<char> into) {
    DWORD got = 0;
    if (!ReadFile(handle_of(source.descriptor), into.data(), static_cast<DWORD>(into.size()), &got,
                  nullptr)) {
        const DWORD error = GetLastError();
        // The writing end of a pipe was closed: the input has ended.
        return {0, error == ERROR_BROKEN_PIPE ? 0 : static_cast<int>(error)};
    }
    return {got, 0};
}

Terminal standard_terminal() {
    return {HandleToLong(GetStdHandle(STD_INPUT_HANDLE)),
            HandleToLong(GetStdHandle(STD_ERROR_HANDLE)), 0, false};
}

Terminal controlling_terminal() {
    const auto open_console = [](const wchar_t* name) {
        return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    };
    const HANDLE in = open_console(L"CONIN$");
    if (in == INVALID_HANDLE_VALUE) return {-1, -1, static_cast<int>(GetLastError()), false};
    const HANDLE out = open_console(L"CONOUT$");
    if (out == INVALID_HANDLE_VALUE) {
        const int error = static_cast<int>(GetLastError());
        CloseHandle(in);
        return {-1, -1, error, false};
    }
    return {HandleToLong(in), HandleToLong(out), 0, true};
}

Terminal terminal_of(const LineSource& source) {
    if (!is_console(handle_of(source.descriptor))) return {-1, -1, ERROR_INVALID_HANDLE, false};
    return controlling_terminal();
}

void close_terminal(const Terminal& terminal) {
    if (!terminal.owned) return;
    CloseHandle(handle_of(terminal.in));
    CloseHandle(handle_of(terminal.out));
}

void write_terminal(const Terminal& terminal, std::string_view text) {
    write_to(handle_of(terminal.out), text);
}

LineRead prompt_without_echo(const Terminal& terminal, std::string_view prompt, std::string& line) {
    prepare_interrupts();
    const HANDLE input = handle_of(terminal.in);
    DWORD saved = 0;
    if (!GetConsoleMode(input, &saved)) return {static_cast<int>(GetLastError()), false};
    if (!SetConsoleMode(input,
                        (saved | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) & ~ENABLE_ECHO_INPUT))
        return {static_cast<int>(GetLastError()), false};
    write_terminal(terminal, prompt);
    const LineRead read = read_console_line(input, line);
    SetConsoleMode(input, saved);
    write_terminal(terminal, "\n");
    return read;
}

void write_output(std::string_view text) { write_to(GetStdHandle(STD_OUTPUT_HANDLE), text); }
void write_error(std::string_view text) { write_to(GetStdHandle(STD_ERROR_HANDLE), text); }

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

int wait_for_end(const std::atomic<bool>& finished, const std::function<void()>& on_interrupt) {
    // What POSIX shells report after Ctrl-C, so scripts test for one number.
    constexpr int kInterruptedStatus = 130;
    int status = 0;
    while (!finished.load()) {
        const HANDLE events[] = {g_ended, g_interrupted};
        const DWORD which = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (which == WAIT_OBJECT_0 + 1) {
            ResetEvent(g_interrupted);
            on_interrupt();
            status = kInterruptedStatus;
        }
    }
    return status;
}

}  // namespace brisol::cli
