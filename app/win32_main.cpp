// The Windows program: shows the main window, with the file named by the only
// argument (as "Open with" and a double-click on a .bsl file give it) as the
// current path, and exits with status 0 when the window is closed, after any
// running operation has been stopped.

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "runner_operations.h"
#include "win32_text.h"
#include "main_dialog.h"
#include "main_window_rules.h"

namespace {

std::vector<std::string> arguments() {
    std::vector<std::string> texts;
    int count = 0;
    if (LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int index = 1; index < count; ++index) {
            texts.push_back(brisol::win32::narrow(words[index]));
        }
        LocalFree(words);
    }
    return texts;
}

// A path relative to the working folder, made absolute as the status bar
// and the output's name need it.
std::string absolute(const std::string& path) {
    const std::wstring wide = brisol::win32::widen(path);
    std::wstring full(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
    const DWORD length =
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) {
        return path;
    }
    full.resize(length);
    return brisol::win32::narrow(full);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The status bar's window class must exist before the dialog is made.
    const INITCOMMONCONTROLSEX common_controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    InitCommonControlsEx(&common_controls);

    std::optional<std::string> path = brisol::startup_path(arguments());
    if (path) {
        path = absolute(*path);
    }
    brisol::OperationRunner runner;
    brisol::RunnerOperations operations(runner);
    brisol::win32::run_main_dialog(instance, operations, path);
    return 0;
}
