// The seven colours of the light and dark themes.
#pragma once

#include <windows.h>

struct ThemeColors {
    COLORREF windowBackground;
    COLORREF treeBackground;
    COLORREF treeText;
    COLORREF editBackground;
    COLORREF editText;
    COLORREF terminalBackground;
    COLORREF terminalText;
};

constexpr ThemeColors kLightTheme = {RGB(243, 243, 243), RGB(251, 251, 251), RGB(27, 27, 27), RGB(255, 255, 255),
                                     RGB(27, 27, 27),    RGB(255, 255, 255), RGB(27, 27, 27)};
constexpr ThemeColors kDarkTheme = {RGB(30, 30, 30),  RGB(37, 37, 38),    RGB(232, 232, 232), RGB(51, 51, 55),
                                    RGB(255, 255, 255), RGB(12, 12, 12), RGB(204, 204, 204)};

// "AppsUseLightTheme" is a REG_DWORD holding 0.
bool systemUsesDarkApps();
// The setting theme: 0 follows the system, 2 is dark, anything else light.
bool themeIsDark(int themeSetting);
const ThemeColors& themeColors(bool dark);

struct MainState;
// Stores the colours, remakes the brushes and pushes the colours to every child.
void applyTheme(MainState& state);
void deleteThemeBrushes(MainState& state);
