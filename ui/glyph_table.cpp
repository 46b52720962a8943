#include "ui/glyph_table.h"

#include <cstdint>

namespace {

uint32_t u16at(const std::string& b, size_t at) {
    if (at + 2 > b.size()) return 0;
    return (uint32_t(uint8_t(b[at])) << 8) | uint8_t(b[at + 1]);
}

uint32_t u32at(const std::string& b, size_t at) { return (u16at(b, at) << 16) | u16at(b, at + 2); }

bool format4Maps(const std::string& b, size_t table, char32_t c) {
    if (c > 0xFFFF || table + 14 > b.size()) return false;
    const size_t segments = u16at(b, table + 6) / 2;
    const size_t ends = table + 14;
    const size_t starts = ends + 2 * segments + 2;
    const size_t deltas = starts + 2 * segments;
    const size_t offsets = deltas + 2 * segments;
    if (offsets + 2 * segments > b.size()) return false;
    for (size_t i = 0; i < segments; ++i) {
        if (c > u16at(b, ends + 2 * i)) continue;
        const uint32_t start = u16at(b, starts + 2 * i);
        if (c < start) return false;
        const uint32_t rangeOffset = u16at(b, offsets + 2 * i);
        if (rangeOffset == 0) return ((c + u16at(b, deltas + 2 * i)) & 0xFFFF) != 0;
        const size_t at = offsets + 2 * i + rangeOffset + 2 * (c - start);
        const uint32_t glyph = u16at(b, at);
        return at + 2 <= b.size() && glyph != 0 && ((glyph + u16at(b, deltas + 2 * i)) & 0xFFFF) != 0;
    }
    return false;
}

bool format12Maps(const std::string& b, size_t table, char32_t c) {
    if (table + 16 > b.size()) return false;
    const size_t groups = u32at(b, table + 12);
    if (groups > (b.size() - table - 16) / 12) return false;
    size_t low = 0, high = groups;
    while (low < high) {
        const size_t mid = (low + high) / 2;
        const size_t group = table + 16 + 12 * mid;
        if (c < u32at(b, group)) {
            high = mid;
        } else if (c > u32at(b, group + 4)) {
            low = mid + 1;
        } else {
            return u32at(b, group + 8) + (c - u32at(b, group)) != 0;
        }
    }
    return false;
}

}  // namespace

std::u32string codePoints(const std::u16string& text) {
    std::u32string points;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            points.push_back(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            points.push_back(0xFFFD);
        } else {
            points.push_back(unit);
        }
    }
    return points;
}

bool cmapMapsCodePoint(const std::string& cmap, char32_t c) {
    const size_t count = u16at(cmap, 2);
    bool mapped = false;
    for (size_t i = 0; i < count && !mapped; ++i) {
        const size_t record = 4 + 8 * i;
        if (record + 8 > cmap.size()) return false;
        const uint32_t platform = u16at(cmap, record);
        const uint32_t encoding = u16at(cmap, record + 2);
        const bool unicode = platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10));
        if (!unicode) continue;
        const size_t table = u32at(cmap, record + 4);
        const uint32_t format = u16at(cmap, table);
        if (format == 4) mapped = format4Maps(cmap, table, c);
        if (format == 12) mapped = format12Maps(cmap, table, c);
    }
    return mapped;
}

bool isCombiningMark(char32_t c) {
    return (c >= 0xFE00 && c <= 0xFE0F) || c == 0x200D || (c >= 0x1F3FB && c <= 0x1F3FF) ||
           (c >= 0xE0100 && c <= 0xE01EF);
}

std::u16string leadingSymbol(const std::u16string& label) {
    if (label.empty()) return {};
    const char16_t first = label[0];
    const bool word = first < 0x2000 || (first >= 0x2E80 && first <= 0xA4CF) || (first >= 0xAC00 && first <= 0xD7AF) ||
                      (first >= 0xF900 && first <= 0xFAFF) || (first >= 0xFF00 && first <= 0xFFEF);
    return word ? std::u16string() : label.substr(0, label.find(u' '));
}
