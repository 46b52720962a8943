// Text at the file and wire boundary: the UTF-8 converters (platform/utf8.h)
// and the checks and fallbacks built on them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/utf8.h"

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool isValidUtf8(const std::string& bytes);
// Bytes in the system's ANSI code page: CP_ACP on Windows; elsewhere, where
// there is none, each byte is taken as Latin-1.
std::u16string ansiToWide(const std::string& bytes);
// The text of a file the user may have edited: UTF-8 when it is valid UTF-8,
// else the ANSI code page, as older editors saved it (Notepad on Windows 7).
std::u16string fileTextToWide(const std::string& bytes);

// Plain ASCII literal to UTF-16 (for fixed texts built from narrow pieces).
std::u16string asciiToWide(const std::string& ascii);
// The text with each "%s" replaced by the next of the values, in order;
// a value is never searched for further marks.
std::u16string withValues(std::u16string text, const std::vector<std::u16string>& values);
// Plain ASCII letters to lower case; every other character as it is.
std::u16string lowerAscii(std::u16string_view text);
// A number in decimal digits.
std::u16string decimalText(unsigned long long value);
