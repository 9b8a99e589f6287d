// Reads a running Brisol window from another process, for the window tests
// under wine, which drive the window with X input and cannot see inside it:
//   brisol-window-probe enabled         "101=1 102=1 ..." for the main window
//   brisol-window-probe place TITLE ID  the screen position of a control's middle
//   brisol-window-probe message         the text of the message box captioned "Brisol"
//   brisol-window-probe foreground      the title of the window that has the keyboard
//   brisol-window-probe manifest EXE    the application manifest EXE carries
// Exits with 1 when the window or control is not there.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "win32_text.h"
#include "controls.h"
#include "texts.h"

namespace {

using brisol::win32::widen;

HWND dialog_titled(const std::wstring& title) { return FindWindowW(L"#32770", title.c_str()); }

int print_enabled() {
    const HWND window = dialog_titled(widen(brisol::kMainWindowTitle));
    if (window == nullptr) return 1;
    const int ids[] = {brisol::kPassword1Id, brisol::kPassword2Id, brisol::kExtensionId,
                       brisol::kOpenFileId,  brisol::kCryptId,     brisol::kDecryptId,
                       brisol::kInfoId,      brisol::kQuitId};
    const char* separator = "";
    for (const int id : ids) {
        std::printf("%s%d=%d", separator, id, IsWindowEnabled(GetDlgItem(window, id)) ? 1 : 0);
        separator = " ";
    }
    std::printf("\n");
    return 0;
}

int print_place(const char* title, int id) {
    const HWND window = dialog_titled(widen(title));
    const HWND control = window != nullptr ? GetDlgItem(window, id) : nullptr;
    RECT rect{};
    if (control == nullptr || !GetWindowRect(control, &rect)) return 1;
    std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return 0;
}

BOOL CALLBACK print_static_text(HWND child, LPARAM found) {
    wchar_t class_name[16] = {};
    GetClassNameW(child, class_name, 16);
    wchar_t text[512] = {};
    if (lstrcmpiW(class_name, L"Static") == 0 && GetWindowTextW(child, text, 512) > 0) {
        std::printf("%ls\n", text);
        *reinterpret_cast<bool*>(found) = true;
    }
    return TRUE;
}

int print_message() {
    const HWND box = dialog_titled(widen(brisol::texts::kMessageCaption));
    if (box == nullptr) return 1;
    bool found = false;
    EnumChildWindows(box, print_static_text, reinterpret_cast<LPARAM>(&found));
    return found ? 0 : 1;
}

int print_foreground() {
    wchar_t title[256] = {};
    GetWindowTextW(GetForegroundWindow(), title, 256);
    std::printf("%ls\n", title);
    return 0;
}

int print_manifest(const char* program) {
    const HMODULE module = LoadLibraryExW(
        widen(program).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const HRSRC resource =
        module != nullptr ? FindResourceA(module, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST)
                          : nullptr;
    const HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    if (loaded == nullptr) return 1;
    std::fwrite(LockResource(loaded), 1, SizeofResource(module, resource), stdout);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "enabled") return print_enabled();
    if (command == "place" && argc == 4) return print_place(argv[2], std::atoi(argv[3]));
    if (command == "message") return print_message();
    if (command == "foreground") return print_foreground();
    if (command == "manifest" && argc == 3) return print_manifest(argv[2]);
    std::fprintf(stderr,
                 "usage: brisol-window-probe enabled | place TITLE ID | message | foreground | "
                 "manifest EXE\n");
    return 2;
}
