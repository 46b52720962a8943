// The themes on the controls the window colours itself: the tree, the tab
// strips and the status bar, read back as the controls draw them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

#include "tests/e2e/local_window.h"
#include "ui/main_state.h"
#include "ui/theme.h"

namespace {

// A pixel counts as dark below this relative brightness (0 .. 1).
constexpr double kDarkBrightness = 0.35;
// Share of a strip's pixels that must be of the theme's kind (text, light
// on dark and so the heavier, and the accent bar make up the rest).
constexpr double kThemedShare = 0.7;

// A control's client area as it draws itself into a capture.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
    COLORREF at(int x, int y) const {
        uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // The share of dark pixels in rows top .. bottom - 1.
    double darkShare(int top, int bottom) const {
        int dark = 0, all = 0;
        for (int y = std::max(top, 0); y < std::min(bottom, height); ++y) {
            for (int x = 0; x < width; ++x, ++all) {
                COLORREF c = at(x, y);
                dark += (0.2126 * GetRValue(c) + 0.7152 * GetGValue(c) + 0.0722 * GetBValue(c)) / 255 < kDarkBrightness;
            }
        }
        return all ? double(dark) / all : 0;
    }
};

Capture capture(HWND control) {
    Capture shot;
    RECT client;
    GetClientRect(control, &client);
    shot.width = client.right;
    shot.height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(control);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    PrintWindow(control, memory, PW_CLIENTONLY);
    GdiFlush();
    if (bits) {
        const auto* first = static_cast<const uint32_t*>(bits);
        shot.pixels.assign(first, first + size_t(shot.width) * size_t(shot.height));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(control, screen);
    return shot;
}

class ThemedWindow : public WindowFixture {};

TEST_F(ThemedWindow, TreeTabStripsAndStatusBarTakeEachThemesColours) {
    struct Case {
        int command;
        const ThemeColors& colors;
        bool dark;
    };
    const Case cases[] = {{kCmdThemeDark, kDarkTheme, true}, {kCmdThemeLight, kLightTheme, false}};
    HTREEITEM item = TreeView_GetRoot(state->tree);
    ASSERT_NE(item, nullptr);
    TreeView_SelectItem(state->tree, item);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dark ? "dark" : "light");
        SendMessageW(window, WM_COMMAND, WPARAM(c.command), 0);
        pump(100);
        EXPECT_EQ(COLORREF(SendMessageW(state->tree, TVM_GETBKCOLOR, 0, 0)), c.colors.treeBackground);
        EXPECT_EQ(COLORREF(SendMessageW(state->tree, TVM_GETTEXTCOLOR, 0, 0)), c.colors.treeText);
        EXPECT_EQ(COLORREF(SendMessageW(state->tree, TVM_GETLINECOLOR, 0, 0)), c.colors.treeLines);

        // The selected item, with the focus in the tree and elsewhere: a pixel
        // of its text's background right of the text.
        RECT text = {};
        ASSERT_TRUE(TreeView_GetItemRect(state->tree, item, &text, TRUE));
        for (bool focused : {true, false}) {
            SetFocus(focused ? state->tree : state->searchBox);
            pump(50);
            EXPECT_EQ(capture(state->tree).at(text.right - 2, text.top + 1),
                      focused ? c.colors.treeSelectedBackground : c.colors.treeInactiveBackground)
                << (focused ? "focused" : "without focus");
        }

        for (HWND tabs : {state->pages.tabControl, state->segmentTabs}) {
            Capture shot = capture(tabs);
            ASSERT_FALSE(shot.pixels.empty());
            int selected = TabCtrl_GetCurSel(tabs);
            int other = selected == 0 ? 1 : 0;
            RECT on = {}, off = {}, last = {};
            TabCtrl_GetItemRect(tabs, selected, &on);
            TabCtrl_GetItemRect(tabs, other, &off);
            TabCtrl_GetItemRect(tabs, TabCtrl_GetItemCount(tabs) - 1, &last);
            EXPECT_EQ(shot.at(on.left + 2, on.bottom - 2), c.colors.tabSelectedBackground);
            EXPECT_EQ(shot.at(off.left + 2, off.bottom - 2), c.colors.tabBackground);
            if (last.right + 4 < shot.width) {
                EXPECT_EQ(shot.at(last.right + 4, last.top + 4), c.colors.tabStrip);
            }
            double dark = shot.darkShare(0, on.bottom);
            EXPECT_GE(c.dark ? dark : 1 - dark, kThemedShare);
        }

        Capture status = capture(state->statusBar);
        ASSERT_FALSE(status.pixels.empty());
        EXPECT_EQ(status.at(1, 1), c.colors.statusBackground);
        double dark = status.darkShare(0, status.height);
        EXPECT_GE(c.dark ? dark : 1 - dark, kThemedShare);
    }
}

}  // namespace
