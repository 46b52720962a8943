// Placing the children at the window's DPI, and the splitter between the panes.
#pragma once

#include <windows.h>

struct MainState;

void layoutWindow(MainState& state);
void layoutRightPane(MainState& state);
bool splitterHit(const MainState& state, int x);
bool onSplitterSetCursor(MainState& state);
void onSplitterButtonDown(MainState& state, int x);
void onSplitterMouseMove(MainState& state, int x, WPARAM keys);
void onSplitterButtonUp(MainState& state);
void onSplitterCaptureLost(MainState& state);
// The left-pane width for a pointer at x in a client area of the given width.
int clampLeftWidth(int x, int clientWidth, int dpi);
// The chosen left-pane width, narrowed while the window is too small for it and the right pane.
int shownLeftWidth(const MainState& state);
// The least window size at which the segment strip and every control of the right pane fit.
void onGetMinMaxInfo(const MainState& state, MINMAXINFO& info);
