// The main window: its procedure is registered by the entry point.
#pragma once

#include <windows.h>

constexpr wchar_t kMainWindowClass[] = L"ToolkeepNativeMainWindow";

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
