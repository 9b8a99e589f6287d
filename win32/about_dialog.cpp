#include "about_dialog.h"

#include "controls.h"

namespace brisol::win32 {
namespace {

constexpr INT_PTR kAboutResult = -1;

INT_PTR CALLBACK about_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetFocus(GetDlgItem(dialog, kAboutOkId));
            return FALSE;  // the focus is set here
        case WM_COMMAND:
            // Enter gives the default button's id, or IDOK while the dialog
            // manager has not yet made Ok the default.
            if (wparam == static_cast<WPARAM>(kAboutOkId) || wparam == IDOK) {
                EndDialog(dialog, kAboutResult);
            }
            return TRUE;  // every other command, Escape's cancel among them, does nothing
        case WM_CLOSE: EndDialog(dialog, kAboutResult); return TRUE;
        default: return FALSE;
    }
}

}  // namespace

void show_about_box(HINSTANCE instance, HWND owner) {
    DialogBoxParamW(instance, MAKEINTRESOURCEW(BRISOL_ABOUT_DIALOG), owner, about_procedure, 0);
}

}  // namespace brisol::win32
