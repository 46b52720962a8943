#include "ui/pages.h"

#include <commctrl.h>

#include "ui/main_state.h"

void selectFirstTerminalOrActivity(MainState& state) {
    const int terminal = firstTerminalPage(state.pages);
    selectTab(state, terminal >= 0 ? terminal : pageIndex(state.pages, PageKind::Activity));
}

HWND currentPageWindow(const MainState& state) {
    const Page* page = pageAt(state.pages, state.currentTab);
    return page ? page->window : nullptr;
}

void selectTab(MainState& state, int index) {
    const Page* front = pageAt(state.pages, index);
    if (!front) return;
    TabCtrl_SetCurSel(state.pages.tabControl, index);
    for (const Page& page : state.pages.pages) {
        const bool shown = &page == front;
        if (page.terminal) {
            showTerminal(*page.terminal, shown);
        } else if (page.window) {
            ShowWindow(page.window, shown ? SW_SHOW : SW_HIDE);
        }
    }
    if (front->kind != PageKind::Playbook) resetPanelMouse(state.playbook);
    const bool assistant = front->kind == PageKind::Assistant;
    if (state.assistant.input) ShowWindow(state.assistant.input, assistant ? SW_SHOW : SW_HIDE);
    state.currentTab = index;

    // Before the window is shown a focus would activate it early, at some cost
    // under Wine; the page in front gets it once the first frame is drawn (restoreFocus).
    const bool shown = IsWindowVisible(state.window);
    if (front->kind == PageKind::Assistant) {
        InvalidateRect(state.assistantOutput.window, nullptr, TRUE);
        if (state.assistant.input) {
            InvalidateRect(state.assistant.input, nullptr, TRUE);
            if (shown) SetFocus(state.assistant.input);
        }
    } else if (HWND page = currentPageWindow(state)) {
        InvalidateRect(page, nullptr, TRUE);
        if (shown) SetFocus(page);
    }
    if (front->kind == PageKind::Activity) markPage(state.pages, index, false);
}
