#include <gtest/gtest.h>

#include <tuple>

#include "data/text.h"
#include "terminal/console_rules.h"
#include "terminal/sgr_parser.h"

namespace {

constexpr Rgb kDefault = {204, 204, 204};

std::u16string esc(const std::u16string& rest) { return u"\x1b" + rest; }

std::vector<OutputRun> render(const std::u16string& chunk, SgrState& state) {
    return parseTerminalOutput(chunk, state, kDefault);
}

// Chunks parsed one after the other with one state, as a shell's reads arrive.
std::vector<OutputRun> renderChunks(const std::vector<std::u16string>& chunks, SgrState& state) {
    std::vector<OutputRun> runs;
    for (const std::u16string& chunk : chunks)
        for (OutputRun& run : render(chunk, state)) runs.push_back(std::move(run));
    return runs;
}

std::u16string plainText(const std::vector<OutputRun>& runs) {
    std::u16string text;
    for (const OutputRun& run : runs) text += run.text;
    return text;
}

// Each run as "r,g,b text", with "*" before the text when bold; runs joined by "|".
std::string styled(const std::vector<OutputRun>& runs) {
    std::string out;
    for (const OutputRun& run : runs) {
        if (!out.empty()) out += "|";
        out += std::to_string(run.color.r) + "," + std::to_string(run.color.g) + "," + std::to_string(run.color.b) +
               (run.bold ? " *" : " ") + wideToUtf8(run.text);
    }
    return out;
}

TEST(SgrParser, ColoursAndBoldAcrossSequencesAndChunks) {
    const std::string def = "204,204,204 ", red = "197,15,31 ", green = "19,161,14 ";
    const std::pair<std::vector<std::u16string>, std::string> cases[] = {
        {{esc(u"[31m") + u"word" + esc(u"[0m") + u"\r\n"}, red + "word|" + def + "\r\n"},
        {{esc(u"[1;32m") + u"a" + esc(u"[22m") + u"b" + esc(u"[1m") + esc(u"[39m") + u"c" + esc(u"[m") + u"d"},
         "19,161,14 *a|" + green + "b|204,204,204 *c|" + def + "d"},
        {{esc(u"[31m") + u"a", u"b"}, red + "a|" + red + "b"},  // colour carries over to the next chunk
        // Background sequences consume their numbers; background colours change nothing.
        {{esc(u"[48;5;31m") + u"x", esc(u"[48;2;31;32;33m") + u"y", esc(u"[48;5;200;31m") + u"z"},
         def + "x|" + def + "y|" + red + "z"}};
    for (const auto& [chunks, runs] : cases) {
        SgrState state{false, kDefault, false};
        EXPECT_EQ(styled(renderChunks(chunks, state)), runs) << wideToUtf8(chunks[0].substr(1));
    }
    // One sequence before "x". The extended forms: 256-colour index (cube, grey ramp, clamped), 24-bit (clamped),
    // bright. "38;5" lacks its index: 38 alone is dropped, 5 (blink) is ignored. "38;2;31;2" lacks blue: the 2 and
    // the numbers after it count as codes, and 31 among them is red.
    const std::pair<const char16_t*, std::string> single[] = {
        {u"[38;5;196m", "255,0,0 x"},      {u"[38;5;244m", "128,128,128 x"}, {u"[38;5;4m", "0,85,220 x"},
        {u"[38;5;16m", "0,0,0 x"},         {u"[38;5;231m", "255,255,255 x"}, {u"[38;5;255m", "238,238,238 x"},
        {u"[38;5;9999m", "255,255,255 x"}, {u"[38;2;300;0;0m", "44,0,0 x"},  {u"[91m", "231,72,86 x"},
        {u"[97m", "242,242,242 x"},        {u"[1;34m", "0,85,220 *x"},       {u"[38;5m", "204,204,204 x"},
        {u"[38;2;31;2m", "197,15,31 x"},   {u"[41;44;107m", "204,204,204 x"}};
    for (const auto& [sequence, runs] : single) {
        SgrState state{false, kDefault, false};
        EXPECT_EQ(styled(render(esc(sequence) + u"x", state)), runs) << wideToUtf8(sequence);
    }
    // Out-of-range indexes never read outside the tables.
    EXPECT_EQ(paletteColor(-3), (Rgb{12, 12, 12}));
    EXPECT_EQ(color256(-1), (Rgb{12, 12, 12}));
}

TEST(SgrParser, DropsControlsAndUnsupportedSequences) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {esc(u"[2J") + esc(u"[H") + u"a", u"a"},
        {u"a\ab\bc\fd\te", u"abcd\te"},
        {esc(u"]0;title\x07") + u"after", u"after"},
        {esc(u"]8;;http://x") + esc(u"\\") + u"link" + esc(u"]8;;") + esc(u"\\") + u" after", u"link after"},
        {u"before" + esc(u"]0;title without end"), u"before"},
        {u"cut\x1b[31", u"cut"},
        {u"lone\x1b", u"lone"},
        {u"\x1b(Bx", u"(Bx"},
        {u"\x1b[?25ly", u"y"},
        {u"\r\n\x01\x1f\x7f", u"\r\n\x7f"}};
    for (const auto& [chunk, shown] : cases) {
        SgrState state{false, kDefault, false};
        EXPECT_EQ(plainText(render(chunk, state)), shown);
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

TEST(SgrParser, CarriageReturnsResetTheLineAndCrLfStaysABreak) {
    struct Case {
        std::vector<std::u16string> chunks;
        std::u16string runs;  // as parsed
        std::u16string folded;  // after foldLineResets
        bool resetsEditorLine;  // what foldLineResets returns
        bool crPending;  // a CR waits for the next chunk
    } cases[] = {{{u"a\r\nb"}, u"a\r\nb", u"a\r\nb", false, false},
                 {{u"a\r\r\nb"}, u"a\r\nb", u"a\r\nb", false, false},
                 {{u"a\nb"}, u"a\nb", u"a\nb", false, false},
                 {{u"x\r", u"\ny"}, u"x|\r\ny", u"x|\r\ny", false, false},
                 {{u"a 1%\r", u"a 2%"}, u"a 1%|^a 2%", u"^a 2%", true, false},
                 {{u"Scan\r\nVerify 1%\rVerify 2%\rVerify 3%\r\n"},
                  u"Scan\r\nVerify 1%|^Verify 2%|^Verify 3%\r\n",
                  u"Scan\r\n|Verify 3%\r\n",
                  false,
                  false},
                 {{u"1%\r2%\r3%"}, u"1%|^2%|^3%", u"^3%", true, false},
                 {{u"done\r"}, u"done", u"done", false, true},
                 {{u"a\r" + esc(u"[0m") + u"\n"}, u"a\r\n", u"a\r\n", false, false},
                 {{esc(u"[32m") + u"ok" + esc(u"[0m") + u" 5%\r" + esc(u"[32m") + u"ok" + esc(u"[0m") + u" 6%"},
                  u"ok| 5%|^ok| 6%",
                  u"^ok| 6%",
                  true,
                  false},
                 {{u"a\nb 1%\r\tb 2%\nc"}, u"a\nb 1%|^\tb 2%\nc", u"a\n|\tb 2%\nc", false, false}};
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

TEST(ConsoleRules, TerminalNamesAndShellKinds) {
    EXPECT_EQ(automaticTerminalName(ShellKind::Cmd, 0), u"CMD");
    EXPECT_EQ(automaticTerminalName(ShellKind::Cmd, 2), u"CMD 3");
    EXPECT_EQ(automaticTerminalName(ShellKind::PowerShell, 1), u"PowerShell 2");
    for (const char16_t* name : {u"powershell", u"PowerShell", u"pwsh", u"PS"})
        EXPECT_EQ(shellKindForName(name), ShellKind::PowerShell);
    for (const char16_t* name : {u"cmd", u"", u"bash", u"power shell"})
        EXPECT_EQ(shellKindForName(name), ShellKind::Cmd);
    EXPECT_EQ(shellCommandLine(ShellKind::Cmd), u"cmd.exe /K");
    EXPECT_EQ(shellCommandLine(ShellKind::PowerShell), u"powershell.exe -NoLogo -NoProfile -NoExit");
    EXPECT_EQ(substitutePrompt(ShellKind::Cmd, u"C:\\w"), u"C:\\w>");
    EXPECT_EQ(substitutePrompt(ShellKind::PowerShell, u"C:\\w"), u"PS C:\\w> ");
    EXPECT_EQ(shellInputText(u"a\rb\r\nc\n"), u"a\nb\n\nc\n");
}

TEST(ConsoleRules, EchoSuppression) {
    // A chunk, the echo awaited, then how much of the chunk is dropped and whether the echo is settled.
    const std::tuple<std::u16string, std::u16string, size_t, bool> cases[] = {
        {u"dir\r\nfiles", u"dir", 5, true},      {u"\r\n  dir\nx", u"dir", 8, true},
        {u"other\r\n", u"dir", 0, true},         {u"Dir\r\n", u"dir", 0, true},
        {u" \r\n\t", u"dir", 0, false},          {u"dir", u"dir", 3, false},  // its line break may come next
        {u"\r\nfiles", kEchoLineBreak, 2, true}, {u"files", kEchoLineBreak, 0, true}};
    for (const auto& [chunk, pending, drop, settled] : cases) {
        EchoMatch m = matchShellEcho(chunk, pending);
        EXPECT_EQ(m.dropCount, drop);
        EXPECT_EQ(m.settled, settled);
    }
}

TEST(ConsoleRules, EchoSpreadOverChunksIsDroppedWhole) {
    // PowerShell echoes a piped line as it reads it, a few characters per write.
    const std::u16string line = u"Write-Output WR";
    const std::vector<std::vector<std::u16string>> chunkings = {
        {u"W", u"rite-O", u"ut", u"put", u" W", u"R", u"\n", u"WR\r\n", u"PS C:\\> "},
        {u"Write-Output WR", u"\r\nWR\r\nPS C:\\> "},
        {u"\r\n", u"Write-Output WR\r\nWR\r\n", u"PS C:\\> "},
        {u"Write-Output WR\nWR\r\nPS C:\\> "}};
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
