// Keyboard: the shortcut table, built at creation and destroyed with the
// window, and the commands that only move between pages and panes.
#pragma once

#include <windows.h>

struct MainState;

HACCEL createShortcutTable();
// Runs a shortcut command of this file; false when the id is not one.
bool runKeyboardCommand(MainState& state, int id);
// The control of the page in front that takes the keys.
HWND pageFocusTarget(const MainState& state);
// Gives the focus back to the control that had it before a dialog or another
// program took the activation (else to the page in front).
void restoreFocus(MainState& state);
// The message loop's first look at a message for the main window: its keyboard
// shortcuts and the moves between controls. True when the message was used and
// must not be translated or dispatched.
bool takeMainWindowKey(MSG& message);
