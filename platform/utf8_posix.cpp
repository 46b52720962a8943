// Portable converters that replace invalid input the way the Windows
// converters do: each maximal ill-formed subsequence becomes one U+FFFD.
#include "platform/utf8.h"

namespace {
constexpr char16_t kReplacement = 0xFFFD;
}

std::u16string utf8ToWide(const char* data, size_t length) {
    // Never more code units than bytes: write into a sized buffer, trim at the end.
    std::u16string out(length, u'\0');
    char16_t* o = out.data();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* end = p + length;
    while (p < end) {
        unsigned char b = *p;
        if (b < 0x80) {
            *o++ = char16_t(b);
            ++p;
            continue;
        }
        int need;
        char32_t cp;
        unsigned char lo = 0x80, hi = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            cp = b & 0x0F;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;  // no encoded surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            cp = b & 0x07;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            *o++ = kReplacement;
            ++p;
            continue;
        }
        ++p;
        bool ok = true;
        for (int i = 0; i < need; ++i) {
            if (p >= end || *p < lo || *p > hi) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (*p & 0x3F);
            ++p;
            lo = 0x80;
            hi = 0xBF;
        }
        if (!ok) {
            *o++ = kReplacement;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *o++ = char16_t(0xD800 + (cp >> 10));
            *o++ = char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            *o++ = char16_t(cp);
        }
    }
    out.resize(size_t(o - out.data()));
    return out;
}

std::string wideToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}
