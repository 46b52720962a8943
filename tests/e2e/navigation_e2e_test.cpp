// The navigation pane, the Assistant, the playbook panel and the shell
// integration, driven through the real main window created in this process.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/data_pack.h"
#include "launcher/shell_integration.h"
#include "platform/win_handles.h"
#include "platform/win_text.h"
#include "tests/e2e/exe_process.h"
#include "tests/e2e/local_window.h"
#include "tests/e2e/message_loop.h"
#include "ui/glyph_table.h"
#include "ui/icon_glyphs.h"
#include "ui/main_state.h"
#include "ui/main_window.h"
#include "ui/ui_text.h"

namespace {

std::vector<std::u16string> linesOf(const std::wstring& text) {
    std::vector<std::u16string> lines;
    std::u16string current;
    for (wchar_t c : text) {
        if (c == L'\r' || c == L'\n') {
            if (!current.empty()) lines.push_back(current);
            current.clear();
        } else {
            current.push_back(char16_t(c));
        }
    }
    if (!current.empty()) lines.push_back(current);
    return lines;
}

struct TreeRow {
    std::u16string text;
    int64_t data;
    HTREEITEM item;
    int depth;
};

void collectRows(HWND tree, HTREEITEM first, int depth, std::vector<TreeRow>& rows) {
    for (HTREEITEM item = first; item; item = TreeView_GetNextSibling(tree, item)) {
        wchar_t text[512] = {};
        TVITEMW data = {};
        data.mask = TVIF_TEXT | TVIF_PARAM;
        data.hItem = item;
        data.pszText = text;
        data.cchTextMax = 512;
        TreeView_GetItem(tree, &data);
        rows.push_back({fromWide(text), int64_t(data.lParam), item, depth});
        collectRows(tree, TreeView_GetChild(tree, item), depth + 1, rows);
    }
}

class NavigationWindow : public ::testing::Test {
protected:
    KeptFile config{appDataFile(L"config.json")};
    HWND window = nullptr;
    MainState* state = nullptr;

    void SetUp() override {
        DeleteFileW(config.path.c_str());
        useTheExesDataPacks();
        window = createLocalMainWindow(0, 0, 300);
        state = mainStateOf(window);
    }
    void TearDown() override { destroyLocalMainWindow(window); }

    std::vector<TreeRow> rows() {
        std::vector<TreeRow> all;
        collectRows(state->tree, TreeView_GetRoot(state->tree), 0, all);
        return all;
    }
    // A header's icon and its gap as the tree shows them: nothing where the fonts lack the icon.
    std::u16string icon(const char16_t* glyph) {
        return iconDrawable(state->tree, glyph) ? std::u16string(glyph) + u" " : std::u16string();
    }
    std::vector<std::u16string> topTexts() {
        std::vector<std::u16string> texts;
        for (const auto& row : rows()) {
            if (row.depth == 0) texts.push_back(row.text);
        }
        return texts;
    }
    const TreeRow* findRow(int64_t data) {
        static std::vector<TreeRow> last;
        last = rows();
        for (const auto& row : last) {
            if (row.data == data) return &row;
        }
        return nullptr;
    }
    void typeSearch(const wchar_t* text) {
        SetWindowTextW(state->searchBox, text);
        pump(50);
    }
    // Moves the pointer over the row holding the data: its item, and its centre in tree coordinates.
    HTREEITEM pointAt(int64_t data, POINT& centre) {
        const TreeRow* row = findRow(data);
        if (!row) return nullptr;
        TreeView_EnsureVisible(state->tree, row->item);
        RECT rect = {};
        std::memcpy(&rect, &row->item, sizeof row->item);  // the item goes in, its rectangle comes out
        SendMessageW(state->tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        POINT screen = centre;
        ClientToScreen(state->tree, &screen);
        SetCursorPos(screen.x, screen.y);
        return row->item;
    }
    // The pointer over the item, then the tree's notification as the control sends it.
    LRESULT treeNotify(int64_t data, UINT code) {
        POINT centre;
        HTREEITEM item = pointAt(data, centre);
        if (!item) return -1;
        if (code == NM_DBLCLK) TreeView_SelectItem(state->tree, item);
        NMHDR header = {state->tree, UINT_PTR(GetDlgCtrlID(state->tree)), code};
        const LRESULT result = SendMessageW(window, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
        pump(50);
        return result;
    }
    // The tool context menu, read while it is open and then dismissed.
    std::vector<std::u16string> contextMenu(int64_t tool) {
        std::vector<std::u16string> labels;
        for (const std::wstring& label : popupMenuLabels([&] { treeNotify(tool, NM_RCLICK); }))
            labels.push_back(fromWide(label.c_str()));
        EXPECT_EQ(state->navigation.state.contextTool, tool);
        return labels;
    }
    template <typename Record>
    static int64_t indexOf(const std::vector<Record>& records, const std::u16string& id) {
        for (size_t i = 0; i < records.size(); ++i) {
            if (records[i].id == id) return int64_t(i);
        }
        return -1;
    }
    int64_t toolIndex(const std::u16string& id) { return indexOf(state->catalog.tools, id); }
    int64_t playbookIndex(const std::u16string& id) { return indexOf(state->catalog.playbooks, id); }
    std::vector<std::u16string> assistantLines() { return linesOf(windowText(state->assistantOutput.window)); }
    void askAssistant(const wchar_t* query) {
        SetWindowTextW(state->assistant.input, query);
        SendMessageW(state->assistant.input, WM_KEYDOWN, VK_RETURN, 0);
        pump(50);
    }
    void clickPanel(int slot) {
        const RECT& r = state->playbook.buttons[size_t(slot)].rect;
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageW(state->playbook.window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(state->playbook.window, WM_LBUTTONUP, 0, at);
        pump(50);
    }
};

TEST_F(NavigationWindow, SearchBoxSwitchesToResultsAndBack) {
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(topTexts().back(), icon(u"\U0001F4E6") + u"自定义工具 (0)");
    typeSearch(L"c");
    EXPECT_EQ(state->navigation.state.segment, 2);
    EXPECT_EQ(TabCtrl_GetCurSel(state->segmentTabs), 2);
    std::vector<std::u16string> top = topTexts();
    ASSERT_GE(top.size(), 3u);
    EXPECT_EQ(top[0], u"↩ 全部工具");
    EXPECT_EQ(top[1], u"↩ 全部剧本");
    typeSearch(L"");
    EXPECT_EQ(state->navigation.state.segment, 0);
    EXPECT_EQ(TabCtrl_GetCurSel(state->segmentTabs), 0);
    EXPECT_EQ(topTexts().back(), icon(u"\U0001F4E6") + u"自定义工具 (0)");

    // Results by hand with an empty box: two "↩" and the hint; "↩" goes back.
    TabCtrl_SetCurSel(state->segmentTabs, 2);
    NMHDR change = {state->segmentTabs, UINT_PTR(GetDlgCtrlID(state->segmentTabs)), UINT(TCN_SELCHANGE)};
    SendMessageW(window, WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(topTexts(), (std::vector<std::u16string>{u"↩ 全部工具", u"↩ 全部剧本", uiText(kTextNoMatch)}));
    treeNotify(kNavAllPlaybooksItem, NM_CLICK);
    EXPECT_EQ(state->navigation.state.segment, 1);
    EXPECT_EQ(topTexts().size(), state->catalog.playbooks.size());
}

// Icons the fonts lack are left out, not drawn as boxes: every icon still
// shown draws otherwise than a character no font has; headers keep their counts.
TEST_F(NavigationWindow, IconsTheFontsCannotDrawAreLeftOutAndCountsStay) {
    ASSERT_NE(state, nullptr);
    // Characters no font has, one of each UTF-16 length.
    const std::vector<uint32_t> boxes[] = {drawnPixels(state->tree, u"\u0378"),
                                           drawnPixels(state->tree, u"\U0010FFFD")};
    std::vector<TreeRow> all = rows();
    setSegment(state->navigation, kSegmentPlaybooks);
    for (const TreeRow& row : rows()) all.push_back(row);
    setSegment(state->navigation, kSegmentTools);
    for (size_t i = 0; i < all.size(); ++i) {
        const TreeRow& row = all[i];
        const std::u16string symbol = leadingSymbol(row.text);
        if (!symbol.empty()) {
            const std::vector<uint32_t>& box = boxes[symbol.size() > 1 && symbol[0] >= 0xD800 && symbol[0] <= 0xDBFF];
            EXPECT_NE(drawnPixels(state->tree, symbol), box) << "drawn as a box at row " << i;
        }
        if (row.depth == 0 && row.data == kNavHeaderItem) {
            size_t children = 0;
            for (size_t k = i + 1; k < all.size() && all[k].depth > 0; ++k) children += all[k].depth == 1;
            const std::u16string count = u"(" + fromWide(std::to_wstring(children).c_str()) + u")";
            EXPECT_EQ(row.text.substr(row.text.size() - count.size()), count);
        }
    }
}

TEST_F(NavigationWindow, RealMouseClicksRebuildTheTreeSafely) {
    ASSERT_NE(state, nullptr);
    typeSearch(L"zzzz-nothing");
    auto realClick = [this](int64_t data) {
        POINT centre;
        if (!pointAt(data, centre)) return false;
        PostMessageW(state->tree, WM_LBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
        SendMessageW(state->tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(centre.x, centre.y));
        pump(100);
        return true;
    };
    ASSERT_TRUE(realClick(kNavAllPlaybooksItem));
    EXPECT_EQ(state->navigation.state.segment, 1);
    EXPECT_EQ(windowText(state->searchBox), L"");
    ASSERT_TRUE(realClick(playbookItemData(0)));
    EXPECT_TRUE(hasPage(state->pages, PageKind::Playbook));
    closePlaybookTab(state->playbook);
    EXPECT_FALSE(hasPage(state->pages, PageKind::Playbook));
}

TEST_F(NavigationWindow, FavoritesRecentsAndTheContextMenu) {
    ASSERT_NE(state, nullptr);
    const int64_t cmd = toolIndex(u"builtin.cmd");
    ASSERT_GE(cmd, 0);
    state->navigation.state.contextTool = cmd;
    SendMessageW(window, WM_COMMAND, kToolMenuFavorite, 0);
    EXPECT_EQ(state->settings.favorites, (std::vector<std::u16string>{u"builtin.cmd"}));
    EXPECT_EQ(topTexts().front(), icon(u"\u2B50") + u"收藏夹 (1)");
    EXPECT_NE(fileBytes(config.path).find("builtin.cmd"), std::string::npos);

    // The menu as shown; which entries each kind of tool gets is the navigation model's.
    EXPECT_EQ(contextMenu(cmd),
              (std::vector<std::u16string>{uiText(kTextLaunch), uiText(kTextRunAsAdministrator),
                                           uiText(kTextOpenFileLocation), u"", uiText(kTextRemoveFromFavorites),
                                           uiText(kTextAddToDesktop), uiText(kTextPinToTaskbar)}));
    SendMessageW(window, WM_COMMAND, kToolMenuFavorite, 0);
    EXPECT_TRUE(state->settings.favorites.empty());
    EXPECT_NE(topTexts().front(), icon(u"\u2B50") + u"收藏夹 (0)");

    // Launches from the tree and from elsewhere both lead the recent list.
    for (const char16_t* id : {u"e2e.quiet0", u"e2e.quiet1"}) {
        ToolRecord tool;
        tool.id = tool.name = id;
        tool.path = u"cmd.exe";
        tool.args = u"/c exit";
        tool.type = ToolType::Exe;
        tool.isCustom = true;
        state->catalog.tools.push_back(tool);
    }
    rebuildTree(state->navigation);
    const int64_t quiet = int64_t(state->catalog.tools.size() - 2);
    EXPECT_NE(treeNotify(quiet, NM_CLICK), -1);  // single-click mode launches from the tree
    state->navigation.launchTool(uint64_t(quiet + 1), false);
    EXPECT_EQ(state->settings.recents, (std::vector<std::u16string>{u"e2e.quiet1", u"e2e.quiet0"}));
    EXPECT_EQ(topTexts()[0], icon(u"\U0001F558") + u"最近使用 (2)");
}

TEST_F(NavigationWindow, AssistantAnswersAndHandsOver) {
    ASSERT_NE(state, nullptr);
    askAssistant(L"  上不了网  ");
    std::vector<std::u16string> lines = assistantLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[2], u"\u203A 上不了网");
    std::u16string related = uiText(kTextRelatedPlaybooks);  // its icon only where the pane's fonts draw it
    const std::u16string bulb = leadingSymbol(related);
    if (!iconDrawable(state->assistantOutput.window, bulb)) related.erase(0, bulb.size() + 1);
    EXPECT_EQ(lines[3].rfind(related + u"上不了网", 0), 0u);
    EXPECT_EQ(state->navigation.state.segment, 2);
    EXPECT_TRUE(state->navigation.state.assistantOverride);
    EXPECT_EQ(windowText(state->assistant.input), L"");
    std::vector<TreeRow> all = rows();
    ASSERT_GE(all.size(), 4u);
    EXPECT_EQ(all[2].text, icon(u"\U0001F9ED") + u"排障剧本 (1)");
    EXPECT_EQ(all[3].data, playbookItemData(size_t(playbookIndex(u"net.no-internet"))));

    // Blank input changes nothing.
    SetWindowTextW(state->assistant.input, L"   ");
    SendMessageW(state->assistant.input, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(windowText(state->assistant.input), L"   ");
    EXPECT_EQ(assistantLines().size(), lines.size());

    askAssistant(L"qqqzzzxxx");
    lines = assistantLines();
    // Nothing matches: the general tools go to Results and every playbook is named.
    EXPECT_NE(std::find(lines.begin(), lines.end(), u"\u203A qqqzzzxxx"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), uiText(kTextNoExactMatch)), lines.end());
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::u16string& line) {
        return line.find(u"上不了网、电脑很卡、") != std::u16string::npos;
    }));
    EXPECT_NE(topTexts().back(), uiText(kTextNoMatch));
}

TEST_F(NavigationWindow, PlaybookPanelWalksFillsAndCopies) {
    ASSERT_NE(state, nullptr);
    setUiLanguage(1);
    const int64_t k = playbookIndex(u"net.no-internet");
    ASSERT_GE(k, 0);
    setSegment(state->navigation, 1);
    treeNotify(playbookItemData(size_t(k)), NM_CLICK);
    ASSERT_TRUE(hasPage(state->pages, PageKind::Playbook));
    EXPECT_EQ(TabCtrl_GetCurSel(state->pages.tabControl), 2);
    // The panel shows the walk's content (its lines and buttons are the walk model's).
    ASSERT_GE(state->playbook.lines.size(), 6u);
    EXPECT_EQ(state->playbook.lines[4].text.rfind(u"      [Tool] Network Connections", 0), 0u);  // its name, not its id
    EXPECT_FALSE(state->playbook.buttons[0].enabled);

    // Plain lines follow a theme change; the coloured ones keep their colours.
    for (int command : {1023, 1022}) {
        runMenuCommand(*state, command);
        EXPECT_EQ(state->playbook.lines[1].color, state->theme.colors.terminalText) << command;
        EXPECT_EQ(state->playbook.lines[0].color, COLORREF(0xDC6824)) << command;
    }

    clickPanel(1);
    clickPanel(1);
    EXPECT_EQ(state->playbook.current, 2);
    EXPECT_EQ(state->playbook.buttons[5].label, u"Ping fails");
    EXPECT_EQ(state->playbook.buttons[6].label, u"OK");

    clickPanel(3);  // Copy cmd
    std::u16string clip;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            clip = fromWide(static_cast<const wchar_t*>(GlobalLock(data)));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    EXPECT_EQ(clip, u"ping -n 4 {gateway}");

    clickPanel(2);  // Run step fills the first CMD terminal without running it
    ASSERT_FALSE(state->terminals.terminals.empty());
    const Terminal& cmd = *state->terminals.terminals[0].terminal;
    const std::wstring editor = windowText(cmd.editor);
    EXPECT_EQ(editor.substr(editor.size() - 19), L"ping -n 4 {gateway}");
    EXPECT_EQ(TabCtrl_GetCurSel(state->pages.tabControl), firstTerminalPage(state->pages));
    EXPECT_EQ(
        fromWide(windowText(state->activity.window).c_str()).find(uiText(kTextCommandFilled)) != std::u16string::npos,
        true);

    selectTab(*state, 2);
    clickPanel(5);  // "Ping fails" goes back to step 1
    EXPECT_EQ(state->playbook.current, 0);
    // A tool this machine lacks (Wine has no ncpa.cpl; elsewhere marked so) is
    // named and said to be missing, and its step cannot be run.
    for (ToolRecord& tool : state->catalog.tools)
        if (tool.id == u"builtin.ncpa") tool.isInstalled = false;
    rebuildPanel(state->playbook);
    EXPECT_EQ(state->playbook.lines[4].text, u"      [Tool] Network Connections" + uiText(kTextToolNotHere));
    EXPECT_FALSE(state->playbook.buttons[2].enabled);
    // Previous goes back the way the walk came: to the step the branch left.
    clickPanel(0);
    EXPECT_EQ(state->playbook.current, 2);

    clickPanel(4);  // Close
    EXPECT_FALSE(hasPage(state->pages, PageKind::Playbook));
    EXPECT_EQ(TabCtrl_GetCurSel(state->pages.tabControl), firstTerminalPage(state->pages));
    setUiLanguage(0);
}

// The walk reads what its commands printed. A stand-in prints real Windows
// ipconfig /all output (IPv6 gateway first); its gateway only fills the next
// step, which is replaced before Enter: the one ping goes to the loopback address.
TEST_F(NavigationWindow, PlaybookReadsItsCommandsOutput) {
    ASSERT_NE(state, nullptr);
    setUiLanguage(1);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring sample = std::wstring(temp) + L"toolkeep-ipconfig.txt";
    std::ofstream(sample.c_str(), std::ios::binary)
        << "Ethernet adapter Ethernet:\r\n\r\n   IPv4 Address. . . . . . . . . . . : 192.168.1.23(Preferred)\r\n"
           "   Default Gateway . . . . . . . . . : fe80::1%12\r\n"
           "                                       192.168.1.1\r\n";
    std::vector<Playbook> books = {state->catalog.playbooks[size_t(playbookIndex(u"net.no-internet"))]};
    books[0].steps[1].command = u"type \"" + fromWide(sample.c_str()) + u"\"";
    openPlaybookTab(state->playbook, books, 0);
    Terminal& cmd = *state->terminals.terminals[0].terminal;
    ASSERT_TRUE(waitUntil(20000, [&] { return probeTerminal(cmd).atShellPrompt; }));
    // Run step fills the input line (values filled in); the line entered instead, when given, replaces it.
    auto runStep = [&](const std::u16string& filled, const std::u16string& entered) {
        clickPanel(2);
        EXPECT_TRUE(fromWide(windowText(cmd.editor).c_str()).ends_with(filled));
        if (!entered.empty()) replaceInput(cmd, entered);
        submitInput(cmd);
        return waitUntil(20000, [&] { return currentPanelReading(state->playbook) != nullptr; });
    };
    auto shown = [&](const std::u16string& line) {
        std::u16string all;
        for (const PanelLine& l : state->playbook.lines) all += l.text + u"\n";
        return all.find(line) != std::u16string::npos;
    };
    clickPanel(1);
    ASSERT_TRUE(runStep(books[0].steps[1].command, {}));
    EXPECT_TRUE(shown(uiTextWith(kTextCapturedFromStep, {u"gateway", u"192.168.1.1", u"2"})));
    clickPanel(1);
    EXPECT_TRUE(shown(uiTextWith(kTextFillsAs, {u"ping -n 4 192.168.1.1"})));
    ASSERT_TRUE(runStep(u"ping -n 4 192.168.1.1", u"ping -n 4 127.0.0.1"));
    const StepReading& ping = *currentPanelReading(state->playbook);
    EXPECT_TRUE(ping.outcome == StepOutcome::Ok && ping.matched.find(u"127.0.0.1") != std::u16string::npos);
    EXPECT_TRUE(state->playbook.buttons[6].suggested && !state->playbook.buttons[5].suggested);
    DeleteFileW(sample.c_str());
    setUiLanguage(0);
}

TEST_F(NavigationWindow, DesktopShortcutsReadBack) {
    ASSERT_NE(state, nullptr);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"toolkeep-nav-shortcuts";
    CreateDirectoryW(folder.c_str(), nullptr);

    // A program on the search path: the link names its full path, folder and icon.
    const int64_t cmd = toolIndex(u"builtin.cmd");
    ASSERT_GE(cmd, 0);
    const ToolRecord& tool = state->catalog.tools[size_t(cmd)];
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring expectedTarget = std::wstring(system) + L"\\cmd.exe";
    struct LinkFields {
        std::wstring path, arguments, directory, icon;
    };
    auto readLink = [](const std::wstring& link, LinkFields& fields) {
        ScopedComPtr<IShellLinkW> shell;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(shell.out())))) {
            return false;
        }
        ScopedComPtr<IPersistFile> file;
        if (FAILED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.out())))) return false;
        if (FAILED(file->Load(link.c_str(), STGM_READ))) return false;
        wchar_t text[MAX_PATH * 2] = {};
        int iconIndex = 0;
        auto take = [&text](std::wstring& field, HRESULT read) {
            field = SUCCEEDED(read) ? text : L"";
            text[0] = 0;
        };
        take(fields.path, shell->GetPath(text, MAX_PATH, nullptr, 0));
        take(fields.arguments, shell->GetArguments(text, MAX_PATH * 2));
        take(fields.directory, shell->GetWorkingDirectory(text, MAX_PATH));
        take(fields.icon, shell->GetIconLocation(text, MAX_PATH, &iconIndex));
        return true;
    };
    ASSERT_TRUE(writeToolShortcut(tool, fromWide(folder.c_str())));
    const std::wstring link = folder + L"\\" + std::wstring(wstr(tool.name)) + L".lnk";
    LinkFields fields;
    ASSERT_TRUE(readLink(link, fields));
    EXPECT_EQ(lstrcmpiW(fields.path.c_str(), expectedTarget.c_str()), 0) << fields.path;
    EXPECT_EQ(lstrcmpiW(fields.directory.c_str(), system), 0) << fields.directory;
    EXPECT_EQ(lstrcmpiW(fields.icon.c_str(), expectedTarget.c_str()), 0) << fields.icon;
    // The same shortcut again stays one file; a file of the user's by that name is never replaced.
    const std::wstring numbered = folder + L"\\" + std::wstring(wstr(tool.name)) + L" (2).lnk";
    DeleteFileW(numbered.c_str());
    const std::string linkBytes = fileBytes(link);
    ASSERT_TRUE(writeToolShortcut(tool, fromWide(folder.c_str())));
    EXPECT_EQ(GetFileAttributesW(numbered.c_str()), INVALID_FILE_ATTRIBUTES);
    std::ofstream(link.c_str(), std::ios::binary | std::ios::trunc) << "the user's own file";
    ASSERT_TRUE(writeToolShortcut(tool, fromWide(folder.c_str())));
    EXPECT_EQ(fileBytes(link), "the user's own file");
    EXPECT_EQ(fileBytes(numbered), linkBytes);
    DeleteFileW(numbered.c_str());
    DeleteFileW(link.c_str());

    // A console: mmc.exe with the quoted console path as its arguments.
    ToolRecord services;  // from the pack: the catalog lists only consoles this machine has
    for (const auto& record : loadBuiltinTools()) {
        if (record.id == u"builtin.services") services = record;
    }
    ASSERT_EQ(services.id, u"builtin.services");
    ASSERT_TRUE(writeToolShortcut(services, fromWide(folder.c_str())));
    const std::wstring servicesLink = folder + L"\\" + std::wstring(wstr(services.name)) + L".lnk";
    ASSERT_TRUE(readLink(servicesLink, fields));
    EXPECT_EQ(fields.arguments, L"\"" + std::wstring(system) + L"\\services.msc\"");
    DeleteFileW(servicesLink.c_str());

    ToolRecord uri;
    uri.name = u"截图: 新?";
    uri.type = ToolType::Url;
    uri.path = u"ms-screenclip:";
    ASSERT_TRUE(writeToolShortcut(uri, fromWide(folder.c_str())));
    const std::wstring url = folder + L"\\截图_ 新_.url";
    EXPECT_EQ(fileBytes(url), "[InternetShortcut]\r\nURL=ms-screenclip:\r\n");
    DeleteFileW(url.c_str());

    // Through the menu command: the desktop gets the file and the user a message.
    const std::wstring desktop(wstr(desktopFolder()));
    ASSERT_FALSE(desktop.empty());
    state->navigation.state.contextTool = cmd;
    SetTimer(nullptr, 0, 500, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        if (HWND box = FindWindowW(L"#32770", nullptr)) PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(window, WM_COMMAND, kToolMenuDesktop, 0);
    const std::wstring onDesktop = desktop + L"\\" + std::wstring(wstr(tool.name)) + L".lnk";
    EXPECT_NE(GetFileAttributesW(onDesktop.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(onDesktop.c_str());

    // A URI tool cannot be pinned: the explanation, and no file to show.
    ToolRecord uriTool = uri;
    uriTool.id = u"e2e.uri";
    state->catalog.tools.push_back(uriTool);
    state->navigation.state.contextTool = int64_t(state->catalog.tools.size() - 1);
    static std::wstring boxText;
    boxText.clear();
    SetTimer(nullptr, 0, 500, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        HWND box = FindWindowW(L"#32770", nullptr);
        if (!box) return;
        EnumChildWindows(
            box,
            [](HWND child, LPARAM) {
                wchar_t name[32] = {};
                GetClassNameW(child, name, 32);
                if (lstrcmpiW(name, L"Static") == 0 && GetWindowTextLengthW(child) > 20) boxText = windowText(child);
                return TRUE;
            },
            0);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(window, WM_COMMAND, kToolMenuPin, 0);
    EXPECT_EQ(fromWide(boxText.c_str()), uiText(kTextPinBlocked));
}

}  // namespace
