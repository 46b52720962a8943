#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "ui/glyph_table.h"

namespace {

// Big-endian fields of 16 and 32 bits appended.
void put16(std::string& b, std::initializer_list<uint32_t> values) {
    for (uint32_t v : values) b += {char(v >> 8), char(v & 0xFF)};
}
void put32(std::string& b, std::initializer_list<uint32_t> values) {
    for (uint32_t v : values) put16(b, {v >> 16, v & 0xFFFF});
}

// A character map with a format 4 subtable (U+0041..U+0043 by delta, U+2699
// through the glyph array, U+26A0 mapped to glyph 0) and a format 12 one
// (U+1F527..U+1F528).
std::string sampleCmap() {
    std::string format4;
    const uint32_t segments = 4;
    put16(format4, {4, 0, 0, segments * 2, 0, 0, 0});  // format, length (unread), language, 2 x segments, search fields
    put16(format4, {0x43, 0x2699, 0x26A0, 0xFFFF, 0});  // ends, padding
    put16(format4, {0x41, 0x2699, 0x26A0, 0xFFFF});  // starts
    put16(format4, {0x10000 - 0x40, 0, 0, 1});  // deltas
    // an offset counts from where it is stored: the glyph array begins after the fourth offset
    put16(format4, {0, 6, 6, 0});
    put16(format4, {77, 0});  // U+2699's glyph; U+26A0: no glyph
    std::string format12;
    put16(format12, {12, 0});
    put32(format12, {0, 0, 1, 0x1F527, 0x1F528, 500});
    std::string cmap;
    put16(cmap, {0, 3, 1, 0});  // version, three records; Mac Roman: not read
    put32(cmap, {0});
    put16(cmap, {3, 1});
    put32(cmap, {4 + 3 * 8});
    put16(cmap, {3, 10});
    put32(cmap, {uint32_t(4 + 3 * 8 + format4.size())});
    return cmap + format4 + format12;
}

TEST(GlyphTable, CharacterMapsOfBothFormatsAndDamagedTables) {
    const std::string cmap = sampleCmap();
    const struct {
        char32_t c;
        bool mapped;
    } cases[] = {{U'A', true},     {U'C', true},     {U'D', false},    {0x2699, true},
                 {0x26A0, false},  {0x2B50, false},  {0x1F527, true},  {0x1F528, true},
                 {0x1F526, false}, {0x1F529, false}, {0x10FFFD, false}};
    for (const auto& c : cases) EXPECT_EQ(cmapMapsCodePoint(cmap, c.c), c.mapped) << std::hex << uint32_t(c.c);
    for (size_t cut : {size_t(0), size_t(3), size_t(20), cmap.size() - 30, cmap.size() - 1})
        EXPECT_FALSE(cmapMapsCodePoint(cmap.substr(0, cut), 0x1F528)) << cut;
}

TEST(GlyphTable, CodePointsJoinPairsAndMarkCombiningOnes) {
    EXPECT_EQ(codePoints(u"\u2699\uFE0F\U0001F527x"), (std::u32string{0x2699, 0xFE0F, 0x1F527, U'x'}));
    EXPECT_EQ(codePoints(std::u16string{0xD83D, u'a', 0xDD27}), (std::u32string{0xFFFD, U'a', 0xFFFD}));
    for (char32_t mark : {char32_t(0xFE0F), char32_t(0x200D), char32_t(0x1F3FB)}) EXPECT_TRUE(isCombiningMark(mark));
    for (char32_t plain : {char32_t(U'a'), char32_t(0x2699), char32_t(0x1F527)}) EXPECT_FALSE(isCombiningMark(plain));
    EXPECT_EQ(leadingSymbol(u"\U0001F4A1 Related playbooks: "), u"\U0001F4A1");
    EXPECT_EQ(leadingSymbol(u"\u2699\uFE0F Config"), u"\u2699\uFE0F");
    for (const char16_t* word : {u"", u"  \u2022 Ping", u"Network", u"\u7F51\u7EDC \u2699", u"\uFF08x\uFF09"})
        EXPECT_EQ(leadingSymbol(word), u"");
}

}  // namespace
