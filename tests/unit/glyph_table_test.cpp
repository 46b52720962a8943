#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ui/glyph_table.h"

namespace {

void put16(std::string& b, uint32_t v) {
    b.push_back(char(v >> 8));
    b.push_back(char(v & 0xFF));
}
void put32(std::string& b, uint32_t v) {
    put16(b, v >> 16);
    put16(b, v & 0xFFFF);
}

// A character map with a format 4 subtable (U+0041..U+0043 by delta, U+2699
// through the glyph array, U+26A0 mapped to glyph 0) and a format 12 one
// (U+1F527..U+1F528).
std::string sampleCmap() {
    std::string format4;
    const uint32_t segments = 4;
    put16(format4, 4);
    put16(format4, 0);  // length, unread
    put16(format4, 0);
    put16(format4, segments * 2);
    put16(format4, 0);
    put16(format4, 0);
    put16(format4, 0);
    for (uint32_t end : {0x43u, 0x2699u, 0x26A0u, 0xFFFFu}) put16(format4, end);
    put16(format4, 0);
    for (uint32_t start : {0x41u, 0x2699u, 0x26A0u, 0xFFFFu}) put16(format4, start);
    for (uint32_t delta : {0x10000u - 0x40u, 0u, 0u, 1u}) put16(format4, delta & 0xFFFF);
    // an offset counts from where it is stored: the glyph array begins after the fourth offset
    for (uint32_t offset : {0u, 6u, 6u, 0u}) put16(format4, offset);
    put16(format4, 77);  // U+2699's glyph
    put16(format4, 0);   // U+26A0: no glyph
    std::string format12;
    put16(format12, 12);
    put16(format12, 0);
    put32(format12, 0);
    put32(format12, 0);
    put32(format12, 1);
    put32(format12, 0x1F527);
    put32(format12, 0x1F528);
    put32(format12, 500);
    std::string cmap;
    put16(cmap, 0);
    put16(cmap, 3);
    put16(cmap, 1);  // Mac Roman: not read
    put16(cmap, 0);
    put32(cmap, 0);
    put16(cmap, 3);
    put16(cmap, 1);
    put32(cmap, 4 + 3 * 8);
    put16(cmap, 3);
    put16(cmap, 10);
    put32(cmap, uint32_t(4 + 3 * 8 + format4.size()));
    return cmap + format4 + format12;
}

TEST(GlyphTable, CharacterMapsOfBothFormatsAndDamagedTables) {
    const std::string cmap = sampleCmap();
    const struct {
        char32_t c;
        bool mapped;
    } cases[] = {{U'A', true},     {U'C', true},     {U'D', false},      {0x2699, true},   {0x26A0, false},
                 {0x2B50, false},  {0x1F527, true},  {0x1F528, true},    {0x1F526, false}, {0x1F529, false},
                 {0x10FFFD, false}};
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
