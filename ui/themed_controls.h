// The theme's colours on the controls that do not take them by message: the
// tab strips and the status bar painted here, the tree's selected item, and
// the system's dark control theme where it has one.
#pragma once

#include <windows.h>

#include <commctrl.h>

struct MainState;

// Stores the colours, remakes the brushes, pushes the colours to every child
// and repaints the window.
void applyTheme(MainState& state);
void deleteThemeBrushes(MainState& state);
// The tree's NM_CUSTOMDRAW: the selected item in the theme's colours, with
// and without the focus.
LRESULT drawTreeItemInTheme(const MainState& state, NMTVCUSTOMDRAW& draw);
// Paints the tab strips and the status bar from now on (once is enough;
// later calls change nothing) and gives every child the control theme of the
// current colours.
void themeChildControls(MainState& state);
// A child created after the theme was applied (a new terminal) takes its
// control theme.
void themeNewChild(const MainState& state, HWND child);
