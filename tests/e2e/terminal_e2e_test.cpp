// Real terminals with real CMD shells, hosted in a window of this program and
// driven with window messages: keys, clipboard, dialogs, tabs and output.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "data/files.h"
#include "data/text.h"
#include "platform/win_handles.h"
#include "platform/win_text.h"
#include "terminal/terminal_tabs.h"
#include "ui/input_dialog.h"
#include "ui/ui_text.h"

#include "tests/e2e/exe_process.h"
#include "tests/e2e/local_window.h"
#include "tests/e2e/message_loop.h"
#include "tests/e2e/terminal_host.h"

namespace {

constexpr DWORD kWaitMs = 15000;

void pumpFor(DWORD ms) {
    waitUntil(ms, [] { return false; });
}

void pressKey(HWND editor, WPARAM key, BYTE modifier = 0) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE saved = modifier ? keys[modifier] : 0;
    if (modifier) keys[modifier] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(editor, WM_KEYDOWN, key, 1);
    if (modifier) keys[modifier] = saved;
    SetKeyboardState(keys);
    SendMessageW(editor, WM_KEYUP, key, 0xC0000001);
}

void setClipboard(HWND owner, const std::u16string& text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    auto* target = static_cast<char16_t*>(GlobalLock(memory));
    std::copy(text.begin(), text.end(), target);
    target[text.size()] = 0;
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

std::u16string clipboard(HWND owner) {
    std::u16string text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = fromWide(static_cast<const wchar_t*>(GlobalLock(data)));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

std::string narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

CHARRANGE selectionOf(HWND editor) {
    CHARRANGE range = {};
    SendMessageW(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

// Does what opens a modal input dialog with the given caption and answers it
// from another thread: notes what it offers (its text, then its OK button's),
// fills the text box and presses OK (or Cancel).
void answerDialog(const std::function<void()>& open, const std::u16string& caption, const std::u16string& text,
                  bool ok = true, std::wstring* offered = nullptr) {
    std::thread answer([caption, text, ok, offered] {
        for (int i = 0; i < 1000; ++i) {
            HWND dialog = FindWindowW(L"#32770", wstr(caption));
            if (dialog && IsWindowVisible(dialog)) {
                if (offered)
                    *offered = windowText(GetDlgItem(dialog, 1000)) + L"|" + windowText(GetDlgItem(dialog, IDOK));
                SetDlgItemTextW(dialog, 1000, wstr(text));
                PostMessageW(dialog, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
                return;
            }
            Sleep(10);
        }
    });
    open();
    answer.join();
}

class TerminalE2E : public ::testing::Test {
protected:
    TerminalHost host;

    void SetUp() override { ASSERT_TRUE(createTerminalHost(host, L"terminal-e2e")); }
    void TearDown() override { destroyTerminalHost(host); }

    Terminal& openReadyTerminal(ShellKind kind = ShellKind::Cmd) {
        int index = openTerminalTab(host.tabs, kind);
        EXPECT_GE(index, 2);
        Terminal& t = *host.tabs.terminals.back().terminal;
        host.tabs.layoutRightPane();
        EXPECT_TRUE(waitUntil(kWaitMs, [&] {
            return probeTerminal(t).outputChunks > 0 && probeTerminal(t).atShellPrompt &&
                   !probeTerminal(t).substitutePrompt;
        })) << "no prompt from the shell";
        return t;
    }

    // Ctrl+R or Ctrl+F, its dialog answered with the text.
    void search(Terminal& t, char key, const std::u16string& text, bool ok = true) {
        const std::u16string caption = uiText(key == 'R' ? kTextReverseSearchTitle : kTextFindTitle);
        answerDialog([&] { pressKey(t.editor, WPARAM(key), VK_CONTROL); }, caption, text, ok);
    }
    void rename(const std::u16string& name, bool ok = true, std::wstring* offered = nullptr) {
        answerDialog([&] { renameCurrentTerminal(host.tabs); }, uiText(kTextTerminalNameTitle), name, ok, offered);
    }
    void openNamed(const std::u16string& name, bool ok = true) {
        answerDialog([&] { openNamedTerminal(host.tabs, ShellKind::Cmd); }, uiText(kTextTerminalNameTitle), name, ok);
    }

    // Runs a typed command and waits until the marker shows `times` times.
    bool run(Terminal& t, const std::u16string& command, const std::u16string& marker, size_t times = 2) {
        typeLine(t.editor, command);
        return waitUntil(kWaitMs,
                         [&] { return countOf(terminalText(t), marker) >= times && probeTerminal(t).atShellPrompt; });
    }
};

TEST_F(TerminalE2E, TypedCommandRunsOnceEchoedAndLandsInHistory) {
    Terminal& t = openReadyTerminal();
    typeText(t.editor, u"echo WRE2EONE");
    EXPECT_EQ(terminalInputLine(t), u"echo WRE2EONE");
    pressKey(t.editor, VK_RETURN);
    ASSERT_TRUE(waitUntil(
        kWaitMs, [&] { return countOf(terminalText(t), u"WRE2EONE") >= 2 && probeTerminal(t).atShellPrompt; }));
    pumpFor(300);
    std::u16string text = terminalText(t);
    // The shell's own echo of the line is suppressed: the command shows once.
    EXPECT_EQ(countOf(text, u"echo WRE2EONE"), 1u) << std::string(text.begin(), text.end());
    EXPECT_NE(text.find(u"\r\nWRE2EONE\r\n"), std::u16string::npos);
    EXPECT_TRUE(terminalInputLine(t).empty());

    ASSERT_TRUE(run(t, u"echo WRE2ETWO", u"WRE2ETWO"));
    typeLine(t.editor, u"  ");  // blank: sent, not stored
    ASSERT_TRUE(run(t, u"echo WRE2ETWO", u"WRE2ETWO", 4));  // repeated: stored once
    EXPECT_EQ(t.history, (std::vector<std::u16string>{u"echo WRE2EONE", u"echo WRE2ETWO"}));

    pressKey(t.editor, VK_UP);
    EXPECT_EQ(terminalInputLine(t), u"echo WRE2ETWO");
    pressKey(t.editor, VK_UP);
    EXPECT_EQ(terminalInputLine(t), u"echo WRE2EONE");
    pressKey(t.editor, VK_UP);
    EXPECT_EQ(terminalInputLine(t), u"echo WRE2EONE");
    pressKey(t.editor, VK_DOWN);
    EXPECT_EQ(terminalInputLine(t), u"echo WRE2ETWO");
    pressKey(t.editor, VK_DOWN);
    EXPECT_TRUE(terminalInputLine(t).empty());
}

TEST_F(TerminalE2E, TabCompletesNamesFromThePromptsFolderAndEscapeClearsTheLine) {
    std::u16string dir = tempPath(u"wr tab e2e");
    CreateDirectoryW(wstr(dir), nullptr);
    for (const char16_t* name : {u"wr alpha one.txt", u"wr alpha two.txt", u"wrbeta.txt"})
        ASSERT_TRUE(writeWholeFile(dir + u"\\" + name, "x"));
    Terminal& t = openReadyTerminal();
    ASSERT_TRUE(run(t, u"cd /d \"" + dir + u"\"", dir + u">", 1));
    EXPECT_EQ(_wcsicmp(wstr(promptDirectoryOf(t)), wstr(dir)), 0);

    typeText(t.editor, u"type \"wr al");  // a name with blanks is typed from its opening quote
    pressKey(t.editor, VK_TAB);
    EXPECT_EQ(terminalInputLine(t), u"type \"wr alpha one.txt\"");
    pressKey(t.editor, VK_TAB);
    EXPECT_EQ(terminalInputLine(t), u"type \"wr alpha two.txt\"");
    pressKey(t.editor, VK_TAB, VK_SHIFT);
    EXPECT_EQ(terminalInputLine(t), u"type \"wr alpha one.txt\"");
    SendMessageW(t.editor, WM_CHAR, VK_TAB, 1);  // the character that follows the key inserts nothing
    EXPECT_EQ(terminalInputLine(t), u"type \"wr alpha one.txt\"");

    pressKey(t.editor, VK_ESCAPE);
    EXPECT_TRUE(terminalInputLine(t).empty());
    typeText(t.editor, u"dir /b \"" + dir + u"\\wrb");  // an absolute path, quoted as typed
    pressKey(t.editor, VK_TAB);
    EXPECT_EQ(terminalInputLine(t), u"dir /b \"" + dir + u"\\wrbeta.txt\"");
    pressKey(t.editor, VK_RETURN);
    EXPECT_TRUE(waitUntil(kWaitMs, [&] { return countOf(terminalText(t), u"\r\nwrbeta.txt\r\n") == 1; }));
    for (const char16_t* name : {u"wr alpha one.txt", u"wr alpha two.txt", u"wrbeta.txt"})
        DeleteFileW(wstr(dir + u"\\" + name));
    RemoveDirectoryW(wstr(dir));
}

TEST_F(TerminalE2E, TranscriptIsProtectedAndTypingLandsInTheInputLine) {
    Terminal& t = openReadyTerminal();
    ASSERT_TRUE(run(t, u"echo WRPROT", u"WRPROT"));
    pumpFor(200);
    std::u16string before = terminalText(t);
    LONG start = probeTerminal(t).inputStart;

    SendMessageW(t.editor, EM_SETSEL, WPARAM(start), LPARAM(start));
    pressKey(t.editor, VK_BACK);
    SendMessageW(t.editor, WM_CHAR, 8, 1);
    pressKey(t.editor, VK_DELETE);
    EXPECT_EQ(terminalText(t), before) << "Backspace at the start of the input line changed the transcript";

    SendMessageW(t.editor, EM_SETSEL, 0, 5);
    pressKey(t.editor, VK_DELETE);
    SendMessageW(t.editor, WM_CUT, 0, 0);
    EXPECT_EQ(terminalText(t), before) << "the output was cut or deleted";

    SendMessageW(t.editor, EM_SETSEL, 0, 5);
    typeText(t.editor, u"xy");
    EXPECT_EQ(terminalInputLine(t), u"xy");
    EXPECT_EQ(terminalText(t), before + u"xy");

    pressKey(t.editor, VK_BACK);
    EXPECT_EQ(terminalInputLine(t), u"x");
    SendMessageW(t.editor, WM_CHAR, VK_TAB, 1);
    SendMessageW(t.editor, WM_CHAR, VK_ESCAPE, 1);
    EXPECT_EQ(terminalInputLine(t), u"x");
}

TEST_F(TerminalE2E, ReverseSearchAndFindThroughTheirDialogs) {
    Terminal& t = openReadyTerminal();
    ASSERT_TRUE(run(t, u"echo WRFINDAA one", u"WRFINDAA"));
    ASSERT_TRUE(run(t, u"echo wrfindbb", u"wrfindbb"));
    ASSERT_TRUE(run(t, u"echo WRFINDAA two", u"WRFINDAA", 4));

    search(t, 'R', u"wrfindaa");
    EXPECT_EQ(terminalInputLine(t), u"echo WRFINDAA two");
    search(t, 'R', u"wrfindaa");
    EXPECT_EQ(terminalInputLine(t), u"echo WRFINDAA one");
    search(t, 'R', u"no such thing", false);
    EXPECT_EQ(terminalInputLine(t), u"echo WRFINDAA one") << "Cancel changed the input line";
    replaceInput(t, u"");

    SendMessageW(t.editor, EM_SETSEL, 0, 0);
    search(t, 'F', u"WRFINDBB");
    CHARRANGE first = selectionOf(t.editor);
    EXPECT_EQ(first.cpMax - first.cpMin, 8);
    EXPECT_EQ(probeTerminal(t).lastFind, u"WRFINDBB");
    pressKey(t.editor, VK_F3);
    CHARRANGE second = selectionOf(t.editor);
    EXPECT_GT(second.cpMin, first.cpMin) << "F3 did not move to the next match";
    pressKey(t.editor, VK_F3);
    EXPECT_EQ(selectionOf(t.editor).cpMin, first.cpMin) << "the search did not wrap to the top";
}

TEST_F(TerminalE2E, PasteAndQuickEditRightClick) {
    Terminal& t = openReadyTerminal();
    setClipboard(host.window, u"echo WRPASTE");
    SendMessageW(t.editor, EM_SETSEL, 0, 3);  // the caret guard moves the paste to the input line
    pressKey(t.editor, VK_INSERT, VK_SHIFT);
    EXPECT_EQ(terminalInputLine(t), u"echo WRPASTE");
    pressKey(t.editor, VK_RETURN);
    ASSERT_TRUE(waitUntil(kWaitMs, [&] { return countOf(terminalText(t), u"WRPASTE") >= 2; }));

    setQuickEdit(t, true);
    FINDTEXTEXW find = {{0, -1}, L"WRPASTE", {0, 0}};
    ASSERT_GE(SendMessageW(t.editor, EM_FINDTEXTEXW, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&find)), 0);
    SendMessageW(t.editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&find.chrgText));
    SendMessageW(t.editor, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(t.editor), MAKELPARAM(10, 10));
    EXPECT_EQ(clipboard(host.window), u"WRPASTE");
    CHARRANGE after = selectionOf(t.editor);
    EXPECT_EQ(after.cpMin, find.chrgText.cpMax);
    EXPECT_EQ(after.cpMax, find.chrgText.cpMax);
    SendMessageW(t.editor, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(t.editor), MAKELPARAM(10, 10));
    EXPECT_EQ(terminalInputLine(t), u"WRPASTE");

    // Multi-line paste: one submission of CR-separated lines. (Wine's cmd runs
    // only the first line of a multi-line pipe read, so only that is awaited.)
    replaceInput(t, u"");
    setClipboard(host.window, u"echo WRLINEA\r\necho WRLINEB");
    pressKey(t.editor, 'V', VK_CONTROL);
    EXPECT_EQ(terminalInputLine(t), u"echo WRLINEA\recho WRLINEB");
    pressKey(t.editor, VK_RETURN);
    EXPECT_TRUE(waitUntil(kWaitMs, [&] { return countOf(terminalText(t), u"WRLINEA") >= 2; }))
        << narrow(terminalText(t));
}

TEST_F(TerminalE2E, LocalClearAndSgrColouredOutputThroughTheShell) {
    Terminal& t = openReadyTerminal();
    std::u16string file = tempPath(u"wr-sgr-e2e.txt");
    ASSERT_TRUE(writeWholeFile(
        file, "plain \x1b[31mWRSGRRED\x1b[0m \x1b[1;38;5;46mWRSGRBOLD\x1b[0m \x1b[48;5;31mWRSGRBG\x1b[0m\r\n"));
    typeLine(t.editor, u"type \"" + file + u"\"");
    ASSERT_TRUE(waitUntil(kWaitMs, [&] { return terminalText(t).find(u"WRSGRBG") != std::u16string::npos; }));
    pumpFor(200);
    std::u16string text = terminalText(t);
    EXPECT_EQ(text.find(u"\x1b"), std::u16string::npos);
    EXPECT_NE(text.find(u"plain WRSGRRED WRSGRBOLD WRSGRBG"), std::u16string::npos);

    auto formatAt = [&](const wchar_t* word) { return formatOfText(t.editor, word); };
    CHARFORMAT2W red = formatAt(L"WRSGRRED");
    EXPECT_EQ(red.crTextColor, RGB(197, 15, 31));
    EXPECT_TRUE(red.dwEffects & CFE_PROTECTED);
    // Coloured output keeps the control's own font.
    CHARFORMAT2W base = {};
    base.cbSize = sizeof base;
    SendMessageW(t.editor, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&base));
    EXPECT_STREQ(red.szFaceName, base.szFaceName);
    EXPECT_EQ(red.yHeight, base.yHeight);
    EXPECT_TRUE(formatAt(L"plain").dwEffects & CFE_PROTECTED);
    CHARFORMAT2W bold = formatAt(L"WRSGRBOLD");
    EXPECT_EQ(bold.crTextColor, RGB(0, 255, 0));
    EXPECT_TRUE(bold.dwEffects & CFE_BOLD);
    EXPECT_EQ(formatAt(L"WRSGRBG").crTextColor, t.defaultColor);
    DeleteFileW(wstr(file));

    replaceInput(t, u"");
    typeLine(t.editor, u" CLS ");
    EXPECT_EQ(terminalText(t).find(u"WRSGRRED"), std::u16string::npos);
    EXPECT_EQ(probeTerminal(t).inputStart, 0);
    pumpFor(500);
    EXPECT_EQ(terminalText(t).find(u"WRSGRRED"), std::u16string::npos);
}

TEST_F(TerminalE2E, SubstitutePromptAppearsAfterSilenceAndGoesWithOutput) {
    Terminal& t = openReadyTerminal();
    insertOutput(t, u"no prompt here\r\n");
    probeForgetShellPrompt(t);
    SendMessageW(t.editor, WM_TIMER, 1, 0);  // the prompt timer fires
    EXPECT_TRUE(probeTerminal(t).substitutePrompt);
    std::u16string text = terminalText(t);
    ASSERT_GE(text.size(), t.prompt.size());
    EXPECT_EQ(text.substr(text.size() - t.prompt.size()), t.prompt);
    PostMessageW(t.editor, WM_TERMINAL_OUTPUT, 0, reinterpret_cast<LPARAM>(new std::u16string(u"later\r\n")));
    pumpFor(50);
    EXPECT_FALSE(probeTerminal(t).substitutePrompt);
    EXPECT_NE(terminalText(t).find(u"no prompt here\r\nlater\r\n"), std::u16string::npos);
}

TEST_F(TerminalE2E, TabsAreNamedRenamedAndClosedWithoutLeavingShells) {
    for (int i = 0; i < 3; ++i) openTerminalTab(host.tabs, ShellKind::Cmd);
    EXPECT_EQ(tabLabel(host.pages.tabControl, 2), u"CMD");
    EXPECT_EQ(tabLabel(host.pages.tabControl, 3), u"CMD 2");
    EXPECT_EQ(tabLabel(host.pages.tabControl, 4), u"CMD 3");

    Terminal& second = *host.tabs.terminals[1].terminal;
    ASSERT_TRUE(waitUntil(
        kWaitMs, [&] { return probeTerminal(second).outputChunks > 0 && probeTerminal(second).atShellPrompt; }));
    typeLine(second.editor, u"ping -n 60 127.0.0.1");
    DWORD shellId = GetProcessId(second.shell.process);
    std::vector<DWORD> children;
    ASSERT_TRUE(waitUntil(kWaitMs, [&] { return !(children = childProcesses(shellId)).empty(); }))
        << "ping did not start";

    SendMessageW(host.pages.tabControl, TCM_SETCURSEL, 3, 0);
    rename(u"Build box");
    EXPECT_EQ(tabLabel(host.pages.tabControl, 3), u"Build box");
    rename(u"", true);
    EXPECT_EQ(tabLabel(host.pages.tabControl, 3), u"Build box") << "an empty name renamed the tab";
    // "&" is kept as itself (stored doubled, so it is no access-key mark) and offered back as typed.
    rename(u"R&D");
    EXPECT_EQ(tabLabel(host.pages.tabControl, 3), u"R&&D");
    std::wstring offered;
    rename(u"", false, &offered);
    EXPECT_EQ(offered.substr(0, offered.find(L'|')), L"R&D");
    EXPECT_EQ(tabLabel(host.pages.tabControl, 3), u"R&&D");

    std::thread answer = answerQuestion(u"Wrenly", IDYES);  // ping still runs: the close asks first
    closeCurrentTerminal(host.tabs);
    answer.join();
    ASSERT_EQ(host.tabs.terminals.size(), 2u);
    EXPECT_EQ(SendMessageW(host.pages.tabControl, TCM_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(tabLabel(host.pages.tabControl, 3), u"CMD 3");
    EXPECT_FALSE(processAlive(shellId)) << "the shell outlived its tab";
    for (DWORD child : children) EXPECT_FALSE(processAlive(child)) << "a command started by the shell outlived its tab";

    EXPECT_EQ(openTerminalTab(host.tabs, ShellKind::Cmd), 4);
    EXPECT_EQ(tabLabel(host.pages.tabControl, 4), u"CMD 3");

    SendMessageW(host.pages.tabControl, TCM_SETCURSEL, 4, 0);
    closeCurrentTerminal(host.tabs);
    EXPECT_EQ(SendMessageW(host.pages.tabControl, TCM_GETCURSEL, 0, 0), 3) << "the new last tab should be in front";
    closeCurrentTerminal(host.tabs);
    ASSERT_EQ(host.tabs.terminals.size(), 1u);
    closeCurrentTerminal(host.tabs);
    EXPECT_EQ(host.tabs.terminals.size(), 1u) << "the last terminal was closed";

    SendMessageW(host.pages.tabControl, TCM_SETCURSEL, 1, 0);
    openNamed(u"Named one");
    ASSERT_EQ(host.tabs.terminals.size(), 2u);
    EXPECT_EQ(tabLabel(host.pages.tabControl, 3), u"Named one");
    EXPECT_EQ(SendMessageW(host.pages.tabControl, TCM_GETCURSEL, 0, 0), 3);
    openNamed(u"ignored", false);
    EXPECT_EQ(host.tabs.terminals.size(), 2u) << "Cancel created a terminal";
}

TEST_F(TerminalE2E, FillCommandPicksTheShellKindInAnyLetterCase) {
    openTerminalTab(host.tabs, ShellKind::Cmd);
    std::u16string reported;
    host.tabs.reportActivity = [&](const std::u16string& line, COLORREF color) {
        reported = line;
        EXPECT_EQ(color, RGB(36, 104, 220));
    };
    fillCommand(host.tabs, u"PowerShell", u"Get-Process");
    ASSERT_EQ(host.tabs.terminals.size(), 2u) << "no PowerShell terminal was opened";
    EXPECT_EQ(host.tabs.terminals[1].kind, ShellKind::PowerShell);
    EXPECT_EQ(terminalInputLine(*host.tabs.terminals[1].terminal), u"Get-Process");
    EXPECT_EQ(SendMessageW(host.pages.tabControl, TCM_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(reported, u"> Get-Process - " + uiText(kTextCommandFilled));  // names what was filled

    fillCommand(host.tabs, u"cmd", u"ipconfig /all");
    EXPECT_EQ(terminalInputLine(*host.tabs.terminals[0].terminal), u"ipconfig /all");
    EXPECT_EQ(SendMessageW(host.pages.tabControl, TCM_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(host.tabs.terminals.size(), 2u);
}

TEST_F(TerminalE2E, DestroyingATerminalDuringAFloodOfOutputIsClean) {
    Terminal& t = openReadyTerminal();
    typeLine(t.editor, u"for /L %i in (1,1,20000) do @echo flooding line %i");
    waitUntil(kWaitMs, [&] { return probeTerminal(t).outputChunks > 20; });
    DWORD shellId = GetProcessId(t.shell.process);
    HWND editor = t.editor;
    destroyAllTerminals(host.tabs);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_FALSE(processAlive(shellId));
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_TERMINAL_OUTPUT, WM_TERMINAL_OUTPUT, PM_NOREMOVE));
}

TEST_F(TerminalE2E, FloodOfColouredOutputArrivesWholeInOrderAndEndsDrawnAtTheEnd) {
    Terminal& t = openReadyTerminal();
    // Some 300 KB: many chunks, gathered into batches while the control holds its redraw.
    std::string file;
    for (unsigned line = 0; line < 6000; ++line) {
        char text[96];
        int n = std::snprintf(text, sizeof text, "\x1b[3%um%05u flood\x1b[0m \x1b[1;33mwarn\x1b[0m tail\r\n", line % 8,
                              line);
        file.append(text, size_t(n));
    }
    std::u16string path = tempPath(u"wr-flood.txt");
    ASSERT_TRUE(writeWholeFile(path, file));
    typeLine(t.editor, u"type \"" + path + u"\"");
    // Looked for after every message, as the flood can keep the queue full to
    // its end; and each look counts as a paint just made, so that the next
    // batch is held for the paint timer however slowly this machine renders
    // (on a loaded one each batch may come a whole paint gap after the last
    // and be drawn at once).
    const auto heldRedrawSeen = [&] {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < kWaitMs) {
            if (probeTerminal(t).outputChunks > 5 && probeTerminal(t).redrawHeld) return true;
            probeCountPaintNow(t);
            MSG message;
            if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                Sleep(1);
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return false;
    };
    ASSERT_TRUE(heldRedrawSeen()) << "no held redraw seen; chunks " << probeTerminal(t).outputChunks;
    // A key pressed in the middle of the flood is shown at once and lands in the input line.
    SendMessageW(t.editor, WM_CHAR, L'q', 0);
    EXPECT_FALSE(probeTerminal(t).redrawHeld);
    EXPECT_TRUE(GetWindowLongW(t.editor, GWL_STYLE) & WS_VISIBLE);
    ASSERT_TRUE(waitUntil(60000, [&] {
        return terminalText(t).find(u"05999 flood") != std::u16string::npos && probeTerminal(t).atShellPrompt;
    }));
    pumpFor(400);
    EXPECT_FALSE(probeTerminal(t).redrawHeld);
    EXPECT_TRUE(GetWindowLongW(t.editor, GWL_STYLE) & WS_VISIBLE) << "the control was left undrawable";
    EXPECT_TRUE(GetWindowLongW(t.editor, GWL_STYLE) & WS_VSCROLL) << "no scroll bar over 6000 lines";

    // Every line once and in order. A sequence cut by a read boundary may
    // leave its tail as text, which is how cut sequences are handled.
    std::u16string text = terminalText(t);
    size_t at = 0;
    for (unsigned line = 0; line < 6000; ++line) {
        char number[16];
        std::snprintf(number, sizeof number, "%05u flood", line);
        at = text.find(std::u16string(number, number + 11), at);
        ASSERT_NE(at, std::u16string::npos) << "line " << line << " lost or out of order";
    }
    EXPECT_EQ(countOf(text, u" tail\r\n"), 6000u);
    EXPECT_EQ(terminalInputLine(t), u"q");

    // The end of the text is in view, and late output kept its colours.
    GETTEXTLENGTHEX query = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    LONG length = LONG(SendMessageW(t.editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
    POINTL end = {};
    SendMessageW(t.editor, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&end), LPARAM(length - 1));
    RECT client;
    GetClientRect(t.editor, &client);
    EXPECT_TRUE(end.y >= 0 && end.y < client.bottom) << end.y;
    CHARFORMAT2W format = formatOfText(t.editor, L"warn", length - 2000);
    EXPECT_EQ(format.crTextColor, RGB(193, 156, 0));
    EXPECT_TRUE(format.dwEffects & CFE_BOLD);
    EXPECT_TRUE(format.dwEffects & CFE_PROTECTED);
    DeleteFileW(wstr(path));
}

TEST_F(TerminalE2E, TerminalHiddenWhileOutputArrivesStaysHidden) {
    Terminal& t = openReadyTerminal();
    auto shown = [&] { return (GetWindowLongPtrW(t.editor, GWL_STYLE) & WS_VISIBLE) != 0; };
    // Two insertions in quick succession: the second waits for the next paint.
    insertOutput(t, u"one\r\n");
    insertOutput(t, u"two\r\n");
    ASSERT_TRUE(probeTerminal(t).redrawHeld);
    // The user switches to another tab meanwhile.
    showTerminal(t, false);
    pumpFor(300);
    EXPECT_FALSE(shown());
    renderOutput(t, u"\x1b[31mred\x1b[0m three\r\n");
    renderOutput(t, u"four\r\n");
    pumpFor(300);
    EXPECT_FALSE(shown()) << "output made a hidden terminal visible";
    showTerminal(t, true);
    EXPECT_TRUE(shown());
    EXPECT_NE(terminalText(t).find(u"one\r\ntwo\r\nred three\r\nfour\r\n"), std::u16string::npos);
}

TEST_F(TerminalE2E, InputDialogKeepsLongTextAndCancelKeepsTheValue) {
    std::u16string value = u"start";
    // Longer than any fixed buffer the dialog once had (254 characters).
    const std::u16string longArguments = std::u16string(300, u'a') + u" /end";
    auto ask = [&](const std::u16string& caption, const std::u16string& text, bool ok, std::wstring* offered) {
        bool answered = false;
        auto open = [&] { answered = askText(host.window, caption, u"Prompt:", u"Yes", u"No", value); };
        answerDialog(open, caption, text, ok, offered);
        return answered;
    };
    EXPECT_TRUE(ask(u"Ask", longArguments, true, nullptr));
    EXPECT_EQ(value, longArguments);
    value = u"keep";
    EXPECT_FALSE(ask(u"Ask", u"other", false, nullptr));
    EXPECT_EQ(value, u"keep");
    std::wstring offered;
    value = u"prefilled";
    EXPECT_TRUE(ask(u"Look", u"prefilled", true, &offered));
    EXPECT_EQ(offered, L"prefilled|Yes");
    EXPECT_EQ(value, u"prefilled");
}

// Running commands: the stop key, the shell restart, the running indicator,
// the close confirmation and the substitute prompt all look at what the
// shell has started.
// The first program of the name the shell has started, waited for; 0 when none came.
DWORD childStarted(DWORD shell, const wchar_t* name) {
    std::vector<DWORD> children;
    waitUntil(kWaitMs, [&] { return !(children = childProcesses(shell, name)).empty(); });
    return children.empty() ? 0 : children.front();
}

TEST_F(TerminalE2E, CtrlBreakStopsTheCommandAndTheShellGoesOn) {
    std::vector<std::u16string> activity, status;
    host.tabs.reportActivity = [&](const std::u16string& line, COLORREF) { activity.push_back(line); };
    host.tabs.showStatus = [&](const std::u16string& text) { status.push_back(text); };
    Terminal& t = openReadyTerminal();
    SendMessageW(host.pages.tabControl, TCM_SETCURSEL, 2, 0);
    showTerminal(t, true);
    DWORD shell = shellProcessId(t.shell);
    typeLine(t.editor, u"ping -n 60 127.0.0.1");
    const DWORD ping = childStarted(shell, L"ping.exe");
    ASSERT_NE(ping, 0u);
    // The indicator names the program while it runs; no prompt claims it ended.
    ASSERT_TRUE(waitUntil(3000, [&] { return !status.empty() && !status.back().empty(); }));
    EXPECT_NE(status.back().find(u"ping.exe"), std::u16string::npos) << narrow(status.back());
    pumpFor(1200);
    EXPECT_FALSE(probeTerminal(t).substitutePrompt) << "a substitute prompt appeared while ping ran";

    pressKey(t.editor, VK_CANCEL, VK_CONTROL);
    EXPECT_TRUE(waitUntil(1000, [&] { return !processAlive(ping); })) << "ping still runs a second after Ctrl+Break";
    EXPECT_TRUE(processAlive(shell)) << "the shell ended or was restarted";
    ASSERT_FALSE(activity.empty());
    EXPECT_NE(activity.back().find(u"ping.exe"), std::u16string::npos) << narrow(activity.back());
    EXPECT_NE(activity.back().find(u"CMD"), std::u16string::npos) << narrow(activity.back());
    EXPECT_TRUE(waitUntil(2000, [&] { return !status.empty() && status.back().empty(); })) << "indicator stayed";
    EXPECT_TRUE(run(t, u"echo WRAFTERSTOP", u"WRAFTERSTOP")) << narrow(terminalText(t));
}

// Stopping as a console does: Ctrl+C through the helper mode of toolkeep.exe,
// then what is left is ended. A stand-in shell survives the event as cmd does
// on Windows (Wine's cmd has no handler for it and would end). It speaks
// UTF-8, as cmd does with 65001 as the OEM code page (which Wine does not take
// from the registry): a character cut between two reads arrives whole.
TEST_F(TerminalE2E, CtrlBreakGivesCtrlCFirstThenEndsWhatIsLeft) {
    size_t questions = 0;
    host.tabs.confirm = [&](const std::u16string&) { return ++questions, false; };
    const std::wstring exe = toolkeepExePath();
    const std::u16string standIn =
        fromWide(exe.substr(0, exe.find_last_of(L'\\') + 1).c_str()) + u"standin_console_shell.exe";
    host.tabs.interruptHelper = fromWide(exe.c_str());
    ASSERT_GE(openTerminalTab(host.tabs, ShellKind::Cmd, false), 2);
    Terminal& t = *host.tabs.terminals.back().terminal;
    t.shell.programOverride = standIn;
    t.shell.codePage = CP_UTF8;
    startTerminalShell(t);
    ASSERT_TRUE(waitUntil(kWaitMs, [&] { return probeTerminal(t).atShellPrompt; })) << narrow(terminalText(t));
    DWORD shell = shellProcessId(t.shell);
    // How the program ends (STILL_ACTIVE: kept running), and whether the user was asked.
    const struct {
        const char16_t* mode;
        DWORD exitCode;
        size_t asked;
    } cases[] = {{u" --stops", 42, 0}, {u" --ignores", 0xC000013A, 0}, {u" --window", STILL_ACTIVE, 1}};
    size_t row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.mode));
        questions = 0;
        typeLine(t.editor, u"\"" + standIn + u"\"" + c.mode);
        const DWORD child = childStarted(shell, L"standin_console_shell.exe");
        ASSERT_NE(child, 0u);
        ScopedHandle process(
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, child));
        pumpFor(c.asked ? 1500 : 200);  // a window is up
        pressKey(t.editor, VK_CANCEL, VK_CONTROL);
        // Ended of Ctrl+C well within the grace period; the rest after it.
        EXPECT_EQ(waitUntil(800, [&] { return !processAlive(child); }), c.exitCode == 42);
        pumpFor(1500);
        DWORD exitCode = 0;
        GetExitCodeProcess(process.handle, &exitCode);
        EXPECT_EQ(exitCode, c.exitCode);
        EXPECT_EQ(questions, c.asked);
        if (c.exitCode == STILL_ACTIVE) TerminateProcess(process.handle, 1);
        // The shell lives on, and a character cut between two reads arrives whole.
        EXPECT_TRUE(run(t, u"split", u"[中文]", ++row)) << narrow(terminalText(t));
    }
    EXPECT_EQ(terminalText(t).find(u'\xFFFD'), std::u16string::npos);
}

TEST_F(TerminalE2E, NothingToStopOffersARestartThatKeepsTheTranscript) {
    std::vector<std::u16string> questions;
    bool agree = false;
    host.tabs.confirm = [&](const std::u16string& question) {
        questions.push_back(question);
        return agree;
    };
    Terminal& t = openReadyTerminal();
    SendMessageW(host.pages.tabControl, TCM_SETCURSEL, 2, 0);
    ASSERT_TRUE(run(t, u"echo WRBEFORERESTART", u"WRBEFORERESTART"));
    DWORD shell = shellProcessId(t.shell);

    pressKey(t.editor, VK_CANCEL, VK_CONTROL);  // declined: nothing changes
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(shellProcessId(t.shell), shell);

    agree = true;
    stopCommandInCurrentTerminal(host.tabs);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_NE(shellProcessId(t.shell), shell);
    EXPECT_TRUE(waitUntil(kWaitMs, [&] { return !processAlive(shell); })) << "the old shell still runs";
    std::u16string text = terminalText(t);
    EXPECT_NE(text.find(u"WRBEFORERESTART"), std::u16string::npos);
    EXPECT_NE(text.find(uiText(kTextShellRestarted)), std::u16string::npos);
    EXPECT_TRUE(run(t, u"echo WRAFTERRESTART", u"WRAFTERRESTART")) << narrow(terminalText(t));
}

TEST_F(TerminalE2E, ClosingABusyTerminalAsksAndNamesWhatRuns) {
    std::vector<std::u16string> questions;
    bool agree = false;
    host.tabs.confirm = [&](const std::u16string& question) {
        questions.push_back(question);
        return agree;
    };
    openReadyTerminal();
    Terminal& busy = openReadyTerminal();
    DWORD shell = shellProcessId(busy.shell);
    typeLine(busy.editor, u"ping -n 60 127.0.0.1");
    const DWORD ping = childStarted(shell, L"ping.exe");
    ASSERT_NE(ping, 0u);

    EXPECT_FALSE(confirmCloseWithRunningWork(host.tabs));
    SendMessageW(host.pages.tabControl, TCM_SETCURSEL, 3, 0);
    closeCurrentTerminal(host.tabs);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_NE(questions.back().find(u"ping.exe"), std::u16string::npos) << narrow(questions.back());
    EXPECT_EQ(host.tabs.terminals.size(), 2u) << "declined, yet the tab closed";

    agree = true;
    closeCurrentTerminal(host.tabs);
    EXPECT_EQ(host.tabs.terminals.size(), 1u);
    EXPECT_TRUE(waitUntil(kWaitMs, [&] { return !processAlive(ping); }));
    EXPECT_TRUE(confirmCloseWithRunningWork(host.tabs));
    EXPECT_EQ(questions.size(), 3u) << "asked although nothing runs";
}

TEST_F(TerminalE2E, TypeAheadIsGreyUntilTheShellReadsItThenRuns) {
    Terminal& t = openReadyTerminal();
    typeLine(t.editor, u"ping -n 4 127.0.0.1");
    DWORD shell = shellProcessId(t.shell);
    ASSERT_NE(childStarted(shell, L"ping.exe"), 0u);
    typeLine(t.editor, u"echo WRTYPED");
    pumpFor(400);
    auto colourOf = [&](const wchar_t* word) { return formatOfText(t.editor, word).crTextColor; };
    EXPECT_NE(colourOf(L"echo WRTYPED"), t.defaultColor) << "typed-ahead line not greyed while ping runs";
    // Shown where it was typed, run once ping ended.
    ASSERT_TRUE(waitUntil(kWaitMs, [&] {
        std::u16string text = terminalText(t);
        size_t typed = text.find(u"echo WRTYPED"), ended = text.find(u"Average"), ran = text.rfind(u"WRTYPED");
        return typed != std::u16string::npos && ended != std::u16string::npos && typed < ended && ran > ended;
    })) << narrow(terminalText(t));
    EXPECT_TRUE(waitUntil(2000, [&] { return colourOf(L"echo WRTYPED") == t.defaultColor; }))
        << "the line stayed grey after the shell read it";
}

TEST_F(TerminalE2E, TranscriptKeepsTheLatestLinesAndStaysUsable) {
    Terminal& t = openReadyTerminal();
    typeText(t.editor, u"echo WRTYPEDKEPT");  // typed, not submitted: must survive the move
    std::u16string chunk;
    for (int line = 0; line < 80000; ++line) {
        std::string text = "WRLINE" + std::to_string(line) + "\r\n";
        chunk.append(text.begin(), text.end());
        if (line % 4000 == 3999) {
            renderOutput(t, chunk);
            chunk.clear();
        }
    }
    ASSERT_TRUE(waitUntil(60000, [&] { return !probeTerminal(t).refilling; })) << "the transcript never moved";
    // A program that rewrites its progress line leaves one line, not many.
    renderOutput(t, u"WRPROGRESS 10%\rWRPROGRESS 55%\r");
    renderOutput(t, u"WRPROGRESS 100%\r\n");
    std::u16string text = terminalText(t);
    EXPECT_LT(t.mirror.lines, 75000u);
    EXPECT_EQ(text.find(u"WRLINE0\r\n"), std::u16string::npos) << "the oldest lines were kept";
    EXPECT_EQ(text.rfind(u"WRLINE", 0), 0u) << "the transcript no longer starts at a line";
    EXPECT_NE(text.find(u"WRLINE79999\r\nWRPROGRESS 100%\r\n"), std::u16string::npos);
    EXPECT_EQ(countOf(text, u"WRPROGRESS"), 1u);
    EXPECT_EQ(terminalInputLine(t), u"echo WRTYPEDKEPT");
    EXPECT_TRUE(waitUntil(kWaitMs, [&] { return !probeTerminal(t).spareControl; })) << "the old control stayed";
    EXPECT_TRUE(GetWindowLongPtrW(t.editor, GWL_STYLE) & WS_VISIBLE);

    // The input line is still editable and protected as before.
    SendMessageW(t.editor, EM_SETSEL, 0, 5);
    pressKey(t.editor, VK_DELETE);
    EXPECT_EQ(terminalText(t).rfind(u"WRLINE", 0), 0u) << "the moved transcript is not protected";
    pressKey(t.editor, VK_RETURN);
    EXPECT_TRUE(waitUntil(kWaitMs, [&] { return countOf(terminalText(t), u"WRTYPEDKEPT") >= 2; }))
        << narrow(terminalText(t).substr(terminalText(t).size() - 300));
    EXPECT_TRUE(findInTerminal(t, u"WRLINE79990"));
    typeLine(t.editor, u"cls");
    EXPECT_EQ(terminalText(t).find(u"WRLINE"), std::u16string::npos);
    EXPECT_EQ(t.mirror.lines, 0u);
    EXPECT_TRUE(run(t, u"echo WRAFTERCLS", u"WRAFTERCLS"));
}

}  // namespace

// What the input line shows is what Enter sends, after a clear and a recall.
TEST_F(TerminalE2E, TheInputLineHoldsWhatItShowsAfterAClearAndARecall) {
    Terminal& t = openReadyTerminal();
    ASSERT_TRUE(run(t, u"echo WRRECALLED", u"WRRECALLED"));
    typeLine(t.editor, u"cls");
    EXPECT_EQ(terminalInputLine(t), u"") << "the clear left its command in the input line";
    ASSERT_TRUE(waitUntil(kWaitMs, [&] { return probeTerminal(t).atShellPrompt; }));
    ASSERT_TRUE(run(t, u"echo WRAFTERCLS", u"WRAFTERCLS"));
    EXPECT_EQ(terminalText(t).find(u"clsecho"), std::u16string::npos) << narrow(terminalText(t));

    search(t, 'R', u"wrrecalled");
    ASSERT_EQ(terminalInputLine(t), u"echo WRRECALLED");
    const CHARFORMAT2W format = formatOfText(t.editor, L"echo WRRECALLED", probeTerminal(t).inputStart);
    EXPECT_EQ(format.crTextColor, t.defaultColor) << "the recalled line is not drawn in the text colour";
    EXPECT_TRUE(GetWindowLongW(t.editor, GWL_STYLE) & WS_VISIBLE) << "the recalled line is not drawn";

    std::u16string status;
    host.tabs.showStatus = [&status](const std::u16string& text) { status = text; };
    search(t, 'F', u"WRNOWHERE");
    EXPECT_EQ(status, u"找不到“WRNOWHERE”。") << "a search without a match said nothing";
}

// pause is a running command: no prompt is drawn for it, and the shell's end is said.
TEST_F(TerminalE2E, AProgramsQuestionGetsItsAnswerAndTheShellsEndIsSaid) {
    std::u16string status;
    host.tabs.showStatus = [&status](const std::u16string& text) { status = text; };
    Terminal& t = openReadyTerminal();
    typeLine(t.editor, u"pause");
    ASSERT_TRUE(waitUntil(kWaitMs, [&] { return probeTerminal(t).commandRunning && !probeTerminal(t).atShellPrompt; }));
    pumpFor(900);
    EXPECT_FALSE(probeTerminal(t).substitutePrompt) << narrow(terminalText(t));
    typeLine(t.editor, u"x");
    ASSERT_TRUE(waitUntil(kWaitMs, [&] { return !probeTerminal(t).commandRunning; })) << narrow(terminalText(t));

    // exit: the transcript says so, and Enter starts a new shell with the typed line kept.
    DWORD first = shellProcessId(t.shell);
    typeLine(t.editor, u"exit 3");
    ASSERT_TRUE(waitUntil(kWaitMs, [&] {
        return terminalText(t).find(u"[Shell 已结束，退出代码 3。按 Enter 启动新的 Shell。]") != std::u16string::npos;
    })) << narrow(terminalText(t));
    typeLine(t.editor, u"echo WRNEWSHELL");
    ASSERT_TRUE(waitUntil(kWaitMs, [&] { return probeTerminal(t).atShellPrompt && shellProcessId(t.shell) != first; }));
    EXPECT_EQ(terminalInputLine(t), u"echo WRNEWSHELL") << "the typed line was lost";
    EXPECT_TRUE(run(t, u"", u"\r\nWRNEWSHELL\r\n", 1)) << narrow(terminalText(t));
}

// A built-in's question (set /p), also after commands typed ahead of it or
// with no text at all, is a running command: no prompt is drawn, the terminal says it waits, and the answer goes to it,
// never into the history.
TEST_F(TerminalE2E, AQuestionAfterTypedAheadCommandsOrWithoutTextGetsItsAnswer) {
    struct Case {
        std::vector<std::u16string> ahead;  // typed while the first of them runs
        std::u16string question, name, answer;
    };
    const Case cases[] = {{{u"ping -n 2 127.0.0.1", u"echo WRAHEAD"}, u"set /p WRQONE=Pin? ", u"WRQONE", u"wranswer1"},
                          {{}, u"set /p WRQTWO=", u"WRQTWO", u"wranswer2"},
                          {{}, u"set /p WRQTHREE=Your name? ", u"WRQTHREE", u"wranswer3"}};
    std::u16string status;
    host.tabs.showStatus = [&status](const std::u16string& text) { status = text; };
    Terminal& t = openReadyTerminal();
    for (const Case& c : cases) {
        for (const std::u16string& line : c.ahead) {
            typeLine(t.editor, line);
        }
        typeLine(t.editor, c.question);
        if (!c.ahead.empty()) {
            ASSERT_TRUE(waitUntil(kWaitMs, [&] { return countOf(terminalText(t), u"WRAHEAD") >= 2; }));
        }
        ASSERT_TRUE(waitUntil(kWaitMs, [&] { return status == uiText(kTextWaitingForInput); }))
            << narrow(c.name) << ": no word that the question waits; " << narrow(terminalText(t));
        EXPECT_FALSE(probeTerminal(t).substitutePrompt) << narrow(terminalText(t));
        typeLine(t.editor, c.answer);
        ASSERT_TRUE(
            waitUntil(kWaitMs, [&] { return probeTerminal(t).atShellPrompt && !probeTerminal(t).commandRunning; }));
        EXPECT_TRUE(status.empty()) << "the status still says the command waits";
        ASSERT_TRUE(run(t, u"echo %" + c.name + u"%", u"\r\n" + c.answer + u"\r\n", 1)) << narrow(terminalText(t));
        EXPECT_EQ(std::count(t.history.begin(), t.history.end(), c.answer), 0)
            << narrow(c.name) << ": the answer went into the history";
    }
}

namespace {

// A peek as Windows makes it on the shell's synchronous pipe: it waits while
// the pipe is empty (the shell is inside a read of it) and returns once input
// has arrived. Wine's peek does not fail once our write end is closed, so it
// gives up after a few seconds of emptiness, which lets the session stop; a
// writer that peeked itself would be held that long after every line.
bool peekBlockingAsWindows(HANDLE shellInput, DWORD& unread) {
    for (DWORD started = GetTickCount(); GetTickCount() - started < 3000;) {
        if (!PeekNamedPipe(shellInput, nullptr, 0, nullptr, &unread, nullptr)) return false;
        if (unread > 0) return true;
        Sleep(5);
    }
    return true;
}

TEST_F(TerminalE2E, WriterKeepsWritingWhileAPeekWaitsBehindTheShellsRead) {
    int index = openTerminalTab(host.tabs, ShellKind::Cmd, false);
    ASSERT_GE(index, 2);
    Terminal& t = *host.tabs.terminals.back().terminal;
    host.tabs.layoutRightPane();
    t.shell.peekInput = peekBlockingAsWindows;
    startTerminalShell(t);
    ASSERT_TRUE(
        waitUntil(kWaitMs, [&] { return probeTerminal(t).outputChunks > 0 && probeTerminal(t).atShellPrompt; }));
    // Quick commands one after the other, each typed while the one before may
    // still be unread: every one runs, and the last is told read.
    for (const char16_t* line :
         {u"cd \\", u"echo WRSEAM1", u"cd %TEMP%", u"echo WRSEAM2", u"cd \\", u"cd %TEMP%", u"echo WRSEAM3"}) {
        typeLine(t.editor, line);
    }
    EXPECT_TRUE(
        waitUntil(8000, [&] { return countOf(terminalText(t), u"WRSEAM3") >= 2 && probeTerminal(t).atShellPrompt; }))
        << "the writer waited for a peek behind the shell's read: " << narrow(terminalText(t));
    EXPECT_EQ(countOf(terminalText(t), u"WRSEAM1"), 2u);
    EXPECT_TRUE(waitUntil(2000, [&] { return probeTerminal(t).unreadLines == 0; }))
        << "the last line was never told read";
    EXPECT_TRUE(run(t, u"echo WRSEAM4", u"WRSEAM4")) << "input stopped after the quick commands";
}

// Output that arrives during an IME composition waits, so the selection the
// composition lives in is never moved; it shows when the composition ends.
TEST_F(TerminalE2E, OutputWaitsWhileAnImeCompositionIsOpen) {
    Terminal& t = openReadyTerminal();
    typeLine(t.editor, u"ping -n 3 127.0.0.1 >nul & echo WRIMEDONE");
    ASSERT_TRUE(waitUntil(kWaitMs, [&] { return countOf(terminalText(t), u"WRIMEDONE") >= 1; }));
    pumpFor(300);
    SendMessageW(t.editor, EM_SETSEL, 0, 0);  // the caret in the transcript: the IME must write into the input line
    SendMessageW(t.editor, WM_IME_STARTCOMPOSITION, 0, 0);
    CHARRANGE composing = selectionOf(t.editor);
    EXPECT_GE(composing.cpMin, probeTerminal(t).inputStart)
        << "the composition would start in the protected transcript";
    SendMessageW(t.editor, WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    std::u16string before = terminalText(t);
    pumpFor(3500);  // ping ends and the echo arrives meanwhile
    EXPECT_EQ(terminalText(t), before) << "output moved the selection during the composition";
    EXPECT_EQ(selectionOf(t.editor).cpMin, composing.cpMin);
    SendMessageW(t.editor, WM_IME_ENDCOMPOSITION, 0, 0);
    EXPECT_TRUE(waitUntil(kWaitMs, [&] {
        return countOf(terminalText(t), u"WRIMEDONE") >= 2 && probeTerminal(t).atShellPrompt;
    })) << narrow(terminalText(t));
    // The shell ends while a composition is open: its last output and the line
    // about its end still show, and the window goes on.
    typeLine(t.editor, u"echo WRIMELAST & exit 7");
    SendMessageW(t.editor, WM_IME_STARTCOMPOSITION, 0, 0);
    EXPECT_TRUE(waitUntil(kWaitMs, [&] {
        std::u16string text = terminalText(t);
        return countOf(text, u"WRIMELAST") >= 2 && text.find(u"退出代码 7") != std::u16string::npos;
    })) << narrow(terminalText(t));
}

}  // namespace
