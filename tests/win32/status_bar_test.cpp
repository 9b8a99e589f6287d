// The Win32 window's status bar on a window of the test's own. It needs an X
// server under wine, so window_test.sh runs it rather than ctest.

#include "status_bar.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "controls.h"

namespace brisol::win32 {
namespace {

StatusBar* drawn_bar = nullptr;

LRESULT CALLBACK host_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DRAWITEM && drawn_bar != nullptr) {
        drawn_bar->draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        return TRUE;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

class StatusBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
        InitCommonControlsEx(&classes);
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSW host_class{};
        host_class.lpfnWndProc = host_procedure;
        host_class.hInstance = instance;
        host_class.lpszClassName = L"BrisolStatusBarHost";
        RegisterClassW(&host_class);
        host_ = CreateWindowExW(0, host_class.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                                200, nullptr, nullptr, instance, nullptr);
        window_ =
            CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, host_,
                            reinterpret_cast<HMENU>(INT_PTR{kStatusBarId}), instance, nullptr);
        ASSERT_NE(window_, nullptr);
        bar_.attach(window_);
        drawn_bar = &bar_;
        ShowWindow(host_, SW_SHOWNOACTIVATE);
    }

    void TearDown() override {
        drawn_bar = nullptr;
        DestroyWindow(host_);
    }

    // What the file part shows of text once drawn.
    std::wstring shown(const std::wstring& text) {
        bar_.set_text(kFilePart, text);
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return bar_.shown_file_text();
    }

    std::wstring tip() const {
        std::array<wchar_t, 1024> text{};
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = window_;
        tool.uId = kFilePart;
        tool.lpszText = text.data();
        SendMessageW(bar_.tooltip(), TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
        return text.data();
    }

    HWND host_ = nullptr;
    HWND window_ = nullptr;
    StatusBar bar_;
};

TEST_F(StatusBarTest, ACyrillicNameHasItsGlyphsInTheBarsFont) {
    const std::wstring name = L"File: C:\\Отчёты\\годовой отчёт ЁЖЩЮЯ.txt";
    shown(name);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
    ASSERT_EQ(font, bar_.font());
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old_font = SelectObject(dc, font);
    std::vector<WORD> glyphs(name.size());
    GetGlyphIndicesW(dc, name.c_str(), static_cast<int>(name.size()), glyphs.data(),
                     GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old_font);
    DeleteDC(dc);
    for (std::size_t i = 0; i < name.size(); ++i) {
        EXPECT_NE(glyphs.at(i), 0xFFFF) << "no glyph for U+" << std::hex << int{name.at(i)};
    }
}

TEST_F(StatusBarTest, ALongPathLosesItsMiddleNotItsNameAndTheTipHasItWhole) {
    const std::wstring file = L"\\годовой отчёт.txt";
    const std::wstring short_path = L"File: C:\\Отчёты" + file;
    const std::wstring long_path =
        L"File: C:\\Users\\Public\\Документы\\Отчёты за 2024 год\\Бухгалтерия\\Квартал" + file;
    for (const std::wstring& text : {short_path, long_path}) {
        const bool cut = text == long_path;
        const std::wstring seen = shown(text);
        EXPECT_EQ(seen == text, !cut) << cut;
        EXPECT_EQ(seen.rfind(L"File: C:\\", 0), 0u) << cut;
        EXPECT_EQ(seen.ends_with(file), true) << cut;
        EXPECT_EQ(seen.find(L"...") != std::wstring::npos, cut) << cut;
        EXPECT_EQ(tip(), text) << cut;
    }
}

}  // namespace
}  // namespace brisol::win32
