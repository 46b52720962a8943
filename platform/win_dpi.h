// The one place the program reads a window's DPI.
#pragma once

#include <windows.h>

#include "platform/win_handles.h"

// Pixels per logical inch of the window's screen; 96 when it cannot be read.
inline int windowDpi(HWND window) {
    ScopedWindowDC screen(window);
    const int dpi = screen.dc ? GetDeviceCaps(screen.dc, LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}
