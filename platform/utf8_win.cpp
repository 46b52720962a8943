#include <windows.h>

#include "platform/utf8.h"

std::u16string utf8ToWide(const char* data, size_t length) {
    if (length == 0 || length > 0x7FFFFFFF) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, data, int(length), nullptr, 0);
    if (n <= 0) return {};
    std::u16string out(size_t(n), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, data, int(length), reinterpret_cast<wchar_t*>(&out[0]), n);
    return out;
}

std::string wideToUtf8(const std::u16string& text) {
    if (text.empty() || text.size() > 0x7FFFFFFF) return {};
    const wchar_t* w = reinterpret_cast<const wchar_t*>(text.data());
    int n = WideCharToMultiByte(CP_UTF8, 0, w, int(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}
