#include "tests/e2e/terminal_host.h"

#include <commctrl.h>
#include <richedit.h>

#include "tests/e2e/message_loop.h"
#include "ui/input_dialog.h"
#include "ui/ui_text.h"

namespace {

constexpr wchar_t kHostClass[] = L"TerminalTestHost";

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<TerminalHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (host && message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == EN_PROTECTED)
        return answerProtectedNotification(host->tabs, reinterpret_cast<NMHDR*>(lParam)->hwndFrom);
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool createTerminalHost(TerminalHost& host, const wchar_t* title) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    static bool registered = [instance] {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = hostProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kHostClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    if (!registered) return false;
    host.window = CreateWindowExW(0, kHostClass, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 900, 600, nullptr,
                                  nullptr, instance, nullptr);
    if (!host.window) return false;
    SetWindowLongPtrW(host.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&host));
    TerminalTabs& tabs = host.tabs;
    tabs.owner = host.window;
    tabs.instance = instance;
    tabs.askText = askText;
    tabs.text = [](int id) { return uiText(id); };  // the texts users see
    tabs.pages = &host.pages;
    host.pages.tabControl = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 880, 30, host.window,
                                            nullptr, instance, nullptr);
    // as in the main window: Activity and Assistant come first
    addPage(host.pages, {PageKind::Activity, u"Activity"});
    addPage(host.pages, {PageKind::Assistant, u"Assistant"});
    tabs.layoutRightPane = [&tabs] {
        for (TerminalEntry& entry : tabs.terminals) MoveWindow(entry.terminal->editor, 0, 30, 880, 520, TRUE);
    };
    return true;
}

void destroyTerminalHost(TerminalHost& host) {
    destroyAllTerminals(host.tabs);
    if (host.window) DestroyWindow(host.window);
    host.window = nullptr;
    pumpMessages();
}
