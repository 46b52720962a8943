// Reading a font's character map, to tell whether it has a glyph for a character.
#pragma once

#include <string>

// The code points of the text, surrogate pairs joined; a lone surrogate gives U+FFFD.
std::u32string codePoints(const std::u16string& text);
// Whether an OpenType 'cmap' table maps the code point to a glyph (Unicode
// subtables of format 4 or 12); false for a damaged table.
bool cmapMapsCodePoint(const std::string& cmap, char32_t codePoint);
// Code points drawn with the character before them, never on their own:
// variation selectors, the zero-width joiner, skin-tone modifiers.
bool isCombiningMark(char32_t codePoint);
// The symbol a label begins with, up to its first blank; empty when the label
// begins with a word (Latin, Greek, Cyrillic, CJK, Hangul, full-width forms).
std::u16string leadingSymbol(const std::u16string& label);
