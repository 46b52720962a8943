// The main window: the real exe driven with window messages, and the same
// window created inside this test process where its state must be read.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "data/custom_tools.h"
#include "platform/win_fonts.h"
#include "platform/win_handles.h"
#include "platform/win_text.h"
#include "tests/e2e/exe_process.h"
#include "tests/e2e/local_window.h"
#include "tests/e2e/message_loop.h"
#include "terminal/readable_color.h"
#include "terminal/terminal.h"
#include "platform/win_dpi.h"
#include "ui/main_state.h"
#include "ui/main_window.h"
#include "ui/ui_text.h"

namespace {

std::wstring wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

constexpr DWORD kWait = 30000;

// --- files the window writes -------------------------------------------------

std::string configText() { return fileBytes(appDataFile(L"config.json")); }

// --- reading controls of another process ---------------------------------------

std::wstring remoteTabLabel(HANDLE process, HWND tabs, int index) {
    ScopedRemoteMemory buffer(process, sizeof(TCITEMW) + 512 * sizeof(wchar_t));
    if (!buffer.address) return L"?";
    auto* text = reinterpret_cast<wchar_t*>(static_cast<char*>(buffer.address) + sizeof(TCITEMW));
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 512;
    WriteProcessMemory(process, buffer.address, &item, sizeof item, nullptr);
    SendMessageW(tabs, TCM_GETITEMW, WPARAM(index), reinterpret_cast<LPARAM>(buffer.address));
    wchar_t local[512] = {};
    ReadProcessMemory(process, text, local, sizeof local - sizeof(wchar_t), nullptr);
    return local;
}

std::vector<std::wstring> tabLabels(HANDLE process, HWND tabs) {
    std::vector<std::wstring> labels;
    int count = int(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) labels.push_back(remoteTabLabel(process, tabs, i));
    return labels;
}

struct Children {
    HWND searchBox = nullptr;
    HWND segmentTabs = nullptr;
    HWND mainTabs = nullptr;
    HWND tree = nullptr;
    HWND statusBar = nullptr;
    int richEdits = 0;
};

BOOL CALLBACK collectChild(HWND child, LPARAM param) {
    auto* found = reinterpret_cast<Children*>(param);
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    std::wstring cls = name;
    if (cls == L"Edit" || cls == L"EDIT") {
        if (GetDlgCtrlID(child) == 2001) found->searchBox = child;
    } else if (cls == WC_TABCONTROLW) {
        // the segment strip sits left of the main tab control
        if (!found->segmentTabs) {
            found->segmentTabs = child;
        } else {
            RECT a, b;
            GetWindowRect(found->segmentTabs, &a);
            GetWindowRect(child, &b);
            found->mainTabs = b.left > a.left ? child : found->segmentTabs;
            if (b.left <= a.left) found->segmentTabs = child;
        }
    } else if (cls == WC_TREEVIEWW) {
        found->tree = child;
    } else if (cls == STATUSCLASSNAMEW) {
        found->statusBar = child;
    } else if (lstrcmpiW(name, L"RICHEDIT50W") == 0) {
        ++found->richEdits;
    }
    return TRUE;
}

Children childrenOf(HWND window) {
    Children found;
    EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

int windowWidth(HWND window) {
    RECT bounds;
    GetWindowRect(window, &bounds);
    return bounds.right - bounds.left;
}

struct RunningWindow : RunningExe {
    Children children;
    RunningWindow() : RunningExe(kWait) {
        if (ready) children = childrenOf(window);
    }
    std::vector<std::wstring> tabs() { return tabLabels(process.info.hProcess, children.mainTabs); }
    std::vector<std::wstring> segments() { return tabLabels(process.info.hProcess, children.segmentTabs); }
    int selectedTab() { return int(SendMessageW(children.mainTabs, TCM_GETCURSEL, 0, 0)); }
};

class ExeWindow : public ::testing::Test {
protected:
    KeptFile config{appDataFile(L"config.json")};
    KeptFile customTools{appDataFile(L"custom-tools.json")};
    KeptFile placement{appDataFile(L"window.json")};
    void SetUp() override {
        DeleteFileW(config.path.c_str());
        DeleteFileW(placement.path.c_str());
    }
};

using Labels = std::vector<std::wstring>;

TEST_F(ExeWindow, StartsWithItsControlsAndTabsThenSwitchesLanguage) {
    RunningWindow run;
    ASSERT_NE(run.window, nullptr);
    const Children& c = run.children;
    ASSERT_NE(c.searchBox, nullptr);
    ASSERT_NE(c.segmentTabs, nullptr);
    ASSERT_NE(c.mainTabs, nullptr);
    ASSERT_NE(c.tree, nullptr);
    ASSERT_NE(c.statusBar, nullptr);
    EXPECT_GE(c.richEdits, 4);  // Activity, Assistant output and the two terminals

    const std::wstring admin = windowText(run.window).find(L"管理员") != std::wstring::npos ? L"（管理员）" : L"";
    EXPECT_EQ(windowText(run.window), L"Wrenly" + admin);
    EXPECT_EQ(run.tabs(), (Labels{L"操作轨迹", L"助手", L"CMD", L"PowerShell"}));
    EXPECT_EQ(run.selectedTab(), 1);
    EXPECT_EQ(run.segments(), (Labels{L"工具", L"排障剧本", L"搜索结果"}));
    EXPECT_EQ(windowWidth(c.tree), 300);
    // once ready, typing goes to the Assistant's input (the edit that is not the search box)
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(run.window, nullptr), &gui));
    wchar_t focusClass[16] = {};
    GetClassNameW(gui.hwndFocus, focusClass, 16);
    EXPECT_TRUE(_wcsicmp(focusClass, L"Edit") == 0 && gui.hwndFocus != c.searchBox) << focusClass;

    run.command(kCmdLanguageEnglish);
    EXPECT_EQ(windowText(run.window), L"Wrenly" + std::wstring(admin.empty() ? L"" : L" (Administrator)"));
    EXPECT_EQ(run.tabs(), (Labels{L"Activity", L"Assistant", L"CMD", L"PowerShell"}));
    EXPECT_EQ(run.segments(), (Labels{L"Tools", L"Playbooks", L"Results"}));
    std::string saved = configText();
    EXPECT_NE(saved.find("\"language\": \"en-US\""), std::string::npos);

    // choosing the language in force rewrites nothing
    DeleteFileW(appDataFile(L"config.json").c_str());
    run.command(kCmdLanguageEnglish);
    EXPECT_EQ(configText(), "");

    run.command(kCmdLanguageChinese);
    EXPECT_EQ(run.tabs(), (Labels{L"操作轨迹", L"助手", L"CMD", L"PowerShell"}));
    EXPECT_NE(configText().find("\"language\": \"zh-CN\""), std::string::npos);

    PostMessageW(run.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(waitForExit(run.process, kWait), 0);
}

TEST_F(ExeWindow, HelpAndAboutTabsComeAndGoAndShiftTheTerminals) {
    RunningWindow run;
    ASSERT_NE(run.children.mainTabs, nullptr);
    run.command(kCmdHelp);
    EXPECT_EQ(run.tabs(), (Labels{L"操作轨迹", L"助手", L"帮助", L"CMD", L"PowerShell"}));
    EXPECT_EQ(run.selectedTab(), 2);
    run.command(kCmdAbout);
    EXPECT_EQ(run.tabs(), (Labels{L"操作轨迹", L"助手", L"帮助", L"关于", L"CMD", L"PowerShell"}));
    EXPECT_EQ(run.selectedTab(), 3);
    run.command(kCmdMcpHelp);  // swaps the document in place
    EXPECT_EQ(run.tabs()[2], L"MCP 接口（供智能体调用）");
    EXPECT_EQ(run.selectedTab(), 2);
    run.command(kCmdLanguageEnglish);
    EXPECT_EQ(run.tabs(),
              (Labels{L"Activity", L"Assistant", L"MCP interface (for agents)", L"About", L"CMD", L"PowerShell"}));
    run.command(kCmdMcpHelp);  // the ticked item closes the page
    EXPECT_EQ(run.tabs(), (Labels{L"Activity", L"Assistant", L"About", L"CMD", L"PowerShell"}));
    EXPECT_EQ(run.selectedTab(), 3);  // the first terminal
    run.command(kCmdAbout);
    EXPECT_EQ(run.tabs(), (Labels{L"Activity", L"Assistant", L"CMD", L"PowerShell"}));
    EXPECT_EQ(run.selectedTab(), 2);
}

// The splitter drags only while the left button is held, clamps to both panes' least
// widths, and the width where a drag ends comes back after a restart.
TEST_F(ExeWindow, SplitterClampsAndItsWidthSurvivesARestart) {
    {
        RunningWindow run;
        ASSERT_NE(run.children.tree, nullptr);
        HWND w = run.window;
        SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(302, 300));
        SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 300));
        EXPECT_EQ(windowWidth(run.children.tree), 150);
        RECT client;
        GetClientRect(w, &client);
        SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5000, 300));
        EXPECT_EQ(windowWidth(run.children.tree),
                  client.right - 6 - 540);  // the splitter, then the right pane's least width
        SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(420, 300));
        // a move without the button (the window manager's own, after windows moved) does not drag
        SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(200, 300));
        SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(420, 300));
        EXPECT_EQ(windowWidth(run.children.tree), 420);
        EXPECT_NE(configText().find("\"leftWidth\": 420"), std::string::npos);
        // a move after the release no longer drags
        SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 300));
        EXPECT_EQ(windowWidth(run.children.tree), 420);
        // the capture lost mid-drag ends it where it was, kept as a release would
        SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(422, 300));
        SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(380, 300));
        SendMessageW(w, WM_CAPTURECHANGED, 0, 0);
        SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 300));
        EXPECT_EQ(windowWidth(run.children.tree), 380);
        EXPECT_NE(configText().find("\"leftWidth\": 380"), std::string::npos);
    }
    RunningWindow again;
    ASSERT_NE(again.children.tree, nullptr);
    EXPECT_EQ(windowWidth(again.children.tree), 380);
}

// Under Wine on a busy machine, the X server's late answer to a window's first
// placement can undo a maximise sent right after start; a user's click comes
// long after it. So maximise until the state holds for a moment.
bool maximizeOnceSettled(HWND window) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        SendMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        Sleep(300);
        if (IsZoomed(window)) return true;
    }
    return false;
}

// Size, position and the maximised state come back after a restart; a place
// off every monitor comes back on screen; a broken file is kept aside and ignored.
TEST_F(ExeWindow, PlacementSurvivesARestart) {
    KeptFile brokenCopy{appDataFile(L"window.json.bad")};
    DeleteFileW(brokenCopy.path.c_str());
    const RECT chosen = {140, 90, 140 + 1000, 90 + 700};
    {
        RunningWindow run;
        ASSERT_NE(run.window, nullptr);
        SetWindowPos(run.window, nullptr, chosen.left, chosen.top, 1000, 700, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    {
        RunningWindow run;
        ASSERT_NE(run.window, nullptr);
        RECT frame = {};
        GetWindowRect(run.window, &frame);
        EXPECT_TRUE(EqualRect(&frame, &chosen))
            << frame.left << "," << frame.top << " " << frame.right << "," << frame.bottom;
        EXPECT_TRUE(maximizeOnceSettled(run.window));
    }
    {
        RunningWindow run;
        ASSERT_NE(run.window, nullptr);
        EXPECT_TRUE(IsZoomed(run.window)) << fileBytes(placement.path);
        SendMessageW(run.window, WM_SYSCOMMAND, SC_RESTORE, 0);  // back to the size it had before
        RECT frame = {};
        GetWindowRect(run.window, &frame);
        EXPECT_TRUE(EqualRect(&frame, &chosen))
            << frame.left << "," << frame.top << " " << frame.right << "," << frame.bottom;
    }
    std::ofstream(placement.path.c_str(), std::ios::binary | std::ios::trunc)
        << R"({"left": -30000, "top": -20000, "right": -29000, "bottom": -19300, "maximized": false})";
    {
        RunningWindow run;
        ASSERT_NE(run.window, nullptr);
        EXPECT_FALSE(IsZoomed(run.window));
        EXPECT_NE(MonitorFromWindow(run.window, MONITOR_DEFAULTTONULL), nullptr) << "left off screen";
        EXPECT_EQ(windowWidth(run.window), 1000);
    }
    const std::string broken = "{\"left\": 10, \"top\": ";
    std::ofstream(placement.path.c_str(), std::ios::binary | std::ios::trunc) << broken;
    {
        RunningWindow run;
        ASSERT_NE(run.children.tree, nullptr);
        EXPECT_TRUE(IsWindowVisible(run.window));
    }
    EXPECT_EQ(fileBytes(brokenCopy.path), broken);
    EXPECT_EQ(fileBytes(placement.path).find("\"left\": "), 4u) << "written anew when the window closed";
}

// --- the window inside this process --------------------------------------------

class LocalWindow : public WindowFixture {
protected:
    KeptFile customTools{appDataFile(L"custom-tools.json")};

    COLORREF lastActivityColor() {
        HWND pane = state->activity.window;
        LRESULT lines = SendMessageW(pane, EM_GETLINECOUNT, 0, 0);
        LRESULT start = SendMessageW(pane, EM_LINEINDEX, WPARAM(lines - 2), 0);
        SendMessageW(pane, EM_SETSEL, WPARAM(start), LPARAM(start + 1));
        CHARFORMAT2W format = {};
        format.cbSize = sizeof format;
        SendMessageW(state->activity.window, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format.crTextColor;
    }
    std::u16string tabLabel(int index) { return ::tabLabel(state->pages.tabControl, index); }
    UINT menuState(int id) { return GetMenuState(GetMenu(window), UINT(id), MF_BYCOMMAND); }
    int64_t addTool(ToolRecord tool) {
        state->catalog.tools.push_back(std::move(tool));
        return int64_t(state->catalog.tools.size() - 1);
    }
};

void endProcessById(DWORD pid) {
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

DWORD pidInLine(const std::u16string& line) {
    size_t at = line.find(u"(PID: ");
    if (at == std::u16string::npos) return 0;
    return DWORD(std::stoul(std::string(line.begin() + long(at) + 6, line.end() - 1)));
}

TEST_F(LocalWindow, MenuChecksFollowEverySettingsCommand) {
    struct Step {
        int command;
        std::vector<int> ticked;
        std::vector<int> unticked;
        const char* saved;
    };
    const Step steps[] = {{kCmdLaunchDoubleClick, {1002}, {1001}, "\"clickBehavior\": \"double\""},
                          {kCmdLaunchSingleClick, {1001}, {1002}, "\"clickBehavior\": \"single\""},
                          {kCmdShellPowerShell, {1004}, {1003}, "\"defaultShell\": \"powershell\""},
                          {kCmdShellCmd, {1003}, {1004}, "\"defaultShell\": \"cmd\""},
                          {kCmdThemeDark, {1023}, {1021, 1022}, "\"theme\": \"dark\""},
                          {kCmdThemeLight, {1022}, {1021, 1023}, "\"theme\": \"light\""},
                          {kCmdThemeSystem, {1021}, {1022, 1023}, "\"theme\": \"system\""},
                          {1216, {1216}, {1212}, "\"fontSize\": 16"},
                          {1212, {1212}, {1216}, "\"fontSize\": 12"},
                          {kCmdShowFileNames, {}, {1026}, "\"showFileName\": false"},
                          {kCmdShowFileNames, {1026}, {}, "\"showFileName\": true"},
                          {kCmdQuickEdit, {1027}, {}, "\"quickEdit\": true"},
                          {kCmdQuickEdit, {}, {1027}, "\"quickEdit\": false"},
                          {kCmdLanguageEnglish, {1025}, {1024}, "\"language\": \"en-US\""},
                          {kCmdLanguageChinese, {1024}, {1025}, "\"language\": \"zh-CN\""}};
    EXPECT_TRUE(menuState(1001) & MF_CHECKED);
    EXPECT_TRUE(menuState(1212) & MF_CHECKED);
    for (const Step& step : steps) {
        SendMessageW(window, WM_COMMAND, WPARAM(step.command), 0);
        for (int id : step.ticked) EXPECT_TRUE(menuState(id) & MF_CHECKED) << step.command << " ticks " << id;
        for (int id : step.unticked) EXPECT_FALSE(menuState(id) & MF_CHECKED) << step.command << " unticks " << id;
        EXPECT_NE(configText().find(step.saved), std::string::npos) << step.saved;
    }
    // the pages take the chosen size too
    SendMessageW(window, WM_COMMAND, 1220, 0);
    LOGFONTW font = {};
    ASSERT_TRUE(GetObjectW(state->activity.font, sizeof font, &font));
    EXPECT_EQ(font.lfHeight, -MulDiv(20, windowDpi(state->activity.window), 72));
    // the first installed of Consolas, Lucida Console, Courier New, else a monospaced face (terminals too)
    const std::u16string face = monospaceFace();
    EXPECT_EQ(fromWide(font.lfFaceName), face);
    EXPECT_TRUE(fontFamilyInstalled(face)) << wide(face);
    for (const auto& entry : state->terminals.terminals) {
        ASSERT_TRUE(GetObjectW(entry.terminal->font, sizeof font, &font));
        EXPECT_EQ(fromWide(font.lfFaceName), face);
    }
    HDC dc = GetDC(state->activity.window);
    HGDIOBJ was = SelectObject(dc, state->activity.font);
    SIZE narrow = {}, broad = {};
    GetTextExtentPoint32W(dc, L"iiiii", 5, &narrow);
    GetTextExtentPoint32W(dc, L"MWM0W", 5, &broad);
    SelectObject(dc, was);
    ReleaseDC(state->activity.window, dc);
    EXPECT_EQ(narrow.cx, broad.cx) << "columns would not line up";
    // and shows the Chinese pages, not boxes
    EXPECT_NE(drawnPixels(state->activity.window, u"\u4E2D", state->activity.font),
              drawnPixels(state->activity.window, u"\u0378", state->activity.font));
    // terminal items follow the tab in front
    EXPECT_TRUE(menuState(kCmdRenameTerminal) & MF_GRAYED);
    EXPECT_TRUE(menuState(kCmdCloseTerminal) & MF_GRAYED);
    selectTab(*state, firstTerminalPage(state->pages));
    buildMenuBar(*state);
    EXPECT_FALSE(menuState(kCmdRenameTerminal) & MF_GRAYED);
    EXPECT_FALSE(menuState(kCmdCloseTerminal) & MF_GRAYED);
    // Help menu ticks
    SendMessageW(window, WM_COMMAND, kCmdHelp, 0);
    EXPECT_TRUE(menuState(kCmdHelp) & MF_CHECKED);
    EXPECT_FALSE(menuState(kCmdMcpHelp) & MF_CHECKED);
    SendMessageW(window, WM_COMMAND, kCmdAbout, 0);
    EXPECT_TRUE(menuState(kCmdAbout) & MF_CHECKED);
    EXPECT_EQ(firstTerminalPage(state->pages), 4);
    // the restart item is ticked and grey exactly when elevated
    bool elevated = isElevated();
    EXPECT_EQ((menuState(kCmdRestartElevated) & MF_CHECKED) != 0, elevated);
    EXPECT_EQ((menuState(kCmdRestartElevated) & MF_GRAYED) != 0, elevated);
}

std::wstring menuText(HMENU menu, UINT item, UINT by) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, item, text, 256, by);
    return text;
}

TEST_F(LocalWindow, LanguageSwitchRelabelsTheMenuBarAndEveryFixedTab) {
    SendMessageW(window, WM_COMMAND, kCmdHelp, 0);
    SendMessageW(window, WM_COMMAND, kCmdAbout, 0);
    // Items by their command, in Chinese and in English; then the menu bar and the tabs in each.
    const std::tuple<UINT, std::wstring, std::wstring> items[] = {
        {kCmdAddCustomTool, L"添加自定义工具(&A)…", L"&Add custom tool…"},
        {kCmdNewCmd, L"新建 CMD 终端(&M)\tCtrl+Shift+1", L"New C&MD terminal\tCtrl+Shift+1"},
        {kCmdNewNamedCmd, L"&CMD…", L"&CMD…"},
        {kCmdThemeSystem, L"跟随系统(&S)", L"Follow &system"},
        {1212, L"&4  12 pt", L"&4  12 pt"},
        {kCmdLanguageChinese, L"中文(&C)", L"中文(&C)"},
        {kCmdHelp, L"帮助(&H)", L"&Help"},
        {kCmdAbout, L"关于(&A)", L"&About"}};
    const std::vector<std::wstring> bars[] = {{L"设置(&S)", L"工具(&O)", L"终端(&T)", L"帮助(&H)"},
                                              {L"&Settings", L"T&ools", L"&Terminal", L"&Help"}};
    const std::vector<std::u16string> tabs[] = {{u"操作轨迹", u"助手", u"帮助", u"关于", u"CMD", u"PowerShell"},
                                                {u"Activity", u"Assistant", u"Help", u"About", u"CMD", u"PowerShell"}};
    for (int english : {1, 0}) {
        UpdateWindow(state->searchBox);
        SendMessageW(window, WM_COMMAND, english ? kCmdLanguageEnglish : kCmdLanguageChinese, 0);
        HMENU bar = GetMenu(window);
        ASSERT_EQ(GetMenuItemCount(bar), 4);
        for (UINT i = 0; i < 4; ++i) EXPECT_EQ(menuText(bar, i, MF_BYPOSITION), bars[english][i]);
        for (const auto& [id, zh, en] : items) EXPECT_EQ(menuText(bar, id, MF_BYCOMMAND), english ? en : zh);
        for (size_t i = 0; i < tabs[english].size(); ++i) EXPECT_EQ(tabLabel(int(i)), tabs[english][i]);
        // the search cue is due to be painted now, not at some later relayout
        EXPECT_TRUE(GetUpdateRect(state->searchBox, nullptr, FALSE));
    }
    // the font sizes offered, in order
    HMENU fonts = GetSubMenu(GetSubMenu(GetMenu(window), 0), 7);
    std::vector<std::wstring> sizes;
    for (int i = 0; i < GetMenuItemCount(fonts); ++i) sizes.push_back(menuText(fonts, UINT(i), MF_BYPOSITION));
    EXPECT_EQ(sizes, (std::vector<std::wstring>{L"&1  9 pt", L"&2  10 pt", L"&3  11 pt", L"&4  12 pt", L"&5  14 pt",
                                                L"&6  16 pt", L"&7  18 pt", L"&8  20 pt", L"&9  24 pt"}));
}

TEST_F(LocalWindow, ActivityDotComesWithReportsAndGoesWithTheTab) {
    selectTab(*state, 0);
    reportActivity(*state, u"> first", kActionBlue);
    EXPECT_EQ(tabLabel(0), u"操作轨迹");  // in front: no dot
    selectTab(*state, firstTerminalPage(state->pages));
    reportActivity(*state, u"> second\n", kFailureRed);
    EXPECT_EQ(tabLabel(0), u"操作轨迹 \u2022");
    EXPECT_EQ(lastActivityColor(), kFailureRed);
    SendMessageW(window, WM_COMMAND, kCmdLanguageEnglish, 0);
    EXPECT_EQ(tabLabel(0), u"Activity");
    reportActivity(*state, u"", kActionBlue);  // an empty report adds no line
    EXPECT_EQ(activityText(), u"> first\r\n> second\r\n");
    selectTab(*state, 0);
    EXPECT_EQ(tabLabel(0), u"Activity");
    wchar_t status[128] = {};
    SendMessageW(state->statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(status));
    EXPECT_STREQ(status, L"");
}

TEST_F(LocalWindow, LaunchingNotepadLogsItAndUpdatesRecent) {
    int64_t notepad = catalogIndex(u"builtin.notepad");
    ASSERT_GE(notepad, 0) << "Wine provides notepad.exe";
    launchTool(*state, notepad, false);
    std::u16string line = lastActivityLine();
    // The line names the program that runs: notepad.exe of the system folder, by its full path.
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    std::u16string expected = u"> [启动] 记事本 → " + fromWide(system) + u"\\notepad.exe (PID: ";
    EXPECT_EQ(line.rfind(expected, 0), 0u) << std::string(line.begin(), line.end());
    EXPECT_EQ(lastActivityColor(), kActionBlue);
    ASSERT_FALSE(state->settings.recents.empty());
    EXPECT_EQ(state->settings.recents.front(), u"builtin.notepad");
    EXPECT_NE(configText().find("\"recents\": [\"builtin.notepad\"]"), std::string::npos);
    EXPECT_EQ(tabLabel(0), u"操作轨迹 \u2022");
    endProcessById(pidInLine(line));
}

TEST_F(LocalWindow, FailuresAreRedLinesAndLaunchNothing) {
    ToolRecord missing;
    missing.id = u"custom.missing";
    missing.name = u"丢失的工具";
    missing.nameEn = u"Missing tool";
    missing.type = ToolType::Exe;
    missing.path = u"C:\\no\\such\\folder\\missing.exe";
    missing.isCustom = true;
    int64_t index = addTool(missing);
    launchTool(*state, index, false);
    EXPECT_EQ(lastActivityLine(), u"> [失败] 丢失的工具: 找不到目标");
    EXPECT_EQ(lastActivityColor(), kFailureRed);
    EXPECT_TRUE(state->settings.recents.empty());

    ToolRecord empty = missing;
    empty.path.clear();
    launchTool(*state, addTool(empty), false);
    EXPECT_EQ(lastActivityLine(), u"> [失败] 丢失的工具：无启动目标");

    // a download page that is no web address opens nothing
    ToolRecord external = missing;
    external.isCustom = false;
    external.isExternal = true;
    external.isInstalled = false;
    external.homepage = u"C:\\Windows\\System32\\notepad.exe";
    SendMessageW(window, WM_COMMAND, kCmdLanguageEnglish, 0);
    launchTool(*state, addTool(external), false);
    EXPECT_EQ(lastActivityLine(), u"> [Failed] Missing tool: target not found");
    EXPECT_EQ(lastActivityColor(), kFailureRed);

    // out of range and plain-http links do nothing
    std::u16string before = activityText();
    launchTool(*state, 100000, false);
    openDownloadPage(*state, -1);
    openSecureLink(*state, u"http://example.org/");
    EXPECT_EQ(activityText(), before);
    runToolById(*state, u"builtin.nothing-like-this");
    EXPECT_EQ(lastActivityLine(), u"Tool not found: builtin.nothing-like-this");
}

TEST_F(LocalWindow, CustomToolAddedThroughTheDialogsAndRemovedAgain) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring program = std::wstring(system) + L"\\notepad.exe";
    int answered = 0;
    std::thread answerer = answerInOrder({{wstr(uiText(kTextChooseProgramTitle)), IDOK, program},
                                          {wstr(uiText(kTextLaunchArgumentsTitle)), IDOK, L"/A readme.txt"}},
                                         &answered);
    SendMessageW(window, WM_COMMAND, kCmdAddCustomTool, 0);
    answerer.join();
    ASSERT_EQ(answered, 2);

    int64_t added = -1;
    for (size_t i = 0; i < state->catalog.tools.size(); ++i) {
        if (state->catalog.tools[i].isCustom && state->catalog.tools[i].path == fromWide(program.c_str())) {
            added = int64_t(i);
        }
    }
    ASSERT_GE(added, 0);
    const ToolRecord tool = state->catalog.tools[size_t(added)];
    EXPECT_EQ(tool.name, u"notepad");
    EXPECT_EQ(tool.args, u"/A readme.txt");
    EXPECT_EQ(tool.id.rfind(u"custom.ext-", 0), 0u);
    EXPECT_EQ(lastActivityLine(), u"> [已添加] notepad → " + fromWide(program.c_str()));
    std::string file = fileBytes(customTools.path);
    ASSERT_FALSE(file.empty());
    EXPECT_NE(file.find(std::string(tool.id.begin(), tool.id.end())), std::string::npos);

    removeCustomToolAt(*state, added);
    EXPECT_EQ(lastActivityLine(), u"> [已移除] notepad");
    for (const ToolRecord& left : state->catalog.tools) EXPECT_NE(left.id, tool.id);
    file = fileBytes(customTools.path);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file.find(std::string(tool.id.begin(), tool.id.end())), std::string::npos);
}

TEST_F(LocalWindow, CustomToolCancelAddsNothingAndAddingTwiceOrRemovingAsksFirst) {
    DeleteFileW(customTools.path.c_str());
    assembleCatalog(*state);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring program = std::wstring(system) + L"\\notepad.exe";
    auto customCount = [&] {
        int count = 0;
        for (const ToolRecord& tool : state->catalog.tools)
            if (tool.isCustom && CompareStringOrdinal(wstr(tool.path), -1, program.c_str(), -1, TRUE) == CSTR_EQUAL)
                ++count;
        return count;
    };
    auto run = [&](std::vector<DialogStep> steps, int command) {
        int answered = 0;
        const size_t wanted = steps.size();
        std::thread worker = answerInOrder(std::move(steps), &answered);
        SendMessageW(window, WM_COMMAND, command, 0);
        worker.join();
        return answered == int(wanted);
    };
    const std::wstring picker = wide(uiText(kTextChooseProgramTitle)), args = wide(uiText(kTextLaunchArgumentsTitle)),
                       again = wide(uiText(kTextAddCustomToolTitle));
    const std::u16string before = activityText();

    // Cancel in the arguments dialog adds nothing and says nothing.
    ASSERT_TRUE(run({{picker, IDOK, program}, {args, IDCANCEL, L"/x"}}, kCmdAddCustomTool));
    EXPECT_EQ(customCount(), 0);
    EXPECT_EQ(activityText(), before);

    ASSERT_TRUE(run({{picker, IDOK, program}, {args, IDOK, L""}}, kCmdAddCustomTool));
    ASSERT_EQ(customCount(), 1);
    // The same file again: the question comes first, and No adds nothing.
    ASSERT_TRUE(run({{picker, IDOK, program}, {again, IDNO, L""}}, kCmdAddCustomTool));
    EXPECT_EQ(customCount(), 1);

    int64_t added = -1;
    for (size_t i = 0; i < state->catalog.tools.size(); ++i)
        if (state->catalog.tools[i].isCustom) added = int64_t(i);
    ASSERT_GE(added, 0);
    const std::wstring remove = wide(uiText(kTextRemoveCustomToolTitle));
    state->navigation.state.contextTool = added;
    ASSERT_TRUE(run({{remove, IDNO, L""}}, kToolMenuRemove));
    EXPECT_EQ(customCount(), 1);
    state->navigation.state.contextTool = added;
    ASSERT_TRUE(run({{remove, IDYES, L""}}, kToolMenuRemove));
    EXPECT_EQ(customCount(), 0);
}

// Shrunk far below its least size, the window stops where the playbook's
// buttons still fit; a wide left pane narrows meanwhile and comes back after.
TEST_F(LocalWindow, MinimumSizeKeepsThePlaybookButtonsWhole) {
    ASSERT_FALSE(state->catalog.playbooks.empty());
    openPlaybookTab(state->playbook, state->catalog.playbooks, 0);
    state->splitter.width = 700;
    SetWindowPos(window, nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pump(100);
    RECT frame = {};
    GetWindowRect(window, &frame);
    EXPECT_GT(frame.right - frame.left, 500);
    EXPECT_GT(frame.bottom - frame.top, 300);
    RECT page = {};
    GetClientRect(state->playbook.window, &page);
    for (const PanelButton& button : state->playbook.buttons) {
        if (!button.visible) continue;
        EXPECT_LE(button.rect.right, page.right) << wide(button.label);
        EXPECT_LE(button.rect.bottom, page.bottom) << wide(button.label);
        EXPECT_GE(button.rect.top, 0) << wide(button.label);
    }
    EXPECT_GT(state->playbook.textBottom, 0);
    EXPECT_LT(windowWidth(state->tree), 700);
    RECT strip = {}, lastSegment = {};
    GetClientRect(state->segmentTabs, &strip);
    TabCtrl_GetItemRect(state->segmentTabs, TabCtrl_GetItemCount(state->segmentTabs) - 1, &lastSegment);
    EXPECT_LE(lastSegment.right, strip.right) << "every segment tab shows";
    SetWindowPos(window, nullptr, 0, 0, 1320, 840, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pump(100);
    EXPECT_EQ(windowWidth(state->tree), 700);
}

// The tab strip paints its whole body; a page under it would lose its scroll bar.
TEST_F(LocalWindow, PagesLieAboveTheTabStripSoTheirScrollBarsShow) {
    auto above = [&](HWND page) {
        for (HWND below = GetWindow(page, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT))
            if (below == state->pages.tabControl) return true;
        return false;
    };
    SendMessageW(window, WM_COMMAND, kCmdHelp, 0);  // opens a page after start-up
    SendMessageW(window, WM_COMMAND, kCmdNewCmd, 0);
    pump(300);
    EXPECT_TRUE(above(state->activity.window));
    EXPECT_TRUE(above(state->help.window));
    for (TerminalEntry& entry : state->terminals.terminals) EXPECT_TRUE(above(entry.terminal->editor));
}

TEST_F(LocalWindow, AboutPageFollowsThemeAndLanguage) {
    SendMessageW(window, WM_COMMAND, kCmdThemeDark, 0);
    SendMessageW(window, WM_COMMAND, kCmdAbout, 0);
    ASSERT_TRUE(hasPage(state->pages, PageKind::About));
    std::u16string text = fromWide(windowText(state->about.window).c_str());
    // the program named once, no frame, and nothing of editions or models this build lacks
    EXPECT_EQ(text.rfind(u"Wrenly  版本 2.0.1.23 （内部测试版）\r", 0), 0u) << wide(text);
    EXPECT_NE(text.find(u"离线搜索数据版本  0.0.1\r"), std::u16string::npos) << wide(text);
    for (const char16_t* absent : {u"│", u"┌", u"Wrenly  Wrenly", u"AI", u"大模型"})
        EXPECT_EQ(text.find(absent), std::u16string::npos) << wide(absent);
    EXPECT_EQ(state->about.backgroundColor, RGB(12, 12, 12));
    SendMessageW(window, WM_COMMAND, kCmdLanguageEnglish, 0);
    text = fromWide(windowText(state->about.window).c_str());
    EXPECT_EQ(text.rfind(u"Wrenly  Version 2.0.1.23 (internal test build)\r", 0), 0u);
    EXPECT_NE(text.find(u"Tool data version  "), std::u16string::npos);
    for (const char16_t* absent : {u"AI edition", u"LLM", u"online"})
        EXPECT_EQ(text.find(absent), std::u16string::npos);
    SendMessageW(window, WM_COMMAND, kCmdThemeLight, 0);
    EXPECT_EQ(state->about.backgroundColor, RGB(255, 255, 255));
    EXPECT_EQ(state->activity.textColor, RGB(27, 27, 27));
}

// Text written in a page's default colour follows a theme switch; coloured
// lines keep their hue, in the shade that reads on the page.
TEST_F(LocalWindow, PageTextInTheDefaultColourFollowsTheTheme) {
    auto colorOf = [](const LogPane& pane, const wchar_t* text) {
        CHARFORMAT2W format = formatOfText(pane.window, text);
        return (format.dwMask & CFM_COLOR) ? format.crTextColor : CLR_NONE;
    };
    SendMessageW(window, WM_COMMAND, kCmdThemeLight, 0);
    const COLORREF light = state->activity.textColor;
    appendLine(state->activity, u"plain-before-switch", light);
    appendLine(state->activity, u"blue-before-switch", kActionBlue);
    SendMessageW(window, WM_COMMAND, kCmdThemeDark, 0);
    const COLORREF dark = state->activity.textColor;
    ASSERT_NE(dark, light);
    EXPECT_EQ(colorOf(state->activity, L"plain-before-switch"), dark);
    EXPECT_GE(
        contrastRatio(toRgb(colorOf(state->activity, L"blue-before-switch")), toRgb(state->activity.backgroundColor)),
        kTextContrast);
    const std::u16string greeting = uiText(kTextAssistantIntro);
    EXPECT_EQ(colorOf(state->assistantOutput, wstr(greeting)), dark);
    SendMessageW(window, WM_COMMAND, kCmdThemeLight, 0);
    EXPECT_EQ(colorOf(state->activity, L"plain-before-switch"), light);
    EXPECT_EQ(colorOf(state->activity, L"blue-before-switch"), kActionBlue);
}

}  // namespace
