// The colours of the light and dark themes, and which of them carry text on which.
#pragma once

#include <cstdint>
#include <vector>

// 0x00BBGGRR, the layout of a Windows COLORREF.
using ThemeColor = uint32_t;
constexpr ThemeColor themeRgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

struct ThemeColors {
    ThemeColor windowBackground;
    ThemeColor treeBackground;
    ThemeColor treeText;
    ThemeColor treeLines;
    // The selected tree item while the tree has the focus, and while it has not.
    ThemeColor treeSelectedBackground;
    ThemeColor treeSelectedText;
    ThemeColor treeInactiveBackground;
    ThemeColor treeInactiveText;
    ThemeColor editBackground;
    ThemeColor editText;
    ThemeColor editCue;  // the hint an empty search or question box shows
    ThemeColor terminalBackground;
    ThemeColor terminalText;
    // Tab strips: the strip behind the tabs, a tab, the selected tab and the bar over it.
    ThemeColor tabStrip;
    ThemeColor tabBackground;
    ThemeColor tabText;
    ThemeColor tabSelectedBackground;
    ThemeColor tabSelectedText;
    ThemeColor tabAccent;
    ThemeColor statusBackground;
    ThemeColor statusText;
};

// The selected tab takes its page's colour, so that the two read as one.
constexpr ThemeColors kLightTheme = {
    .windowBackground = themeRgb(243, 243, 243),
    .treeBackground = themeRgb(251, 251, 251),
    .treeText = themeRgb(27, 27, 27),
    .treeLines = themeRgb(160, 160, 160),
    .treeSelectedBackground = themeRgb(204, 232, 255),
    .treeSelectedText = themeRgb(0, 0, 0),
    .treeInactiveBackground = themeRgb(218, 218, 218),
    .treeInactiveText = themeRgb(27, 27, 27),
    .editBackground = themeRgb(255, 255, 255),
    .editText = themeRgb(27, 27, 27),
    .editCue = themeRgb(96, 96, 96),
    .terminalBackground = themeRgb(255, 255, 255),
    .terminalText = themeRgb(27, 27, 27),
    .tabStrip = themeRgb(243, 243, 243),
    .tabBackground = themeRgb(229, 229, 229),
    .tabText = themeRgb(64, 64, 64),
    .tabSelectedBackground = themeRgb(255, 255, 255),
    .tabSelectedText = themeRgb(0, 0, 0),
    .tabAccent = themeRgb(0, 103, 192),
    .statusBackground = themeRgb(235, 235, 235),
    .statusText = themeRgb(27, 27, 27),
};
constexpr ThemeColors kDarkTheme = {
    .windowBackground = themeRgb(30, 30, 30),
    .treeBackground = themeRgb(37, 37, 38),
    .treeText = themeRgb(232, 232, 232),
    .treeLines = themeRgb(110, 110, 110),
    .treeSelectedBackground = themeRgb(9, 71, 113),
    .treeSelectedText = themeRgb(255, 255, 255),
    .treeInactiveBackground = themeRgb(63, 63, 70),
    .treeInactiveText = themeRgb(232, 232, 232),
    .editBackground = themeRgb(51, 51, 55),
    .editText = themeRgb(255, 255, 255),
    .editCue = themeRgb(170, 170, 170),
    .terminalBackground = themeRgb(12, 12, 12),
    .terminalText = themeRgb(204, 204, 204),
    .tabStrip = themeRgb(30, 30, 30),
    .tabBackground = themeRgb(45, 45, 48),
    .tabText = themeRgb(190, 190, 190),
    .tabSelectedBackground = themeRgb(12, 12, 12),
    .tabSelectedText = themeRgb(255, 255, 255),
    .tabAccent = themeRgb(76, 160, 255),
    .statusBackground = themeRgb(45, 45, 48),
    .statusText = themeRgb(220, 220, 220),
};

const ThemeColors& themeColors(bool dark);

// Every text colour of a theme with the background it is drawn on.
struct ThemeTextPair {
    const char* name;
    ThemeColor text;
    ThemeColor background;
};
std::vector<ThemeTextPair> themeTextPairs(const ThemeColors& colors);

// "AppsUseLightTheme" is a REG_DWORD holding 0.
bool systemUsesDarkApps();
// The setting theme: 0 follows the system, 2 is dark, anything else light.
bool themeIsDark(int themeSetting);
