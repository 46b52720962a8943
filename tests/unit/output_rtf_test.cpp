#include <gtest/gtest.h>

#include "terminal/output_rtf.h"

namespace {

constexpr Rgb kGrey = {204, 204, 204};
constexpr Rgb kRed = {197, 15, 31};

// The document without its header and colour table.
std::string body(const std::string& rtf) {
    size_t table = rtf.find("{\\colortbl;");
    size_t end = rtf.find('}', table);
    EXPECT_EQ(rtf.rfind('}'), rtf.size() - 1);
    EXPECT_EQ(rtf.compare(end + 1, 9, "\\protect "), 0) << "every run is protected";
    return rtf.substr(end + 10, rtf.size() - end - 11);
}

TEST(OutputRtf, ColourTableHoldsEachColourOnceAndOnlyVisibleChangesAreWritten) {
    std::string rtf = outputRunsToRtf({{u"a", kGrey, false},
                                       {u"b", kRed, true},
                                       {u"", kGrey, false},  // empty runs leave no trace
                                       {u"c", kRed, false},
                                       {u" \r\n", kGrey, true},  // blanks keep the attributes before them
                                       {u"d", kRed, false},
                                       {u"e", kGrey, false}});
    EXPECT_EQ(rtf.substr(0, rtf.find('}') + 1),
              "{\\rtf1{\\colortbl;\\red204\\green204\\blue204;\\red197\\green15\\blue31;}");
    EXPECT_EQ(body(rtf), "\\cf1\\b0 a\\cf2\\b b\\b0 c \\par\nd\\cf1 e");
    EXPECT_EQ(outputRunsToRtf({}), "{\\rtf1{\\colortbl;}\\protect }");
    // Blanks before the first visible run take the format at the insertion point.
    EXPECT_EQ(outputRunsToRtf({{u"  ", kRed, true}}), "{\\rtf1{\\colortbl;}\\protect   }");
}

TEST(OutputRtf, LineBreaksEachMakeOneParagraph) {
    auto text = [](const std::vector<OutputRun>& runs) { return body(outputRunsToRtf(runs)); };
    EXPECT_EQ(text({{u"a\r\nb\rc\nd\r\n", kGrey, false}}), "\\cf1\\b0 a\\par\nb\\par\nc\\par\nd\\par\n");
    // A CR LF pair cut between two runs is still one break.
    EXPECT_EQ(text({{u"a\r", kGrey, false}, {u"\nb", kRed, false}}), "\\cf1\\b0 a\\par\n\\cf2 b");
    // CR CR LF, as text-mode output written twice ends its lines, is one break too.
    EXPECT_EQ(text({{u"a\r\r\nb\r\r", kGrey, false}}), "\\cf1\\b0 a\\par\nb\\par\n\\par\n");
}

TEST(OutputRtf, SpecialAndWideCharactersAreEscaped) {
    std::string text = body(outputRunsToRtf({{u"{a\\b}\tc 中｜😀\x7f", kGrey, false}}));
    // U+4E2D, U+FF5C and the surrogate pair of U+1F600 as signed 16-bit numbers.
    EXPECT_EQ(text, "\\cf1\\b0 \\{a\\\\b\\}\\tab c \\u20013?\\u-164?\\u-10179?\\u-8704?\\u127?");
    // A run that starts with a blank keeps it after the control word's delimiter.
    EXPECT_EQ(body(outputRunsToRtf({{u"  x", kGrey, false}})), "\\cf1\\b0   x");
}

}  // namespace
