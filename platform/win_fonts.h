// The terminal's monospaced font, chosen from the faces this system has.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A font of the face at a fixed size (16 pixels), for asking what glyphs it
// has; whether one exists does not depend on the size.
HFONT createProbeFont(const std::u16string& face);
// The fonts Windows links to the face for characters it lacks, as the
// registry lists them ("file,face[,scale...]", or a bare file name); empty
// when none is linked.
std::vector<std::u16string> fontLinkEntries(const std::u16string& face);
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
