// The one modal single-line input dialog, built in memory.
#pragma once

#include <windows.h>

#include <string>

// Returns true when the user confirmed with OK; text then holds what was typed,
// however long. Cancel, Escape and the close box leave text untouched.
bool askText(HWND owner, const std::u16string& title, const std::u16string& prompt, const std::u16string& okLabel,
             const std::u16string& cancelLabel, std::u16string& text);
