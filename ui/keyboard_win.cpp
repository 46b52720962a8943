// The main window from the keyboard: the shortcut table, Tab, Down and Enter in
// the left pane, F6 between the panes, and the focus kept across dialogs.
#include "ui/keyboard.h"

#include <windows.h>
#include <commctrl.h>

#include <iterator>

#include "ui/main_state.h"
#include "ui/menus.h"
#include "ui/pages.h"

namespace {

// Windows' own terminal uses these: Ctrl+Tab and Ctrl+Shift+digit belong to the
// window, never to the shell. The terminal's editor keeps Ctrl+R, Ctrl+F, F3,
// Tab, Escape and the copy and paste keys: none of them is here.
constexpr ACCEL kShortcuts[] = {
    {FVIRTKEY | FCONTROL, VK_TAB, kCmdNextTab},
    {FVIRTKEY | FCONTROL | FSHIFT, VK_TAB, kCmdPreviousTab},
    {FVIRTKEY | FCONTROL | FSHIFT, '1', kCmdNewCmd},
    {FVIRTKEY | FCONTROL | FSHIFT, '2', kCmdNewPowerShell},
    {FVIRTKEY | FCONTROL | FSHIFT, 'W', kCmdCloseCurrentPage},
    {FVIRTKEY | FCONTROL, 'L', kCmdFocusSearch},
    {FVIRTKEY | FALT, 'D', kCmdFocusSearch},
    {FVIRTKEY, VK_F6, kCmdNextPane},
    {FVIRTKEY | FSHIFT, VK_F6, kCmdPreviousPane},
};

bool belongsToWindow(const MainState& state, HWND window) {
    return window && (window == state.window || IsChild(state.window, window));
}

bool modifierDown(int key) { return GetKeyState(key) < 0; }

void focusSearchBox(MainState& state) {
    if (!state.searchBox) return;
    SetFocus(state.searchBox);
    SendMessageW(state.searchBox, EM_SETSEL, 0, -1);
}

void switchTab(MainState& state, int step) {
    const int count = int(state.pages.pages.size());
    if (count <= 0) return;
    const int from = state.currentTab < 0 ? 0 : state.currentTab;
    selectTab(state, ((from + step) % count + count) % count);
    buildMenuBar(state);
}

// F6 walks search box, tree, page; the segment strip counts as the tree, and
// anything else (the page's own buttons included) as the page.
void cyclePanes(MainState& state, bool forward) {
    const HWND focus = GetFocus();
    int at = 2;
    if (focus == state.searchBox) at = 0;
    if (focus == state.tree || focus == state.segmentTabs) at = 1;
    switch ((at + (forward ? 1 : 2)) % 3) {
        case 0: focusSearchBox(state); break;
        case 1: SetFocus(state.tree); break;
        default:
            if (HWND page = pageFocusTarget(state)) SetFocus(page);
    }
}

// Tab and Shift+Tab go round the left pane's controls, as in a dialog.
bool tabInLeftPane(MainState& state, HWND from) {
    const HWND order[] = {state.searchBox, state.segmentTabs, state.tree};
    const int count = int(std::size(order));
    int at = 0;
    while (at < count && order[at] != from) ++at;
    if (at == count) return false;
    const int step = modifierDown(VK_SHIFT) ? count - 1 : 1;
    const HWND next = order[(at + step) % count];
    if (next == state.searchBox) {
        focusSearchBox(state);
    } else {
        SetFocus(next);
    }
    return true;
}

bool onLeftPaneKey(MainState& state, const MSG& message) {
    if (message.message != WM_KEYDOWN || modifierDown(VK_CONTROL) || modifierDown(VK_MENU)) return false;
    switch (message.wParam) {
        case VK_TAB: return tabInLeftPane(state, message.hwnd);
        case VK_DOWN:
            if (message.hwnd != state.searchBox) return false;
            focusTreeFromSearch(state.navigation);
            return true;
        case VK_RETURN:
            if (message.hwnd != state.tree) return false;
            return activateSelectedItem(state.navigation);
    }
    return false;
}

}  // namespace

HACCEL createShortcutTable() {
    ACCEL table[std::size(kShortcuts)];
    for (size_t i = 0; i < std::size(kShortcuts); ++i) table[i] = kShortcuts[i];
    return CreateAcceleratorTableW(table, int(std::size(table)));
}

HWND pageFocusTarget(const MainState& state) {
    const Page* page = pageAt(state.pages, state.currentTab);
    if (page && page->kind == PageKind::Assistant && state.assistant.input) return state.assistant.input;
    return currentPageWindow(state);
}

void restoreFocus(MainState& state) {
    if (!state.focus.firstFrameDrawn) return;  // the window keeps it until then
    // Used once: the focus may come to the window for other reasons later (a
    // focused control hidden), and the page in front is the place then.
    HWND target = state.focus.beforeDeactivate;
    state.focus.beforeDeactivate = nullptr;
    if (!target || !IsChild(state.window, target) || !IsWindowVisible(target) || !IsWindowEnabled(target)) {
        target = pageFocusTarget(state);
    }
    if (target) SetFocus(target);
}

bool runKeyboardCommand(MainState& state, int id) {
    switch (id) {
        case kCmdNextTab: switchTab(state, 1); return true;
        case kCmdPreviousTab: switchTab(state, -1); return true;
        case kCmdFocusSearch: focusSearchBox(state); return true;
        case kCmdNextPane: cyclePanes(state, true); return true;
        case kCmdPreviousPane: cyclePanes(state, false); return true;
    }
    return false;
}

bool takeMainWindowKey(MSG& message) {
    MainState* state = mainStateOf(GetAncestor(message.hwnd, GA_ROOT));
    if (!state || !belongsToWindow(*state, message.hwnd)) return false;
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
    if (state->accelerators && TranslateAcceleratorW(state->window, state->accelerators, &message)) return true;
    return onLeftPaneKey(*state, message);
}
