#include <windows.h>

#include "data/text.h"

std::u16string ansiToWide(const std::string& bytes) {
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    if (n <= 0) return {};
    std::u16string out(size_t(n), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), reinterpret_cast<wchar_t*>(&out[0]), n);
    return out;
}
