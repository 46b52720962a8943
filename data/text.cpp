#include "data/text.h"

std::u16string asciiToWide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

bool isValidUtf8(const std::string& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char b = *p++;
        if (b < 0x80) continue;
        int need;
        unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the first continuation byte
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            if (b == 0xE0) lo = 0xA0;  // overlong
            if (b == 0xED) hi = 0x9F;  // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            if (b == 0xF0) lo = 0x90;  // overlong
            if (b == 0xF4) hi = 0x8F;  // past U+10FFFF
        } else {
            return false;
        }
        for (int i = 0; i < need; ++i, ++p) {
            if (p >= end || *p < lo || *p > hi) return false;
            lo = 0x80;
            hi = 0xBF;
        }
    }
    return true;
}

std::u16string fileTextToWide(const std::string& bytes) {
    return isValidUtf8(bytes) ? utf8ToWide(bytes) : ansiToWide(bytes);
}

std::u16string decimalText(unsigned long long value) { return asciiToWide(std::to_string(value)); }

std::u16string withValues(std::u16string text, const std::vector<std::u16string>& values) {
    size_t from = 0;
    for (const std::u16string& value : values) {
        size_t at = text.find(u"%s", from);
        if (at == std::u16string::npos) break;
        text.replace(at, 2, value);
        from = at + value.size();
    }
    return text;
}

std::u16string lowerAscii(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    return out;
}
