// Without an ANSI code page each byte is taken as Latin-1.
#include "data/text.h"

std::u16string ansiToWide(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) out += char16_t(static_cast<unsigned char>(c));
    return out;
}
