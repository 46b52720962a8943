#include <gtest/gtest.h>

#include "terminal/transcript_mirror.h"

namespace {

std::u16string textOf(const TranscriptMirror& mirror) {
    std::u16string text;
    for (const OutputRun& run : mirror.runs) text += run.text;
    return text;
}

OutputRun run(const std::u16string& text, uint8_t red = 0) { return {text, Rgb{red, 0, 0}, false}; }

TEST(TranscriptMirror, CountsLinesAcrossRunsAndSplitPairs) {
    TranscriptMirror mirror;
    mirrorAppend(mirror, {run(u"one\r\ntwo\r"), run(u"\nthree\nfour", 1), run(u"\r"), run(u"five")});
    EXPECT_EQ(mirror.lines, 4u);
    EXPECT_EQ(textOf(mirror), u"one\r\ntwo\r\nthree\nfour\rfive");
    // Every run ends at most one line, at its end; colours stay with their text.
    for (const OutputRun& piece : mirror.runs) {
        size_t breaks = piece.text.find_first_of(u"\r\n");
        EXPECT_TRUE(breaks == std::u16string::npos || breaks + 2 >= piece.text.size())
            << std::string(piece.text.begin(), piece.text.end());
    }
    EXPECT_EQ(mirror.runs[2].text, u"three\n");
    EXPECT_EQ(mirror.runs[2].color.r, 1);
    EXPECT_EQ(mirrorCompleteEnd(mirror), 5u);  // "four", the lone CR and "five" came in separate runs
}

TEST(TranscriptMirror, EditsTouchOnlyTheUnfinishedLine) {
    TranscriptMirror mirror;
    mirrorAppend(mirror, {run(u"done\r\n"), run(u"45%"), run(u" more", 1)});
    mirrorEraseLastLine(mirror);
    EXPECT_EQ(textOf(mirror), u"done\r\n");
    mirrorAppend(mirror, {run(u"out C:\\>")});
    mirrorRemoveTail(mirror, 4);
    EXPECT_EQ(textOf(mirror), u"done\r\nout ");
    mirrorRemoveTail(mirror, 7);  // reaches into a finished line
    EXPECT_EQ(textOf(mirror), u"don");
    EXPECT_EQ(mirror.lines, 0u);
}

TEST(TranscriptMirror, DropsOldestWholeLinesAndTakesByAbsoluteNumber) {
    TranscriptMirror mirror;
    for (int i = 0; i < 10; ++i) mirrorAppend(mirror, {run(u"line\r\n")});
    mirrorAppend(mirror, {run(u"tail")});
    mirrorDropOldest(mirror, 4);
    EXPECT_EQ(mirror.lines, 4u);
    EXPECT_EQ(mirror.dropped, 6u);
    uint64_t from = 0;  // before the front: starts at the first kept run
    std::vector<OutputRun> first = mirrorTake(mirror, from, mirrorCompleteEnd(mirror), 3);
    EXPECT_EQ(first.size(), 3u);
    EXPECT_EQ(from, 9u);
    std::vector<OutputRun> rest = mirrorTake(mirror, from, mirrorCompleteEnd(mirror), 3);
    EXPECT_EQ(rest.size(), 1u);
    EXPECT_EQ(mirrorTake(mirror, from, UINT64_MAX, 3).back().text, u"tail");
    mirrorClear(mirror);
    EXPECT_TRUE(mirror.runs.empty());
    EXPECT_EQ(mirrorCompleteEnd(mirror), mirror.dropped);
}

}  // namespace
