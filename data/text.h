// UTF-8 <-> UTF-16 at the file and wire boundary. Invalid input never fails:
// it becomes U+FFFD, as the Windows converters do with flags 0.
#pragma once

#include <string>

std::u16string utf8ToWide(const std::string& utf8);
std::u16string utf8ToWide(const char* data, size_t length);
std::string wideToUtf8(const std::u16string& text);

// Plain ASCII literal to UTF-16 (for fixed texts built from narrow pieces).
std::u16string asciiToWide(const std::string& ascii);
