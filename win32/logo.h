#pragma once
// The main window's logo at the window's DPI. The picture control keeps a
// bitmap's own size, so a bitmap is made for each scale: those drawn for 100,
// 150 and 200 % as they are, any other scale resized from the next larger.
// A control deletes no bitmap it is given: this does, the template's first.

#include <windows.h>

namespace brisol::win32 {

class Logo {
public:
    Logo() = default;
    ~Logo();
    Logo(const Logo&) = delete;
    Logo& operator=(const Logo&) = delete;

    // Gives the picture control (SS_BITMAP) the logo for dpi.
    void show(HINSTANCE instance, HWND control, UINT dpi);

private:
    HBITMAP bitmap_ = nullptr;
};

}  // namespace brisol::win32
