// The terminal's monospaced font, chosen from the faces this system has.
#pragma once

#include <windows.h>

#include <string>

// True when a font family of exactly this name is installed (substitutes do not count).
bool fontFamilyInstalled(const std::u16string& face);
// Consolas, else Lucida Console, else Courier New: the first one installed, so
// that columns line up where Consolas is missing (older systems); where none
// is (Wine), any installed fixed-pitch TrueType family, one that can show
// Chinese (a glyph of its own or a linked font) before the others.
std::u16string monospaceFace();
// A regular-weight font of monospaceFace() with the given cell height in pixels
// (negative: character height, as CreateFontW takes it); nullptr on failure.
HFONT createMonospaceFont(int height);
