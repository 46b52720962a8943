#include "ui/themed_controls.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "platform/win_dpi.h"
#include "platform/win_handles.h"
#include "platform/win_system_library.h"
#include "ui/assistant_tab.h"
#include "ui/help_pages.h"
#include "ui/main_state.h"
#include "ui/theme.h"

namespace {

// Subclass ids of the painted controls (one per kind, so each can be removed alone).
constexpr UINT_PTR kTabStripSubclass = 1;
constexpr UINT_PTR kStatusBarSubclass = 2;
constexpr UINT_PTR kHintSubclass = 3;
// Height of the bar over the selected tab, at 96 dpi.
constexpr int kTabAccentHeight = 2;
// Room between a status bar part's edge and its text, at 96 dpi.
constexpr int kStatusTextInset = 6;
// The size grip: three rows of dots of this size and pitch, at 96 dpi.
constexpr int kGripDot = 2;
constexpr int kGripPitch = 4;
// Longest status text read back for painting; the status bar holds one line.
constexpr int kStatusTextLimit = 1024;
// Longest hint of an empty box read back for painting.
constexpr int kHintLimit = 256;
// Windows 10 20H1 and later draw the title bar dark when this DWM attribute is set.
constexpr DWORD kDwmUseImmersiveDarkMode = 20;
constexpr DWORD kDwmUseImmersiveDarkModeBefore2004 = 19;

using SetWindowThemeFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
using DwmSetWindowAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);

// uxtheme.dll's SetWindowTheme, or null where the system has none.
SetWindowThemeFunction setWindowThemeFunction() {
    static const SetWindowThemeFunction function = [] {
        HMODULE module = GetModuleHandleW(L"uxtheme.dll");
        if (!module) module = loadSystemLibrary(L"uxtheme.dll");
        FARPROC found = module ? GetProcAddress(module, "SetWindowTheme") : nullptr;
        return reinterpret_cast<SetWindowThemeFunction>(reinterpret_cast<void (*)()>(found));
    }();
    return function;
}

// The dark variant of the Explorer control theme darkens scroll bars, tree
// glyphs and edit frames on Windows 10 and later; a system without it falls
// back to the plain control theme, which the light theme goes back to.
void setControlTheme(HWND control, bool dark) {
    SetWindowThemeFunction setTheme = setWindowThemeFunction();
    if (!control || !setTheme) return;
    setTheme(control, dark ? L"DarkMode_Explorer" : nullptr, nullptr);
}

// dwmapi.dll's DwmSetWindowAttribute, or null where the system has none.
DwmSetWindowAttributeFunction dwmSetWindowAttributeFunction() {
    static const DwmSetWindowAttributeFunction function = [] {
        HMODULE module = loadSystemLibrary(L"dwmapi.dll");
        FARPROC found = module ? GetProcAddress(module, "DwmSetWindowAttribute") : nullptr;
        return reinterpret_cast<DwmSetWindowAttributeFunction>(reinterpret_cast<void (*)()>(found));
    }();
    return function;
}

// The title bar follows the theme where the system can draw it dark; dwmapi
// is loaded only once the dark theme is first shown (a light frame that was
// never dark needs nothing).
void setTitleBarTheme(HWND window, bool dark) {
    if (!window || (!dark && !GetModuleHandleW(L"dwmapi.dll"))) return;
    const DwmSetWindowAttributeFunction setAttribute = dwmSetWindowAttributeFunction();
    BOOL value = dark;
    if (!setAttribute) return;
    // Windows 10 before 2004 (1809 to 1909) knows the attribute by its older number.
    if (FAILED(setAttribute(window, kDwmUseImmersiveDarkMode, &value, sizeof value)) &&
        FAILED(setAttribute(window, kDwmUseImmersiveDarkModeBefore2004, &value, sizeof value)))
        return;
    // DWM draws the frame anew only when told it changed, so a live switch shows at once.
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
}

int scaled(HWND window, int pixels) { return MulDiv(pixels, windowDpi(window), 96); }

void fill(HDC dc, const RECT& area, COLORREF color) {
    SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

HFONT controlFont(HWND control) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

std::wstring tabLabel(HWND tabs, int index) {
    wchar_t text[256] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = int(std::size(text));
    TabCtrl_GetItem(tabs, index, &item);
    return text;
}

void paintTab(HDC dc, HWND tabs, const ThemeColors& colors, int index, bool selected) {
    RECT box;
    if (!TabCtrl_GetItemRect(tabs, index, &box)) return;
    if (selected) box.top = 0;  // it stands a little taller than the others
    fill(dc, box, selected ? colors.tabSelectedBackground : colors.tabBackground);
    if (selected) {
        RECT accent = {box.left, box.top, box.right, box.top + scaled(tabs, kTabAccentHeight)};
        fill(dc, accent, colors.tabAccent);
    }
    // A thin gap of the strip's colour keeps neighbouring tabs apart.
    RECT gap = {box.right - 1, box.top, box.right, box.bottom};
    fill(dc, gap, colors.tabStrip);
    SetTextColor(dc, selected ? colors.tabSelectedText : colors.tabText);
    SetBkMode(dc, TRANSPARENT);
    std::wstring label = tabLabel(tabs, index);
    // Prefix processing as the control's own drawing: a label escapes "&" as "&&".
    DrawTextW(dc, label.c_str(), int(label.size()), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    if (selected && GetFocus() == tabs) {
        RECT focus = box;
        InflateRect(&focus, -scaled(tabs, 3), -scaled(tabs, 3));
        SetTextColor(dc, colors.tabSelectedText);
        SetBkColor(dc, colors.tabSelectedBackground);
        DrawFocusRect(dc, &focus);
    }
    SetBkMode(dc, OPAQUE);
}

// Below the row of tabs (all of them, the selected one standing taller).
LONG tabRowBottom(HWND tabs) {
    RECT row = {};
    GetClientRect(tabs, &row);
    TabCtrl_AdjustRect(tabs, FALSE, &row);
    return row.top;
}

void paintTabStrip(HWND tabs, HDC dc, const ThemeColors& colors) {
    RECT client;
    GetClientRect(tabs, &client);
    fill(dc, client, colors.tabStrip);
    HGDIOBJ oldFont = SelectObject(dc, controlFont(tabs));
    int selected = TabCtrl_GetCurSel(tabs);
    int count = TabCtrl_GetItemCount(tabs);
    for (int index = 0; index < count; ++index) {
        if (index != selected) paintTab(dc, tabs, colors, index, false);
    }
    if (selected >= 0) paintTab(dc, tabs, colors, selected, true);
    SelectObject(dc, oldFont);
}

void paintSizeGrip(HWND bar, HDC dc, const RECT& client, COLORREF color) {
    if (!(GetWindowLongW(bar, GWL_STYLE) & SBARS_SIZEGRIP) || IsZoomed(GetAncestor(bar, GA_ROOT))) return;
    int dot = scaled(bar, kGripDot), pitch = scaled(bar, kGripPitch);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column <= row; ++column) {
            int right = client.right - 2 - column * pitch, bottom = client.bottom - 2 - (2 - row) * pitch;
            RECT square = {right - dot, bottom - dot, right, bottom};
            fill(dc, square, color);
        }
    }
}

void paintStatusBar(HWND bar, HDC dc, const ThemeColors& colors) {
    RECT client;
    GetClientRect(bar, &client);
    fill(dc, client, colors.statusBackground);
    HGDIOBJ oldFont = SelectObject(dc, controlFont(bar));
    SetTextColor(dc, colors.statusText);
    SetBkMode(dc, TRANSPARENT);
    int parts = std::max(1, int(SendMessageW(bar, SB_GETPARTS, 0, 0)));
    for (int part = 0; part < parts; ++part) {
        RECT box;
        if (!SendMessageW(bar, SB_GETRECT, WPARAM(part), reinterpret_cast<LPARAM>(&box))) continue;
        int length = std::min<int>(LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, WPARAM(part), 0)), kStatusTextLimit);
        std::wstring text(size_t(length) + 1, L'\0');
        SendMessageW(bar, SB_GETTEXTW, WPARAM(part), reinterpret_cast<LPARAM>(text.data()));
        text.resize(size_t(length));
        box.left += scaled(bar, kStatusTextInset);
        DrawTextW(dc, text.c_str(), int(text.size()), &box,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    SetBkMode(dc, OPAQUE);
    SelectObject(dc, oldFont);
    paintSizeGrip(bar, dc, client, colors.statusText);
}

using Painter = void (*)(HWND, HDC, const ThemeColors&);

// WM_PAINT, and WM_PRINTCLIENT for a capture of the window, through one
// painter; either may name the DC to paint into.
LRESULT paintThemed(HWND control, WPARAM wParam, Painter painter, const MainState& state) {
    if (wParam) {
        painter(control, reinterpret_cast<HDC>(wParam), state.theme.colors);
        return 0;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control, &paint);
    // What has text is drawn off screen first, so that a repaint does not
    // flicker through the background colour. A tab strip's body lies under its
    // pages and is one colour: it is filled directly, as an off-screen copy of
    // the whole body costs a frame under Wine.
    RECT client;
    GetClientRect(control, &client);
    RECT drawn = client;
    if (painter == paintTabStrip) {
        drawn.bottom = std::min(client.bottom, tabRowBottom(control));
        RECT body = {client.left, drawn.bottom, client.right, client.bottom};
        RECT bodyToPaint;
        if (IntersectRect(&bodyToPaint, &body, &paint.rcPaint)) fill(dc, bodyToPaint, state.theme.colors.tabStrip);
    }
    RECT drawnToPaint;
    if (IntersectRect(&drawnToPaint, &drawn, &paint.rcPaint)) {
        ScopedMemoryDC memory(dc);
        ScopedGdiObject<HBITMAP> bitmap(
            CreateCompatibleBitmap(dc, std::max<LONG>(drawn.right, 1), std::max<LONG>(drawn.bottom, 1)));
        ScopedSelectObject selected(memory.dc, bitmap.object);
        painter(control, memory.dc, state.theme.colors);
        BitBlt(dc, drawnToPaint.left, drawnToPaint.top, drawnToPaint.right - drawnToPaint.left,
               drawnToPaint.bottom - drawnToPaint.top, memory.dc, drawnToPaint.left, drawnToPaint.top, SRCCOPY);
    }
    EndPaint(control, &paint);
    return 0;
}

LRESULT CALLBACK themedControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR data) {
    const MainState& state = *reinterpret_cast<const MainState*>(data);
    Painter painter = id == kTabStripSubclass ? paintTabStrip : paintStatusBar;
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT:
        case WM_PRINTCLIENT: return paintThemed(control, wParam, painter, state);
        case WM_SETFOCUS:
        case WM_KILLFOCUS: InvalidateRect(control, nullptr, FALSE); break;
        case WM_NCDESTROY: RemoveWindowSubclass(control, themedControlProc, id); break;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

// An empty edit box draws its hint in the system's grey, too faint on the
// dark box: the hint is drawn again over it in the theme's colour.
void paintHint(HWND box, const ThemeColors& colors) {
    wchar_t hint[kHintLimit] = {};
    if (!SendMessageW(box, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(hint), kHintLimit) || !hint[0]) return;
    RECT area;
    SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    HideCaret(box);
    {
        ScopedWindowDC window(box);
        const HDC dc = window.dc;
        ScopedSelectObject font(dc, controlFont(box));
        fill(dc, area, colors.editBackground);
        SetTextColor(dc, colors.editCue);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, hint, -1, &area, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    ShowCaret(box);
}

LRESULT CALLBACK hintProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(box, hintProc, id);
    LRESULT result = DefSubclassProc(box, message, wParam, lParam);
    if (message == WM_PAINT && GetWindowTextLengthW(box) == 0) {
        paintHint(box, reinterpret_cast<const MainState*>(data)->theme.colors);
    }
    return result;
}

void paintThemedFromNowOn(HWND control, UINT_PTR id, MainState& state) {
    if (control) SetWindowSubclass(control, themedControlProc, id, reinterpret_cast<DWORD_PTR>(&state));
}

bool showsDarkTheme(const MainState& state) {
    return state.theme.colors.windowBackground == kDarkTheme.windowBackground;
}

}  // namespace

bool systemUsesDarkApps() {
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                      KEY_READ, &key.key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD value = 1;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key.key, L"AppsUseLightTheme", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    return type == REG_DWORD && size == sizeof value && value == 0;
}

bool themeIsDark(int themeSetting) {
    if (themeSetting == 0) return systemUsesDarkApps();
    return themeSetting == 2;
}

LRESULT drawTreeItemInTheme(const MainState& state, NMTVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    HWND tree = draw.nmcd.hdr.hwndFrom;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(draw.nmcd.dwItemSpec);
    if (!(TreeView_GetItemState(tree, item, TVIS_SELECTED) & TVIS_SELECTED)) return CDRF_DODEFAULT;
    // The system's colours for a selection without the focus are a light
    // grey, whatever the tree's own colours: unreadable under light text.
    bool focused = GetFocus() == tree;
    draw.clrText = focused ? state.theme.colors.treeSelectedText : state.theme.colors.treeInactiveText;
    draw.clrTextBk = focused ? state.theme.colors.treeSelectedBackground : state.theme.colors.treeInactiveBackground;
    return CDRF_DODEFAULT;
}

// A new control already has the light theme: only the dark one is asked for.
void themeNewChild(const MainState& state, HWND child) {
    if (showsDarkTheme(state)) setControlTheme(child, true);
}

void themeChildControls(MainState& state) {
    paintThemedFromNowOn(state.pages.tabControl, kTabStripSubclass, state);
    paintThemedFromNowOn(state.segmentTabs, kTabStripSubclass, state);
    paintThemedFromNowOn(state.statusBar, kStatusBarSubclass, state);
    for (HWND box : {state.searchBox, state.assistant.input}) {
        if (box) SetWindowSubclass(box, hintProc, kHintSubclass, reinterpret_cast<DWORD_PTR>(&state));
    }
    const bool dark = showsDarkTheme(state);
    setTitleBarTheme(state.window, dark);
    // Each theme change costs a control a redraw: light controls that never were dark are left alone.
    if (!state.window || (!dark && !state.theme.controlsThemedDark)) return;
    state.theme.controlsThemedDark = dark;
    for (HWND child = GetWindow(state.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (child != state.pages.tabControl && child != state.segmentTabs && child != state.statusBar) {
            setControlTheme(child, dark);
        }
    }
}

void deleteThemeBrushes(MainState& state) {
    for (HBRUSH* brush :
         {&state.theme.windowBrush, &state.theme.treeBrush, &state.theme.editBrush, &state.theme.terminalBrush}) {
        if (*brush) DeleteObject(*brush);
        *brush = nullptr;
    }
}

void applyTheme(MainState& state) {
    const ThemeColors& colors = themeColors(themeIsDark(int(state.settings.theme)));
    state.theme.colors = colors;
    deleteThemeBrushes(state);
    state.theme.windowBrush = CreateSolidBrush(colors.windowBackground);
    state.theme.treeBrush = CreateSolidBrush(colors.treeBackground);
    state.theme.editBrush = CreateSolidBrush(colors.editBackground);
    state.theme.terminalBrush = CreateSolidBrush(colors.terminalBackground);

    if (state.tree) {
        TreeView_SetBkColor(state.tree, colors.treeBackground);
        TreeView_SetTextColor(state.tree, colors.treeText);
        TreeView_SetLineColor(state.tree, colors.treeLines);
    }

    state.terminals.background = colors.terminalBackground;
    state.terminals.textColor = colors.terminalText;
    setAllTerminalsColors(state.terminals, colors.terminalBackground, colors.terminalText);

    for (LogPane* pane : {&state.activity, &state.help, &state.assistantOutput}) {
        setPaneColors(*pane, colors.terminalBackground, colors.terminalText);
    }
    setPaneColors(state.about, colors.terminalBackground, colors.terminalText);
    if (hasPage(state.pages, PageKind::About)) fillAboutPage(state);
    setAssistantGreetingColor(state.assistant, colors.terminalText);
    setPanelColors(state.playbook, colors.terminalBackground, colors.terminalText);

    themeChildControls(state);
    if (state.window)
        RedrawWindow(state.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}
