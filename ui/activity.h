// The Activity log of the main window: what the user should know happened.
#pragma once

#include <windows.h>

#include <string>

struct MainState;

// An Activity line, the session record's copy, the status bar text and the
// unseen-entries dot on the Activity tab.
void reportActivity(MainState& state, const std::u16string& text, COLORREF color);
