// The session report through the real menu command: a session that runs
// commands in CMD, walks part of a playbook and launches a tool, saved as a
// page, which is left at build/test-logs/session-report.html to look at.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <thread>

#include "data/text.h"
#include "platform/win_text.h"
#include "tests/e2e/exe_process.h"
#include "tests/e2e/local_window.h"
#include "tests/e2e/message_loop.h"
#include "ui/main_state.h"
#include "ui/ui_text.h"

namespace {

constexpr DWORD kWaitMs = 20000;

// build/test-logs beside the folder of this program (build/win).
std::wstring reportPath() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe);
    dir.resize(dir.find_last_of(L'\\'));
    dir.resize(dir.find_last_of(L'\\'));
    dir += L"\\test-logs";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir + L"\\session-report.html";
}

// Answers the save dialog with the given path, as a user would type it.
std::thread answerSaveDialog(const std::u16string& title, const std::wstring& path) {
    return std::thread([title, path] {
        for (int i = 0; i < 600; ++i) {
            HWND dialog = FindWindowW(L"#32770", wstr(title));
            if (dialog && IsWindowVisible(dialog)) {
                Sleep(300);
                HWND name = GetDlgItem(dialog, 0x47C);  // the file-name combo box
                if (!name) name = GetDlgItem(dialog, 0x480);
                SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(50);
        }
    });
}

void endChildrenNamed(const wchar_t* exeName) {
    for (DWORD child : childProcesses(GetCurrentProcessId(), exeName)) {
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, child)) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
    }
}

using ReportWindow = WindowFixture;

TEST_F(ReportWindow, ASessionSavedThroughTheMenuHoldsItsSectionsEscaped) {
    selectTab(*state, firstTerminalPage(state->pages));
    Terminal& t = cmd();
    ASSERT_TRUE(waitUntil(kWaitMs, [&] { return probeTerminal(t).atShellPrompt; }));
    // Hostile output: markup and entities that must show as text.
    submit(u"echo ^<script^>alert(1)^</script^> ^</pre^> ^&amp; \"quoted\"");
    ASSERT_TRUE(waitUntil(kWaitMs, [&] {
        return terminalText(t).find(u"<script>alert(1)</script> </pre> &amp;") != std::u16string::npos &&
               probeTerminal(t).atShellPrompt;
    }));
    submit(u"echo WRREPORTTWO");
    ASSERT_TRUE(waitUntil(kWaitMs, [&] { return terminalText(t).find(u"\r\nWRREPORTTWO") != std::u16string::npos; }));
    // A clear typed as the user types it empties the view, not the record.
    for (char16_t c : std::u16string(u"cls")) SendMessageW(t.editor, WM_CHAR, WPARAM(c), 1);
    SendMessageW(t.editor, WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(waitUntil(kWaitMs, [&] { return terminalText(t).find(u"WRREPORTTWO") == std::u16string::npos; }));

    // Part of a playbook: its first command step filled into a terminal and copied.
    const std::vector<Playbook>& playbooks = state->catalog.playbooks;
    size_t book = 0, step = 0;
    bool found = false;
    for (book = 0; book < playbooks.size() && !found; ++book)
        for (step = 0; step < playbooks[book].steps.size() && !found; ++step)
            found = playbooks[book].steps[step].actionType == StepActionType::Command &&
                    playbooks[book].steps[step].enabled;
    ASSERT_TRUE(found);
    --book;
    --step;
    openPlaybookTab(state->playbook, playbooks, book);
    state->playbook.current = int(step);
    rebuildPanel(state->playbook);
    for (int slot : {int(WalkButton::RunStep), int(WalkButton::CopyCmd)}) {
        const RECT& r = state->playbook.buttons[size_t(slot)].rect;
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageW(state->playbook.window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(state->playbook.window, WM_LBUTTONUP, 0, at);
    }
    replaceInput(t, u"");

    for (size_t i = 0; i < state->catalog.tools.size(); ++i)
        if (state->catalog.tools[i].id == u"builtin.notepad") launchTool(*state, int64_t(i), false);
    endChildrenNamed(L"notepad.exe");

    const std::wstring path = reportPath();
    DeleteFileW(path.c_str());
    std::thread answer = answerSaveDialog(uiText(kTextSaveSessionReport), path);
    SendMessageW(window, WM_COMMAND, kCmdSaveSessionReport, 0);
    answer.join();
    const std::wstring saved = wstr(uiTextWith(kTextReportSaved, {fromWide(path.c_str())}));
    ASSERT_TRUE(
        waitUntil(kWaitMs, [&] { return windowText(state->activity.window).find(saved) != std::wstring::npos; }));

    std::u16string page = utf8ToWide(fileBytes(path));
    for (const std::u16string& expected :
         {std::u16string(u"<section id=\"activity\">"), std::u16string(u"<section id=\"playbooks\">"),
          std::u16string(u"<section id=\"terminals\">"),
          std::u16string(u"&lt;script&gt;alert(1)&lt;/script&gt; "
                         u"&lt;/pre&gt; &amp;amp; &quot;quoted&quot;"),
          std::u16string(u"<code>echo WRREPORTTWO</code>"), uiText(kTextReportTitle + 24),  // filled into a terminal
          uiText(kTextReportTitle + 25), playbooks[book].title, playbooks[book].steps[step].command,
          std::u16string(u"notepad.exe"), std::u16string(u"<section id=\"launches\">"),
          uiText(kTextReportQuestions + 2)})  // the launch and its outcome
        EXPECT_NE(page.find(expected), std::u16string::npos) << wideToUtf8(expected);
    EXPECT_EQ(page.find(u"<script"), std::u16string::npos);
    EXPECT_EQ(page.find(u"</pre> &"), std::u16string::npos);
}

}  // namespace

namespace {

// Closing the window while a report is being written waits for it, and says so.
TEST_F(ReportWindow, ClosingWaitsForAReportBeingWritten) {
    open();
    ASSERT_NE(state, nullptr);
    std::wstring path = reportPath();
    path.replace(path.size() - 5, 5, L"-at-close.txt");
    DeleteFileW(path.c_str());
    writeSessionReport(*state, fromWide(path.c_str()), false);
    SendMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(window));  // the report's message cannot have come in yet
    wchar_t status[256] = {};
    SendMessageW(state->statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(status));
    EXPECT_EQ(fromWide(status), uiText(kTextWaitingForReport));
    const HWND closing = window;
    EXPECT_TRUE(waitUntil(kWaitMs, [&] { return !IsWindow(closing); }));
    window = IsWindow(closing) ? closing : nullptr;
    EXPECT_EQ(GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES, true);
    DeleteFileW(path.c_str());
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

}  // namespace
