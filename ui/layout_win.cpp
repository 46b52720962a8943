// Placing the children at the window's DPI, and the splitter between the panes.
#include "ui/layout.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "platform/win_dpi.h"
#include "ui/main_state.h"
#include "ui/settings_change.h"

namespace {

constexpr int kSplitterWidth = 6;
constexpr int kMinLeftPane = 150;
// The right pane's least width at 96 DPI: the playbook panel's five buttons
// (5 x 98 + 6 x 6 = 526) inside the tab page's frame.
constexpr int kRightReserve = 540;
// The least client height at 96 DPI: tab strip, a few playbook lines, both button rows and the status bar.
constexpr int kMinClientHeight = 340;

// A child already in place is left alone: under Wine even a move to where it
// is costs a round of messages, and the layout runs on every size change.
void place(HWND window, int x, int y, int width, int height) {
    if (!window) return;
    width = std::max(width, 0);
    height = std::max(height, 0);
    RECT now;
    GetWindowRect(window, &now);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&now), 2);
    if (now.left == x && now.top == y && now.right - now.left == width && now.bottom - now.top == height) return;
    MoveWindow(window, x, y, width, height, TRUE);
}

int rightReserve(int dpi) { return MulDiv(kRightReserve, dpi, 96); }

// The left pane's least width at which the segment strip shows all its tabs
// (it sits 2 pixels in from either side), else the splitter's own least width.
int leastLeftPane(const MainState& state) {
    int tabs = 0;
    RECT item;
    const int count = state.segmentTabs ? TabCtrl_GetItemCount(state.segmentTabs) : 0;
    for (int i = 0; i < count; ++i)
        if (TabCtrl_GetItemRect(state.segmentTabs, i, &item)) tabs += item.right - item.left;
    return std::max(kMinLeftPane, tabs + 8);
}

int statusBarHeight(const MainState& state) {
    if (!state.statusBar) return 0;
    RECT bounds;
    GetWindowRect(state.statusBar, &bounds);
    return bounds.bottom - bounds.top;
}

}  // namespace

void layoutWindow(MainState& state) {
    if (!state.window) return;
    int dpi = windowDpi(state.window);
    int searchHeight = MulDiv(30, dpi, 96);
    int segmentHeight = MulDiv(26, dpi, 96);
    RECT client;
    GetClientRect(state.window, &client);
    if (state.statusBar) SendMessageW(state.statusBar, WM_SIZE, 0, 0);
    int statusHeight = statusBarHeight(state);
    const int leftWidth = shownLeftWidth(state);
    place(state.searchBox, 2, 2, leftWidth - 4, searchHeight);
    place(state.segmentTabs, 2, searchHeight + 6, leftWidth - 4, segmentHeight);
    int treeTop = searchHeight + 8 + segmentHeight;
    place(state.tree, 0, treeTop, leftWidth, client.bottom - statusHeight - treeTop);
    layoutRightPane(state);
}

void layoutRightPane(MainState& state) {
    if (!state.window || !state.pages.tabControl) return;
    RECT client;
    GetClientRect(state.window, &client);
    int statusHeight = statusBarHeight(state);
    int left = shownLeftWidth(state) + kSplitterWidth;
    int width = client.right - left;
    int height = client.bottom - statusHeight;
    // The tab strip lies under its pages: it paints its whole body, and a
    // page below it would lose its scroll bar to that paint.
    SetWindowPos(state.pages.tabControl, HWND_BOTTOM, left, 0, std::max(width, 0), std::max(height, 0), SWP_NOACTIVATE);

    RECT page = {0, 0, std::max(width, 0), std::max(height, 0)};
    TabCtrl_AdjustRect(state.pages.tabControl, FALSE, &page);
    OffsetRect(&page, left, 0);
    int pageWidth = page.right - page.left;
    int pageHeight = page.bottom - page.top;

    for (HWND pane : {state.activity.window, state.help.window, state.about.window, state.playbook.window}) {
        place(pane, page.left, page.top, pageWidth, pageHeight);
    }
    for (TerminalEntry& entry : state.terminals.terminals) {
        if (entry.terminal) place(entry.terminal->editor, page.left, page.top, pageWidth, pageHeight);
    }

    int inputHeight = MulDiv(28, state.assistant.input ? windowDpi(state.assistant.input) : 96, 96);
    place(state.assistantOutput.window, page.left, page.top, pageWidth, pageHeight - inputHeight - 4);
    place(state.assistant.input, page.left, page.bottom - inputHeight, pageWidth, inputHeight);

    if (state.playbook.window) {
        layoutPlaybookPanel(state.playbook, pageWidth, pageHeight);
        InvalidateRect(state.playbook.window, nullptr, TRUE);
    }
}

int clampLeftWidth(int x, int clientWidth, int dpi) {
    int most = std::max(clientWidth - kSplitterWidth - rightReserve(dpi), kMinLeftPane);
    return std::clamp(x, kMinLeftPane, most);
}

int shownLeftWidth(const MainState& state) {
    RECT client;
    GetClientRect(state.window, &client);
    return clampLeftWidth(state.splitter.width, client.right, windowDpi(state.window));
}

bool splitterHit(const MainState& state, int x) {
    const int left = shownLeftWidth(state);
    return x >= left && x < left + kSplitterWidth;
}

bool onSplitterSetCursor(MainState& state) {
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(state.window, &point);
    if (!state.splitter.dragging && !splitterHit(state, point.x)) return false;
    SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
    return true;
}

void onSplitterButtonDown(MainState& state, int x) {
    if (!splitterHit(state, x)) return;
    state.splitter.dragging = true;
    SetCapture(state.window);
}

// Only a move with the left button held drags: the window manager also sends the
// capturing window moves of its own (after windows change under the pointer), and
// those carry no button.
void onSplitterMouseMove(MainState& state, int x, WPARAM keys) {
    if (!state.splitter.dragging || !(keys & MK_LBUTTON)) return;
    RECT client;
    GetClientRect(state.window, &client);
    state.splitter.width = clampLeftWidth(x, client.right, windowDpi(state.window));
    layoutWindow(state);
}

namespace {
void endSplitterDrag(MainState& state) {
    state.splitter.dragging = false;
    const int width = state.splitter.width;
    changeSettings(state, [width](Settings& s) { s.leftWidth = width; });
}
}  // namespace

void onSplitterButtonUp(MainState& state) {
    if (!state.splitter.dragging) return;
    endSplitterDrag(state);
    ReleaseCapture();  // its capture change finds the drag ended already
}

// The capture taken away mid-drag (another window, a switch of task): the drag
// ends where it was, as a release there would.
void onSplitterCaptureLost(MainState& state) {
    if (state.splitter.dragging) endSplitterDrag(state);
}

void onGetMinMaxInfo(const MainState& state, MINMAXINFO& info) {
    if (!state.window) return;
    const int dpi = windowDpi(state.window);
    // A left pane where the segment strip fits (a wider one narrows while the window is small), then a right
    // pane where every control fits.
    RECT least = {0, 0, leastLeftPane(state) + kSplitterWidth + rightReserve(dpi), MulDiv(kMinClientHeight, dpi, 96)};
    const DWORD style = DWORD(GetWindowLongPtrW(state.window, GWL_STYLE));
    const DWORD exStyle = DWORD(GetWindowLongPtrW(state.window, GWL_EXSTYLE));
    AdjustWindowRectEx(&least, style, GetMenu(state.window) != nullptr, exStyle);
    info.ptMinTrackSize.x = least.right - least.left;
    info.ptMinTrackSize.y = least.bottom - least.top;
}
