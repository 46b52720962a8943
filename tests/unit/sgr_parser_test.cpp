#include <gtest/gtest.h>

#include "terminal/console_rules.h"
#include "terminal/sgr_parser.h"

namespace {

constexpr Rgb kDefault = {204, 204, 204};
constexpr Rgb kRed = {197, 15, 31};
constexpr Rgb kGreen = {19, 161, 14};

std::u16string esc(const std::u16string& rest) { return u"\x1b" + rest; }

std::vector<OutputRun> render(const std::u16string& chunk, SgrState& state) {
    return parseTerminalOutput(chunk, state, kDefault);
}

std::u16string plainText(const std::vector<OutputRun>& runs) {
    std::u16string text;
    for (const OutputRun& run : runs) text += run.text;
    return text;
}

// The colour of the first run holding the text.
Rgb colorOf(const std::vector<OutputRun>& runs, const std::u16string& text) {
    for (const OutputRun& run : runs)
        if (run.text.find(text) != std::u16string::npos) return run.color;
    ADD_FAILURE() << "no run holds the text";
    return {};
}

TEST(SgrParser, ColoursAWordAndResetsForTheLineBreak) {
    SgrState state{false, kDefault, false};
    auto runs = render(esc(u"[31m") + u"word" + esc(u"[0m") + u"\r\n", state);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].text, u"word");
    EXPECT_EQ(runs[0].color, kRed);
    EXPECT_EQ(runs[1].text, u"\r\n");
    EXPECT_EQ(runs[1].color, kDefault);
    EXPECT_FALSE(state.colorActive);
}

TEST(SgrParser, BoldAndColourCodesChangeIndependently) {
    SgrState state{false, kDefault, false};
    auto runs = render(esc(u"[1;32m") + u"a" + esc(u"[22m") + u"b" + esc(u"[1m") + esc(u"[39m") + u"c" +
                           esc(u"[m") + u"d",
                       state);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].color, kGreen);
    EXPECT_TRUE(runs[0].bold);
    EXPECT_EQ(runs[1].color, kGreen);
    EXPECT_FALSE(runs[1].bold);
    EXPECT_EQ(runs[2].color, kDefault);
    EXPECT_TRUE(runs[2].bold);
    EXPECT_EQ(runs[3].color, kDefault);
    EXPECT_FALSE(runs[3].bold);
}

TEST(SgrParser, ExtendedColourForms) {
    struct Case {
        std::u16string params;
        Rgb expected;
    } cases[] = {
        {u"38;5;196", {255, 0, 0}},     {u"38;5;244", {128, 128, 128}}, {u"38;2;300;0;0", {44, 0, 0}},
        {u"38;5;4", {0, 85, 220}},      {u"38;5;16", {0, 0, 0}},        {u"38;5;231", {255, 255, 255}},
        {u"38;5;255", {238, 238, 238}}, {u"38;5;9999", {255, 255, 255}}, {u"91", {231, 72, 86}},
        {u"97", {242, 242, 242}},       {u"1;34", {0, 85, 220}},
    };
    for (const Case& c : cases) {
        SgrState state{false, kDefault, false};
        auto runs = render(esc(u"[" + c.params + u"m") + u"x", state);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].color, c.expected) << std::string(c.params.begin(), c.params.end());
    }
}

TEST(SgrParser, IncompleteExtendedFormsFallBackToSingleCodes) {
    // "38;5" lacks its index: 38 alone is dropped, 5 (blink) is ignored.
    SgrState state{false, kDefault, false};
    EXPECT_EQ(render(esc(u"[38;5m") + u"x", state)[0].color, kDefault);
    // "38;2;1;2" lacks blue: the 2 and the numbers after it count as codes, and 31 among them is red.
    state = {false, kDefault, false};
    EXPECT_EQ(render(esc(u"[38;2;31;2m") + u"x", state)[0].color, kRed);
}

TEST(SgrParser, BackgroundSequencesConsumeTheirNumbers) {
    SgrState state{false, kDefault, false};
    EXPECT_EQ(render(esc(u"[48;5;31m") + u"x", state)[0].color, kDefault);
    EXPECT_EQ(render(esc(u"[48;2;31;32;33m") + u"x", state)[0].color, kDefault);
    EXPECT_EQ(render(esc(u"[48;5;200;31m") + u"x", state)[0].color, kRed);
    state = {false, kDefault, false};
    EXPECT_EQ(render(esc(u"[41;44;107m") + u"x", state)[0].color, kDefault);
}

TEST(SgrParser, DropsControlsAndUnsupportedSequences) {
    struct Case {
        std::u16string chunk;
        std::u16string shown;
    } cases[] = {
        {esc(u"[2J") + esc(u"[H") + u"a", u"a"},
        {u"a\x07" u"b\x08" u"c\x0c" u"d\te", u"abcd\te"},
        {esc(u"]0;title\x07") + u"after", u"after"},
        {esc(u"]8;;http://x") + esc(u"\\") + u"link" + esc(u"]8;;") + esc(u"\\") + u" after", u"link after"},
        {u"before" + esc(u"]0;title without end"), u"before"},
        {u"cut" + esc(u"[31"), u"cut"},
        {u"lone" + esc(u""), u"lone"},
        {esc(u"(B") + u"x", u"(Bx"},
        {esc(u"[?25l") + u"y", u"y"},
        {u"\r\n\x01\x1f\x7f", u"\r\n\x7f"},
    };
    for (const Case& c : cases) {
        SgrState state{false, kDefault, false};
        EXPECT_EQ(plainText(render(c.chunk, state)), c.shown);
    }
}

// Runs of several chunks, one after the other, as the editor gathers them:
// "|" between runs, "^" before a run that resets its line.
std::u16string describe(const std::vector<OutputRun>& runs) {
    std::u16string text;
    for (const OutputRun& run : runs) {
        if (!text.empty()) text += u'|';
        if (run.lineReset) text += u'^';
        text += run.text;
    }
    return text;
}

std::vector<OutputRun> renderChunks(const std::vector<std::u16string>& chunks, SgrState& state) {
    std::vector<OutputRun> runs;
    for (const std::u16string& chunk : chunks)
        for (OutputRun& run : render(chunk, state)) runs.push_back(std::move(run));
    return runs;
}

TEST(SgrParser, CarriageReturnsResetTheLineAndCrLfStaysABreak) {
    struct Case {
        std::vector<std::u16string> chunks;
        std::u16string runs;        // as parsed
        std::u16string folded;      // after foldLineResets
        bool resetsEditorLine;      // what foldLineResets returns
        bool crPending;             // a CR waits for the next chunk
    } cases[] = {
        {{u"a\r\nb"}, u"a\r\nb", u"a\r\nb", false, false},
        {{u"a\r\r\nb"}, u"a\r\nb", u"a\r\nb", false, false},
        {{u"a\nb"}, u"a\nb", u"a\nb", false, false},
        {{u"x\r", u"\ny"}, u"x|\r\ny", u"x|\r\ny", false, false},
        {{u"a 1%\r", u"a 2%"}, u"a 1%|^a 2%", u"^a 2%", true, false},
        {{u"Scan\r\nVerify 1%\rVerify 2%\rVerify 3%\r\n"}, u"Scan\r\nVerify 1%|^Verify 2%|^Verify 3%\r\n",
         u"Scan\r\n|Verify 3%\r\n", false, false},
        {{u"1%\r2%\r3%"}, u"1%|^2%|^3%", u"^3%", true, false},
        {{u"done\r"}, u"done", u"done", false, true},
        {{u"a\r" + esc(u"[0m") + u"\n"}, u"a\r\n", u"a\r\n", false, false},
        {{esc(u"[32m") + u"ok" + esc(u"[0m") + u" 5%\r" + esc(u"[32m") + u"ok" + esc(u"[0m") + u" 6%"},
         u"ok| 5%|^ok| 6%", u"^ok| 6%", true, false},
        {{u"a\nb 1%\r\tb 2%\nc"}, u"a\nb 1%|^\tb 2%\nc", u"a\n|\tb 2%\nc", false, false},
    };
    for (const Case& c : cases) {
        SgrState state{false, kDefault, false};
        std::vector<OutputRun> runs = renderChunks(c.chunks, state);
        EXPECT_EQ(describe(runs), c.runs);
        EXPECT_EQ(state.pendingCarriageReturn, c.crPending);
        EXPECT_EQ(foldLineResets(runs), c.resetsEditorLine);
        EXPECT_EQ(describe(runs), c.folded);
        for (size_t i = 1; i < runs.size(); ++i) EXPECT_FALSE(runs[i].lineReset);
    }
    std::vector<OutputRun> none;
    EXPECT_FALSE(foldLineResets(none));
    EXPECT_TRUE(none.empty());
}

TEST(SgrParser, ColourCarriesOverToTheNextChunk) {
    SgrState state{false, kDefault, false};
    render(esc(u"[31m") + u"a", state);
    auto runs = render(u"b", state);
    EXPECT_EQ(colorOf(runs, u"b"), kRed);
}

TEST(SgrParser, ColourTables) {
    EXPECT_EQ(paletteColor(-3), (Rgb{12, 12, 12}));
    EXPECT_EQ(color256(-1), (Rgb{12, 12, 12}));
    EXPECT_EQ(color256(15), (Rgb{242, 242, 242}));
    EXPECT_EQ(color256(16 + 36 * 1 + 6 * 2 + 3), (Rgb{95, 135, 175}));
    EXPECT_EQ(color256(232), (Rgb{8, 8, 8}));
}

TEST(ConsoleRules, TerminalNamesAndShellKinds) {
    EXPECT_EQ(automaticTerminalName(ShellKind::Cmd, 0), u"CMD");
    EXPECT_EQ(automaticTerminalName(ShellKind::Cmd, 2), u"CMD 3");
    EXPECT_EQ(automaticTerminalName(ShellKind::PowerShell, 1), u"PowerShell 2");
    for (const char16_t* name : {u"powershell", u"PowerShell", u"pwsh", u"PS"})
        EXPECT_EQ(shellKindForName(name), ShellKind::PowerShell);
    for (const char16_t* name : {u"cmd", u"", u"bash", u"power shell"}) EXPECT_EQ(shellKindForName(name), ShellKind::Cmd);
    EXPECT_EQ(shellCommandLine(ShellKind::Cmd), u"cmd.exe /K");
    EXPECT_EQ(shellCommandLine(ShellKind::PowerShell), u"powershell.exe -NoLogo -NoProfile -NoExit");
    EXPECT_EQ(substitutePrompt(ShellKind::Cmd, u"C:\\w"), u"C:\\w>");
    EXPECT_EQ(substitutePrompt(ShellKind::PowerShell, u"C:\\w"), u"PS C:\\w> ");
    EXPECT_EQ(shellInputText(u"a\rb\r\nc\n"), u"a\nb\n\nc\n");
}

TEST(ConsoleRules, EchoSuppression) {
    struct Case {
        std::u16string chunk, pending;
        size_t drop;
        bool settled;
    } cases[] = {
        {u"dir\r\nfiles", u"dir", 5, true},
        {u"\r\n  dir\nx", u"dir", 8, true},
        {u"other\r\n", u"dir", 0, true},
        {u"Dir\r\n", u"dir", 0, true},
        {u" \r\n\t", u"dir", 0, false},
        {u"dir", u"dir", 3, false},  // its line break may come next
        {u"\r\nfiles", kEchoLineBreak, 2, true},
        {u"files", kEchoLineBreak, 0, true},
    };
    for (const Case& c : cases) {
        EchoMatch m = matchShellEcho(c.chunk, c.pending);
        EXPECT_EQ(m.dropCount, c.drop);
        EXPECT_EQ(m.settled, c.settled);
    }
}

TEST(ConsoleRules, EchoSpreadOverChunksIsDroppedWhole) {
    // PowerShell echoes a piped line as it reads it, a few characters per write.
    const std::u16string line = u"Write-Output WR";
    const std::vector<std::vector<std::u16string>> chunkings = {
        {u"W", u"rite-O", u"ut", u"put", u" W", u"R", u"\n", u"WR\r\n", u"PS C:\\> "},
        {u"Write-Output WR", u"\r\nWR\r\nPS C:\\> "},
        {u"\r\n", u"Write-Output WR\r\nWR\r\n", u"PS C:\\> "},
        {u"Write-Output WR\nWR\r\nPS C:\\> "},
    };
    for (const auto& chunks : chunkings) {
        std::u16string pending = line, shown;
        for (std::u16string chunk : chunks) {
            if (!pending.empty()) {
                EchoMatch m = matchShellEcho(chunk, pending);
                chunk.erase(0, m.dropCount);
                pending = m.settled ? std::u16string() : m.rest;
            }
            shown += chunk;
        }
        std::u16string blanksGone = shown.substr(shown.find(u'W'));
        EXPECT_EQ(blanksGone, u"WR\r\nPS C:\\> ") << chunks.size();
    }
    // An echo that turns out different stops being dropped where it differs.
    EchoMatch part = matchShellEcho(u"Write", line);
    EchoMatch other = matchShellEcho(u"-Host x", part.rest);
    EXPECT_EQ(other.dropCount, 0u);
    EXPECT_TRUE(other.settled);
}

TEST(ConsoleRules, LocalClearAndHistoryWorthiness) {
    for (const char16_t* line : {u"cls", u"CLS", u"  clear\t", u"Clear\r"}) EXPECT_TRUE(isLocalClearCommand(line));
    for (const char16_t* line : {u"cls x", u"clsx", u"", u"echo cls"}) EXPECT_FALSE(isLocalClearCommand(line));
    EXPECT_FALSE(isHistoryWorthy(u" \t\r\n"));
    EXPECT_TRUE(isHistoryWorthy(u" a"));
}

TEST(ConsoleRules, ReverseSearchWalksOlderAndWraps) {
    std::vector<std::u16string> history = {u"ping a", u"dir", u"PING b", u"ver"};
    long first = reverseHistoryMatch(history, u"ping", history.size());
    EXPECT_EQ(first, 2);
    long second = reverseHistoryMatch(history, u"ping", size_t(first));
    EXPECT_EQ(second, 0);
    EXPECT_EQ(reverseHistoryMatch(history, u"ping", size_t(second)), 2);
    EXPECT_EQ(reverseHistoryMatch(history, u"nothing", 4), -1);
    EXPECT_EQ(reverseHistoryMatch(history, u"", 4), -1);
    EXPECT_EQ(reverseHistoryMatch({}, u"x", 0), -1);
    EXPECT_EQ(reverseHistoryMatch({u"ÄBC"}, u"äb", 1), 0);
}

}  // namespace
