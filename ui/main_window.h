// The main window: its procedure is registered by the entry point.
#pragma once

#include <windows.h>

#include <future>

#include "launcher/catalog.h"

constexpr wchar_t kMainWindowClass[] = L"ToolkeepNativeMainWindow";

// What the window's creation waits for on the disk, the DLL loader or the
// font files (the catalog, with the tree's icons checked; the rich-edit
// library; the fonts), begun on workers before the window is made and handed
// to it as its creation parameter.
struct WindowStart {
    std::future<CatalogRead> catalog;
    std::future<void> richEditLibrary;
    std::future<void> fonts;
};
WindowStart beginWindowStart();

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The message loop's first look at a message for the main window: its keyboard
// shortcuts and the moves between controls. True when the message was used and
// must not be translated or dispatched.
bool takeMainWindowKey(MSG& message);

// Shows the program's main window where it was when it last closed (a start
// asked for minimised or maximised still wins), else as showCommand says; from
// then on its placement is kept when it closes.
void showMainWindow(HWND window, int showCommand);
