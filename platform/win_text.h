// UTF-16 strings cross into Win32 as wchar_t (16 bits on Windows).
#pragma once

#include <string>

inline const wchar_t* wstr(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

inline std::u16string fromWide(const wchar_t* s) {
    return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : std::u16string();
}

inline std::u16string fromWide(const wchar_t* s, size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(s), length);
}
