#include <gtest/gtest.h>

#include "terminal/path_completion.h"
#include "terminal/readable_color.h"
#include "tests/unit/sandbox.h"

namespace {

TEST(PathCompletion, PromptsNameTheCurrentDirectory) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"C:\\Users\\admin>", u"C:\\Users\\admin"},
        {u"C:\\>", u"C:\\"},
        {u"PS C:\\Windows\\System32> ", u"C:\\Windows\\System32"},
        {u"PS D:\\> ", u"D:\\"},
        {u"PS Microsoft.PowerShell.Core\\FileSystem::\\\\srv\\share> ", u"\\\\srv\\share"},
        {u"Press any key to continue . . .", u""},
        {u"echo a > b", u""},
        {u"C:\\dir\\a|b>", u""},
        {u">", u""}};
    for (const auto& [line, directory] : cases) EXPECT_EQ(promptDirectory(line), directory);
}

// Each prompt in cmd's output ends a command, however the reads cut it.
TEST(PathCompletion, PromptsAreCountedAcrossReads) {
    const std::pair<std::vector<std::u16string>, size_t> cases[] = {
        {{u"C:\\Users>"}, 1},
        {{u"C:\\Us", u"ers>", u"WRAHEAD\r\n\r\nC:\\Users>Pin? "}, 2},  // split, and after a typed-ahead line
        {{u"C:\\>C:\\>"}, 2},  // an empty line read after a prompt
        {{u"Press any key . . .", u"echo a > b\r\n", u"x C:\\>"}, 0},
        {{u"C:\\", u"\r\n>"}, 0}};
    for (const auto& [reads, expected] : cases) {
        PromptScan scan;
        size_t prompts = 0;
        for (const std::u16string& read : reads) prompts += countPrompts(scan, read);
        EXPECT_EQ(prompts, expected) << reads.size();
    }
}

TEST(PathCompletion, TheWordBeforeTheCaretAndItsQuoting) {
    EXPECT_EQ(wordBeforeCaret(u"cd Prog", 7).start, 3u);
    EXPECT_EQ(wordBeforeCaret(u"cd \"Program Fi", 14).path, u"Program Fi");
    EXPECT_EQ(wordBeforeCaret(u"cd \"Program Fi", 14).start, 3u);
    EXPECT_EQ(wordBeforeCaret(u"type \"C:\\Program Files\"\\a", 25).path, u"C:\\Program Files\\a");
    EXPECT_EQ(wordBeforeCaret(u"dir a b", 5).path, u"a");  // the caret may sit inside the line
    EXPECT_EQ(wordBeforeCaret(u"dir ", 4).path, u"");

    EXPECT_EQ(quotedForShell(u"plain.txt"), u"plain.txt");
    EXPECT_EQ(quotedForShell(u"my dir"), u"\"my dir\"");
    EXPECT_EQ(quotedForShell(u"a&b"), u"\"a&b\"");
    EXPECT_EQ(quotedForShell(u"C:\\Program Files (x86)"), u"\"C:\\Program Files (x86)\"");
}

class Completion : public Sandbox {};

TEST_F(Completion, CyclesThroughMatchingNamesBothWays) {
    std::u16string dir = makeDir(u"work");
    makeDir(u"work/Report Files");
    for (const char16_t* name : {u"report.txt", u"Report 2026.log", u"other.txt"})
        ASSERT_TRUE(writeWholeFile(platform::joinPath(dir, name), "x"));

    EXPECT_EQ(completionCandidates(u"rep", dir),
              (std::vector<std::u16string>{u"\"Report 2026.log\"", u"\"Report Files\"", u"report.txt"}));
    EXPECT_TRUE(completionCandidates(u"rep", u"").empty());  // no prompt: relative words stay as they are
    EXPECT_TRUE(completionCandidates(u"zzz", dir).empty());

    CompletionCycle cycle;
    CompletionResult first = completeInput(cycle, u"type rep -x", 8, false, dir);
    ASSERT_TRUE(first.completed);
    EXPECT_EQ(first.input, u"type \"Report 2026.log\" -x");
    EXPECT_EQ(first.caret, 22u);
    CompletionResult second = completeInput(cycle, first.input, first.caret, false, dir);
    EXPECT_EQ(second.input, u"type \"Report Files\" -x");
    CompletionResult back = completeInput(cycle, second.input, second.caret, true, dir);
    EXPECT_EQ(back.input, first.input);
    CompletionResult wrapped = completeInput(cycle, back.input, back.caret, true, dir);
    EXPECT_EQ(wrapped.input, u"type report.txt -x");

    // Shift+Tab on a new word starts from the last name; an edited line starts afresh.
    CompletionCycle fresh;
    EXPECT_EQ(completeInput(fresh, u"type o", 6, true, dir).input, u"type other.txt");
    EXPECT_EQ(completeInput(fresh, u"type r", 6, false, dir).input, u"type \"Report 2026.log\"");
}

TEST(ReadableColor, EveryPaletteEntryStandsOutOnBothBackgrounds) {
    const Rgb backgrounds[] = {{255, 255, 255}, {12, 12, 12}};
    for (Rgb background : backgrounds) {
        for (int index = 0; index < 16; ++index) {
            Rgb color = paletteColor(index);
            Rgb shown = readableOn(color, background);
            EXPECT_GE(contrastRatio(shown, background), kMinimumContrast) << index;
            if (contrastRatio(color, background) >= kMinimumContrast) {
                EXPECT_EQ(shown, color) << index;  // legible colours keep their exact value
            } else {
                // The same hue: the channels keep their order, moved towards black or white.
                EXPECT_EQ(color.r <= color.g, shown.r <= shown.g) << index;
                EXPECT_EQ(color.g <= color.b, shown.g <= shown.b) << index;
            }
        }
    }
    EXPECT_EQ(readableOn(paletteColor(7), {255, 255, 255}).r, readableOn(paletteColor(7), {255, 255, 255}).b);
    EXPECT_LT(readableOn(paletteColor(7), {255, 255, 255}).r, 204);  // light grey darkens on white
    EXPECT_GT(readableOn(paletteColor(0), {12, 12, 12}).r, 12);  // black lightens on the dark background
    EXPECT_NEAR(contrastRatio({0, 0, 0}, {255, 255, 255}), 21.0, 1e-9);
}

}  // namespace
