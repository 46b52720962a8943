// The main window: its procedure is registered by the entry point, which also
// runs the message loop (keyboard.h) and shows the window (window_placement.h).
#pragma once

#include <windows.h>

#include "ui/keyboard.h"
#include "ui/main_state.h"
#include "ui/window_placement.h"
#include "ui/window_start.h"

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
