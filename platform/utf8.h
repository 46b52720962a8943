// UTF-8 <-> UTF-16 at the file and wire boundary. Invalid input never fails:
// it becomes U+FFFD, as the Windows converters do with flags 0. The bottom of
// the program: the platform seam itself converts with these.
#pragma once

#include <string>

std::u16string utf8ToWide(const char* data, size_t length);
std::string wideToUtf8(const std::u16string& text);
inline std::u16string utf8ToWide(const std::string& utf8) { return utf8ToWide(utf8.data(), utf8.size()); }
