// Bringing one page of the main tab control to the front.
#pragma once

#include <windows.h>

struct MainState;

void selectTab(MainState& state, int index);
// The first terminal tab when any terminal exists, else the Activity tab.
void selectFirstTerminalOrActivity(MainState& state);
HWND currentPageWindow(const MainState& state);
