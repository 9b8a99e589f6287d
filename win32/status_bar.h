#pragma once
// The main window's status bar. The dialogs' bitmap font holds only the ANSI
// code page's glyphs, so the bar takes the system's status font, which font
// linking completes for any script. The file part is drawn here, with the
// middle of a long path left out so that the file name stays, and a tooltip
// of its own gives the whole text: the bar shows its own tips only for texts
// it has cut off itself, which a part drawn here never is. The font and the
// part edges follow the window's DPI.

#include <windows.h>

#include <string>

namespace brisol::win32 {

class StatusBar {
public:
    StatusBar() = default;
    ~StatusBar();
    StatusBar(const StatusBar&) = delete;
    StatusBar& operator=(const StatusBar&) = delete;

    // Takes over the bar, for its window's current DPI.
    void attach(HWND bar);
    // The font and the parts for another DPI.
    void set_dpi(UINT dpi);
    // Docks the bar to its window's bottom edge, as after the window's WM_SIZE.
    void dock();

    void set_text(int part, const std::wstring& text);
    // WM_DRAWITEM from the bar, for the file part.
    void draw(const DRAWITEMSTRUCT& item);

    HFONT font() const { return font_; }
    HWND tooltip() const { return tooltip_; }
    // What the file part showed when it was last drawn.
    const std::wstring& shown_file_text() const { return shown_file_text_; }

private:
    HWND bar_ = nullptr;
    HWND tooltip_ = nullptr;
    HFONT font_ = nullptr;
    std::wstring file_text_;
    std::wstring shown_file_text_;
};

}  // namespace brisol::win32
