// A plain window of this program holding terminal tabs as the main window
// does (two fixed tabs come first), answering the terminals' EN_PROTECTED.
#pragma once

#include <windows.h>

#include "terminal/terminal_tabs.h"

struct TerminalHost {
    HWND window = nullptr;
    PageList pages;
    TerminalTabs tabs;
};

// Creates the window, its tab control and the layout of the terminals.
bool createTerminalHost(TerminalHost& host, const wchar_t* title);
// Destroys the terminals first, then the window.
void destroyTerminalHost(TerminalHost& host);
