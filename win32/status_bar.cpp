#include "status_bar.h"

#include <commctrl.h>

#include <array>
#include <cwchar>

#include "controls.h"

namespace brisol::win32 {
namespace {

// The part edges are given for 96 dots per inch, the system's 100 %.
constexpr int kBaseDpi = 96;
// Room between the part's sunken edge and its text.
constexpr int kTextMargin = 2;
// DrawTextW's path ellipsis may put up to four more characters in the text.
constexpr std::size_t kEllipsisRoom = 4;

TTTOOLINFOW file_tool(HWND bar) {
    TTTOOLINFOW tool{};
    // The size without the field of later versions, which the common
    // controls of version 5 refuse.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = bar;
    tool.uId = kFilePart;
    return tool;
}

}  // namespace

// The tooltip, owned by the bar, goes with it.
StatusBar::~StatusBar() {
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
}

void StatusBar::attach(HWND bar) {
    bar_ = bar;
    tooltip_ = CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, bar_, nullptr,
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(bar_, GWLP_HINSTANCE)), nullptr);
    TTTOOLINFOW tool = file_tool(bar_);
    tool.uFlags = TTF_SUBCLASS;
    tool.lpszText = file_text_.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    set_dpi(GetDpiForWindow(bar_));
}

void StatusBar::set_dpi(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi);
    const HFONT old_font = font_;
    font_ = CreateFontIndirectW(&metrics.lfStatusFont);
    SendMessageW(bar_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    if (old_font != nullptr) {
        DeleteObject(old_font);
    }

    std::array<int, kStatusPartCount> edges{};
    for (std::size_t part = 0; part < kStatusPartRightEdges.size(); ++part) {
        edges.at(part) = MulDiv(kStatusPartRightEdges.at(part), static_cast<int>(dpi), kBaseDpi);
    }
    edges.back() = -1;  // the last part ends at the window's edge
    SendMessageW(bar_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    dock();
}

void StatusBar::dock() {
    // The bar places itself along its window's bottom at its font's height.
    SendMessageW(bar_, WM_SIZE, 0, 0);
    TTTOOLINFOW tool = file_tool(bar_);
    SendMessageW(bar_, SB_GETRECT, kFilePart, reinterpret_cast<LPARAM>(&tool.rect));
    SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void StatusBar::set_text(int part, const std::wstring& text) {
    if (part != kFilePart) {
        SendMessageW(bar_, SB_SETTEXTW, static_cast<WPARAM>(part),
                     reinterpret_cast<LPARAM>(text.c_str()));
        return;
    }
    file_text_ = text;
    TTTOOLINFOW tool = file_tool(bar_);
    tool.lpszText = file_text_.data();
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(bar_, SB_SETTEXTW, static_cast<WPARAM>(part) | SBT_OWNERDRAW, 0);
}

void StatusBar::draw(const DRAWITEMSTRUCT& item) {
    shown_file_text_ = file_text_;
    shown_file_text_.append(kEllipsisRoom, L'\0');
    RECT area = item.rcItem;
    area.left += kTextMargin;
    area.right -= kTextMargin;
    const HGDIOBJ old_font = SelectObject(item.hDC, font_);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(item.hDC, shown_file_text_.data(), static_cast<int>(file_text_.size()), &area,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_PATH_ELLIPSIS | DT_MODIFYSTRING);
    SelectObject(item.hDC, old_font);
    shown_file_text_.resize(std::wcslen(shown_file_text_.c_str()));
}

}  // namespace brisol::win32
