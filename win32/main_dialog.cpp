#include "main_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <vector>

#include "secure_memory.h"
#include "win32_text.h"
#include "about_dialog.h"
#include "logo.h"
#include "status_bar.h"
#include "controls.h"
#include "main_window_rules.h"
#include "texts.h"

namespace brisol::win32 {
namespace {

// Posted to the dialog when the worker has queued a report.
constexpr UINT kReportsQueued = WM_APP + 1;

// Room for the longest path the wide file calls take, so a chosen path is
// never cut short.
constexpr std::size_t kFileNameCapacity = 32768;

UINT message_box_icon(MessageKind kind) {
    switch (kind) {
        case MessageKind::Information: return MB_ICONINFORMATION;
        case MessageKind::Warning: return MB_ICONWARNING;
        case MessageKind::Error: return MB_ICONERROR;
    }
    return 0;
}

// "name\0patterns\0...\0\0", as the open-file dialog takes its filters.
std::wstring filter_list() {
    std::wstring list;
    for (const texts::FileFilter& filter : texts::kFileFilters) {
        list += widen(filter.name);
        list.push_back(L'\0');
        list += widen(filter.patterns);
        list.push_back(L'\0');
    }
    list.push_back(L'\0');
    return list;
}

class MainDialog final : public WindowControls {
public:
    MainDialog(HINSTANCE instance, Operations& operations,
               const std::optional<std::string>& startup_path)
        : instance_(instance),
          startup_path_(startup_path),
          rules_(operations, *this, [this] { PostMessageW(window_, kReportsQueued, 0, 0); }),
          filters_(filter_list()),
          default_suffix_(widen(texts::kOpenDialogDefaultSuffix)),
          file_name_(kFileNameCapacity, L'\0') {}

    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, GWLP_USERDATA, lparam);
        }
        auto* self = reinterpret_cast<MainDialog*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
        return self != nullptr ? self->handle(dialog, message, wparam, lparam) : FALSE;
    }

private:
    INT_PTR handle(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
        switch (message) {
            case WM_INITDIALOG:
                open(dialog);
                return TRUE;  // the default focus goes to the first tab stop
            case WM_COMMAND:
                // Only clicks act: a notification from a field has a code in
                // the high word. Enter sends 1, which is no command here.
                if (HIWORD(wparam) == 0) {
                    rules_.command(LOWORD(wparam));
                }
                return TRUE;
            case WM_CLOSE: rules_.command(kQuitId); return TRUE;
            case WM_DROPFILES: drop(reinterpret_cast<HDROP>(wparam)); return TRUE;
            case kReportsQueued: rules_.run_queued(); return TRUE;
            case WM_DRAWITEM:
                if (wparam != static_cast<WPARAM>(kStatusBarId)) {
                    return FALSE;
                }
                status_bar_.draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
                return TRUE;
            case WM_SIZE: status_bar_.dock(); return FALSE;
            case WM_DPICHANGED:
                // The dialog manager scales the dialog and its controls; the
                // font and pictures chosen here follow.
                status_bar_.set_dpi(LOWORD(wparam));
                show_logo(LOWORD(wparam));
                return FALSE;
            default: return FALSE;
        }
    }

    void open(HWND dialog) {
        window_ = dialog;
        DragAcceptFiles(window_, TRUE);

        open_file_.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
        open_file_.hwndOwner = window_;
        open_file_.lpstrFilter = filters_.c_str();
        open_file_.nFilterIndex = 0;
        open_file_.lpstrFile = file_name_.data();
        open_file_.nMaxFile = static_cast<DWORD>(file_name_.size());
        open_file_.lpstrDefExt = default_suffix_.c_str();
        open_file_.Flags = OFN_OVERWRITEPROMPT;

        status_bar_.attach(GetDlgItem(window_, kStatusBarId));
        show_logo(GetDpiForWindow(window_));

        rules_.open();
        if (startup_path_) {
            rules_.set_current_path(*startup_path_);
        }
    }

    // The logo is the template's first control, and so the first child.
    void show_logo(UINT dpi) { logo_.show(instance_, GetWindow(window_, GW_CHILD), dpi); }

    void drop(HDROP drop) {
        std::vector<std::string> paths;
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT index = 0; index < count; ++index) {
            std::wstring path(DragQueryFileW(drop, index, nullptr, 0) + 1, L'\0');
            const UINT length =
                DragQueryFileW(drop, index, path.data(), static_cast<UINT>(path.size()));
            path.resize(length);
            paths.push_back(narrow(path));
        }
        DragFinish(drop);
        rules_.drop(paths);
    }

    // WindowControls
    void set_enabled(int id, bool enabled) override {
        EnableWindow(GetDlgItem(window_, id), enabled ? TRUE : FALSE);
    }

    void set_status_text(int part, const std::string& text) override {
        status_bar_.set_text(part, widen(text));
    }

    std::string field_text(int id) const override {
        const HWND field = GetDlgItem(window_, id);
        std::wstring wide(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
        wide.resize(static_cast<std::size_t>(
            GetWindowTextW(field, wide.data(), static_cast<int>(wide.size()))));
        std::string text = narrow(wide);
        secure_wipe(wide.data(), wide.size() * sizeof(wchar_t));
        return text;
    }

    FileChoice choose_file(const std::string& current_path) override {
        const std::wstring initial = widen(current_path);
        const std::size_t length = std::min(initial.size(), file_name_.size() - 1);
        std::copy_n(initial.begin(), length, file_name_.begin());
        file_name_.at(length) = L'\0';
        if (!GetOpenFileNameW(&open_file_)) {
            return {};
        }
        return {narrow(file_name_.data())};
    }

    void inform(const Message& message) override {
        MessageBoxW(nullptr, widen(message.text).c_str(), widen(texts::kMessageCaption).c_str(),
                    MB_OK | message_box_icon(message.kind));
    }

    void show_about_box() override { win32::show_about_box(instance_, window_); }

    void end_dialog() override { EndDialog(window_, 0); }

    HINSTANCE instance_;
    std::optional<std::string> startup_path_;
    MainWindowRules rules_;
    HWND window_ = nullptr;
    StatusBar status_bar_;
    Logo logo_;
    std::wstring filters_;
    std::wstring default_suffix_;
    std::wstring file_name_;
    OPENFILENAMEW open_file_{};
};

}  // namespace

void run_main_dialog(HINSTANCE instance, Operations& operations,
                     const std::optional<std::string>& startup_path) {
    MainDialog dialog(instance, operations, startup_path);
    DialogBoxParamW(instance, MAKEINTRESOURCEW(BRISOL_MAIN_DIALOG), nullptr, MainDialog::procedure,
                    reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace brisol::win32
