// The main window driven from the keyboard: keys are posted to the control
// with the focus and go through the same loop as the program's own, with the
// modifiers held in this thread's key state.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cwctype>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "data/text.h"
#include "platform/win_text.h"
#include "tests/e2e/local_window.h"
#include "tests/e2e/message_loop.h"
#include "ui/main_state.h"

namespace {

// Posts one key press to the focus and lets the loop handle it, the given
// modifiers held down meanwhile.
void press(WPARAM key, std::initializer_list<int> modifiers = {}) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE held[256];
    std::copy(std::begin(keys), std::end(keys), std::begin(held));
    bool alt = false;
    for (int modifier : modifiers) {
        held[modifier] = 0x80;
        alt = alt || modifier == VK_MENU;
    }
    SetKeyboardState(held);
    HWND focus = GetFocus();
    PostMessageW(focus, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, alt ? ((LPARAM(1) << 29) | 1) : 1);
    pump(60);
    SetKeyboardState(keys);
    PostMessageW(focus, alt ? WM_SYSKEYUP : WM_KEYUP, key, 0xC0000001);
    pump(20);
}

// The letter after a lone "&", upper-cased; 0 when there is none.
wchar_t accessKey(const std::wstring& label) {
    for (size_t i = 0; i + 1 < label.size(); ++i) {
        if (label[i] != L'&') continue;
        if (label[i + 1] != L'&') return wchar_t(std::towupper(label[i + 1]));
        ++i;
    }
    return 0;
}

std::string utf8(const std::wstring& text) { return wideToUtf8(fromWide(text.c_str(), text.size())); }

// Selects the first tree item, going into children first, whose data passes `wanted`.
bool selectFirst(HWND tree, const NavigationPane& navigation, const std::function<bool(int64_t)>& wanted) {
    for (HTREEITEM item = TreeView_GetRoot(tree); item;) {
        TreeView_SelectItem(tree, item);
        if (wanted(selectedItemData(navigation))) return true;
        HTREEITEM next = TreeView_GetChild(tree, item);
        for (; !next && item; item = TreeView_GetParent(tree, item)) next = TreeView_GetNextSibling(tree, item);
        item = next;
    }
    return false;
}

bool hasCjk(const std::wstring& text) {
    for (wchar_t c : text)
        if (c >= 0x3000) return true;
    return false;
}

// Labels in one menu each have a key of their own; labels in Chinese carry it
// as "(&X)", as Windows writes them. Separators come as empty labels.
void checkAccessKeys(const std::vector<std::wstring>& labels, const std::wstring& where) {
    std::set<wchar_t> seen;
    for (std::wstring label : labels) {
        if (label.empty()) continue;
        label = label.substr(0, label.find(L'\t'));
        const wchar_t key = accessKey(label);
        const std::string item = utf8(where + L" > " + label);
        EXPECT_NE(key, 0) << item << ": no access key";
        EXPECT_TRUE(seen.insert(key).second) << item << ": its key is taken in the same menu";
        if (hasCjk(label)) {
            EXPECT_NE(label.find(L"(&"), std::wstring::npos) << item << ": not written as (&X)";
        }
    }
}

std::wstring itemLabel(HMENU menu, int position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, UINT(position), text, 256, MF_BYPOSITION);
    return text;
}

std::vector<std::wstring> labelsOf(HMENU menu) {
    std::vector<std::wstring> labels;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) labels.push_back(itemLabel(menu, i));
    return labels;
}

// The menu and every submenu under it.
void checkMenuTree(HMENU menu, const std::wstring& where) {
    checkAccessKeys(labelsOf(menu), where);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU submenu = GetSubMenu(menu, i)) checkMenuTree(submenu, where + L" > " + itemLabel(menu, i));
    }
}

// The labels of the context menu the window opens, read while it is open.
std::vector<std::wstring> contextMenuLabels(HWND window) {
    return popupMenuLabels([window] { SendMessageW(window, WM_CONTEXTMENU, WPARAM(window), -1); });
}

class KeyboardWindow : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        SetForegroundWindow(window);
        pump(50);
    }
    HWND editorAt(int tab) { return state->pages.pages[size_t(tab)].window; }
};

TEST_F(KeyboardWindow, EveryMenuItemHasItsOwnAccessKeyInBothLanguages) {
    selectTab(*state, firstTerminalPage(state->pages));  // the terminal items as they show with a terminal in front
    for (int command : {kCmdLanguageEnglish, kCmdLanguageChinese}) {
        SendMessageW(window, WM_COMMAND, WPARAM(command), 0);
        const std::wstring language = command == kCmdLanguageEnglish ? L"en" : L"zh";
        checkMenuTree(GetMenu(window), language);
        const std::vector<std::wstring> terminalMenu = contextMenuLabels(cmd().editor);
        EXPECT_GE(terminalMenu.size(), 6u);
        checkAccessKeys(terminalMenu, language + L" terminal");
        // The tree's menu comes from the keyboard too (Shift+F10 sends no point), for the selected tool.
        selectFirst(state->tree, state->navigation, [](int64_t data) { return data >= 0; });
        const std::vector<std::wstring> toolMenu = contextMenuLabels(state->tree);
        EXPECT_GE(toolMenu.size(), 5u);
        checkAccessKeys(toolMenu, language + L" tool");
    }
}

TEST_F(KeyboardWindow, ShortcutsSwitchOpenAndCloseTabsAndMoveTheFocus) {
    const int cmdTab = firstTerminalPage(state->pages);
    selectTab(*state, cmdTab);
    ASSERT_EQ(GetFocus(), editorAt(cmdTab));
    struct Step {
        const char* what;
        WPARAM key;
        std::initializer_list<int> modifiers;
        std::function<bool()> holds;
    };
    auto focusIs = [](HWND control) { return [control] { return GetFocus() == control; }; };
    // So many terminals, the last of that kind, and the given tab in front (-1: any).
    auto terminals = [&](size_t count, ShellKind last, int front = -1) {
        return [this, count, last, front] {
            const auto& all = state->terminals.terminals;
            return all.size() == count && all.back().kind == last && (front < 0 || state->currentTab == front);
        };
    };
    const Step steps[] = {
        {"Ctrl+Tab from the editor", VK_TAB, {VK_CONTROL}, [&] { return state->currentTab == cmdTab + 1; }},
        {"Ctrl+Tab wraps", VK_TAB, {VK_CONTROL}, [&] { return state->currentTab == 0; }},
        {"Ctrl+Shift+Tab", VK_TAB, {VK_CONTROL, VK_SHIFT}, [&] { return state->currentTab == cmdTab + 1; }},
        {"Ctrl+Shift+1", '1', {VK_CONTROL, VK_SHIFT}, terminals(3, ShellKind::Cmd)},
        {"Ctrl+Shift+2", '2', {VK_CONTROL, VK_SHIFT}, terminals(4, ShellKind::PowerShell, cmdTab + 3)},
        {"Ctrl+Shift+W closes the terminal", 'W', {VK_CONTROL, VK_SHIFT}, terminals(3, ShellKind::Cmd)},
        {"Ctrl+L", 'L', {VK_CONTROL}, focusIs(state->searchBox)},
        {"F6 from the search box", VK_F6, {}, focusIs(state->tree)},
        {"F6 from the tree", VK_F6, {}, [&] { return GetFocus() == pageFocusTarget(*state) && GetFocus(); }},
        {"F6 from the page", VK_F6, {}, focusIs(state->searchBox)},
        {"Shift+F6 back", VK_F6, {VK_SHIFT}, [&] { return GetFocus() == pageFocusTarget(*state); }},
        {"Alt+D", 'D', {VK_MENU}, focusIs(state->searchBox)},
    };
    for (const Step& step : steps) {
        press(step.key, step.modifiers);
        EXPECT_TRUE(step.holds()) << step.what;
    }
    // Ctrl+L takes the search text whole, ready to be typed over.
    SetWindowTextW(state->searchBox, L"disk");
    SetFocus(state->tree);
    press('L', {VK_CONTROL});
    DWORD from = 0, to = 0;
    SendMessageW(state->searchBox, EM_GETSEL, WPARAM(&from), LPARAM(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 4u);
    // A page closes too, and the last terminal stays.
    SendMessageW(window, WM_COMMAND, kCmdHelp, 0);
    ASSERT_TRUE(hasPage(state->pages, PageKind::Help));
    press('W', {VK_CONTROL, VK_SHIFT});
    EXPECT_FALSE(hasPage(state->pages, PageKind::Help));
    for (int i = 0; i < 4; ++i) {
        selectTab(*state, firstTerminalPage(state->pages));
        press('W', {VK_CONTROL, VK_SHIFT});
    }
    EXPECT_EQ(int(state->terminals.terminals.size()), 1);
}

TEST_F(KeyboardWindow, FocusComesBackToTheTerminalAfterEveryDialog) {
    const int cmdTab = firstTerminalPage(state->pages);
    selectTab(*state, cmdTab);
    const HWND editor = editorAt(cmdTab);
    struct Dialog {
        const char* what;
        std::function<void()> open;
    };
    const Dialog dialogs[] = {
        {"find (Ctrl+F)", [] { press('F', {VK_CONTROL}); }},
        {"history search (Ctrl+R)", [] { press('R', {VK_CONTROL}); }},
        {"rename", [&] { SendMessageW(window, WM_COMMAND, kCmdRenameTerminal, 0); }},
        {"clear-history question", [&] { SendMessageW(window, WM_COMMAND, kCmdClearCommandHistory, 0); }},
    };
    for (const Dialog& dialog : dialogs) {
        SetFocus(editor);
        std::thread answer = answerQuestion(u"", dialog.what[0] == 'c' ? IDNO : IDCANCEL);
        dialog.open();
        answer.join();
        pump(50);
        EXPECT_EQ(GetFocus(), editor) << dialog.what;
    }
    // Another program taking the activation and giving it back does the same.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                 nullptr);
    SetForegroundWindow(other);
    pump(50);
    SetForegroundWindow(window);
    pump(50);
    EXPECT_EQ(GetFocus(), editor) << "after another window";
    DestroyWindow(other);
}

TEST_F(KeyboardWindow, TabDownAndEnterInTheLeftPane) {
    SetFocus(state->searchBox);
    struct Step {
        WPARAM key;
        std::initializer_list<int> modifiers;
        HWND focus;
    };
    const Step steps[] = {{VK_TAB, {}, state->segmentTabs},
                          {VK_TAB, {}, state->tree},
                          {VK_TAB, {}, state->searchBox},
                          {VK_TAB, {VK_SHIFT}, state->tree},
                          {VK_TAB, {VK_SHIFT}, state->segmentTabs}};
    for (const Step& step : steps) {
        press(step.key, step.modifiers);
        EXPECT_EQ(GetFocus(), step.focus);
    }
    // Typing in the search box fills the results; Down goes to the first of them.
    SetWindowTextW(state->searchBox, L"notepad");
    SetFocus(state->searchBox);
    TreeView_SelectItem(state->tree, nullptr);
    press(VK_DOWN);
    EXPECT_EQ(GetFocus(), state->tree);
    const int64_t first = selectedItemData(state->navigation);
    EXPECT_TRUE(first >= 0 || isPlaybookItem(first)) << "not on a result but on " << first;

    // Enter on a playbook opens it and on a tool starts it, as a click does.
    setSegment(state->navigation, kSegmentPlaybooks);
    SetFocus(state->tree);
    ASSERT_TRUE(selectFirst(state->tree, state->navigation, isPlaybookItem));
    press(VK_RETURN);
    EXPECT_TRUE(hasPage(state->pages, PageKind::Playbook));
    EXPECT_EQ(state->currentTab, pageIndex(state->pages, PageKind::Playbook));

    setSegment(state->navigation, kSegmentTools);
    SetFocus(state->tree);
    ASSERT_TRUE(selectFirst(state->tree, state->navigation, [&](int64_t data) {
        return data >= 0 && state->catalog.tools[size_t(data)].id == u"builtin.notepad";
    }));
    press(VK_RETURN);
    const std::wstring activity = windowText(state->activity.window);
    const size_t pid = activity.rfind(L"notepad.exe (PID: ");
    ASSERT_NE(pid, std::wstring::npos) << "Enter started no notepad";
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, DWORD(std::stoul(activity.substr(pid + 18))))) {
        TerminateProcess(process, 0);
        CloseHandle(process);
    }
}

}  // namespace
