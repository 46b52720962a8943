// The fonts the window's own controls draw with, and their loading ahead.
#pragma once

#include <windows.h>

// The face of the search box, the tab strips and the Assistant's input, at a
// point size for the DPI.
HFONT createUiFont(int points, int dpi);

// Under Wine a process opens a font's files (and those of the fonts linked
// to it) the first time it draws with the font, a few milliseconds each. On a
// worker at start-up this has the faces of the first frame ready before the
// window asks for them; it also makes the monospaced face's once-per-run choice.
void loadWindowFontsAhead();
