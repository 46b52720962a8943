// Whether an icon (an emoji or symbol before a label) can be drawn, so that a
// label can leave out what would show as an empty box.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Whether every code point of the icon (variation selectors and joiners aside)
// has a glyph in the control's font, a font linked to that font, or the
// system's emoji and symbol fonts. Answers are kept per face and icon.
bool iconDrawable(HWND control, const std::u16string& icon);
// Finds the answers for controls drawing with this font before they ask (any thread).
void checkIconsAhead(const LOGFONTW& font, const std::vector<std::u16string>& icons);
