// Where the main window sits between runs (window.json).
#pragma once

#include <windows.h>

struct MainState;

// Shows the program's main window where it was when it last closed (a start
// asked for minimised or maximised still wins), else as showCommand says; from
// then on its placement is kept when it closes.
void showMainWindow(HWND window, int showCommand);
// Keeps the window's placement in window.json when it was shown by showMainWindow.
void rememberWindowPlacement(const MainState& state);
