// CreateProcessW with standard input on a pipe, as a script's would be, the
// output and error on files, the arguments quoted as CommandLineToArgvW
// reads them, and the environment block extended.

#include <windows.h>

#include "win32_text.h"
#include "run_cli.h"

namespace brisol::testing {
namespace {

// Backslashes count only before a quote, where each is doubled.
std::wstring quoted(const std::wstring& arg) {
    std::wstring result = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        result.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        result += c;
    }
    result.append(2 * backslashes, L'\\');
    return result + L"\"";
}

// Ours, with NAME=VALUE in place of any NAME already there.
std::wstring environment_block(const std::wstring& extra) {
    const std::wstring name = extra.substr(0, extra.find(L'=') + 1);
    std::wstring block;
    wchar_t* const strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) {
        if (!name.empty() && _wcsnicmp(entry, name.c_str(), name.size()) == 0) continue;
        block.append(entry).push_back(L'\0');
    }
    FreeEnvironmentStringsW(strings);
    if (!extra.empty()) block.append(extra).push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

HANDLE inheritable(const std::string& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(win32::widen(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

CliRun run_cli(const TempDir& dir, const std::vector<std::string>& args,
               const std::string& stdin_text, const std::string& environment) {
    // The pipe holds the whole text, so it is written and closed before the
    // program starts, which then reads to its end.
    HANDLE pipe_read = nullptr;
    HANDLE pipe_write = nullptr;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    CreatePipe(&pipe_read, &pipe_write, &inherit, static_cast<DWORD>(stdin_text.size() + 4096));
    DWORD written = 0;
    WriteFile(pipe_write, stdin_text.data(), static_cast<DWORD>(stdin_text.size()), &written,
              nullptr);
    CloseHandle(pipe_write);
    const std::wstring program = win32::widen(BRISOL_CLI_PATH);
    std::wstring command_line = quoted(program);
    for (const std::string& arg : args) command_line += L" " + quoted(win32::widen(arg));
    std::wstring block = environment_block(win32::widen(environment));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = pipe_read;
    startup.hStdOutput = inheritable(dir.file(".stdout"), GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = inheritable(dir.file(".stderr"), GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    int status = -1;
    if (CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT, block.data(),
                       win32::widen(dir.path().string()).c_str(), &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        status = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (const HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        CloseHandle(handle);
    return collect_run(dir, status);
}

}  // namespace brisol::testing
