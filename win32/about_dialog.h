#pragma once
// The About box from dialog template 302: only Ok (also Enter, as Ok is the
// default button) and the close box end it; Escape does nothing.

#include <windows.h>

namespace brisol::win32 {

void show_about_box(HINSTANCE instance, HWND owner);

}  // namespace brisol::win32
