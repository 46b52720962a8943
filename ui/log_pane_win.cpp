#include "ui/log_pane.h"

#include <commctrl.h>
#include <richedit.h>

#include "platform/win_dpi.h"
#include "platform/win_fonts.h"
#include "platform/win_handles.h"
#include "platform/win_system_library.h"
#include "platform/win_text.h"
#include "terminal/readable_color.h"
#include "ui/ui_text.h"

namespace {

void setDefaultTextColor(LogPane& pane) {
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = pane.textColor;
    SendMessageW(pane.window, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

// A colour of a line as the pane shows it: the same hue, readable on its background.
COLORREF shownColor(const LogPane& pane, COLORREF color) {
    return readableColorref(color, pane.backgroundColor, kTextContrast);
}

void noteThemedText(LogPane& pane, LONG from, LONG to) {
    if (to <= from) return;
    if (!pane.themedText.empty() && pane.themedText.back().cpMax == from) {
        pane.themedText.back().cpMax = to;
    } else {
        pane.themedText.push_back({from, to});
    }
}

void setRangeColor(LogPane& pane, CHARRANGE range, COLORREF color) {
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = color;
    SendMessageW(pane.window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(pane.window, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

// Gives the themed text the pane's text colour and the coloured text its
// readable shade on the pane's background, leaving the view as it was.
void recolorText(LogPane& pane) {
    if (pane.themedText.empty() && pane.colouredText.empty()) return;
    SendMessageW(pane.window, WM_SETREDRAW, FALSE, 0);
    CHARRANGE user = {};
    SendMessageW(pane.window, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&user));
    POINT scroll = {};
    SendMessageW(pane.window, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    for (CHARRANGE range : pane.themedText) setRangeColor(pane, range, pane.textColor);
    for (const LogPane::ColouredText& run : pane.colouredText)
        setRangeColor(pane, run.range, shownColor(pane, run.color));
    SendMessageW(pane.window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&user));
    SendMessageW(pane.window, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    SendMessageW(pane.window, WM_SETREDRAW, TRUE, 0);
}

}  // namespace

void loadRichEditLibrary() { loadSystemLibrary(L"Msftedit.dll"); }

bool createLogPane(LogPane& pane, HWND parent, HINSTANCE instance, int fontSize) {
    loadRichEditLibrary();
    pane.window =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"RICHEDIT50W", L"",
                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL | ES_READONLY,
                        0, 0, 0, 0, parent, nullptr, instance, nullptr);
    if (!pane.window) return false;
    SendMessageW(pane.window, EM_EXLIMITTEXT, 0, 268435456);
    SendMessageW(pane.window, EM_SETBKGNDCOLOR, 0, LPARAM(pane.backgroundColor));
    setPaneFont(pane, fontSize);
    setDefaultTextColor(pane);
    return true;
}

void setPaneFont(LogPane& pane, int points) {
    if (!pane.window) return;
    if (points < 8) points = 8;
    if (points > 28) points = 28;
    HFONT font = createMonospaceFont(-MulDiv(points, windowDpi(pane.window), 72));
    if (!font) return;
    SendMessageW(pane.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (pane.font) DeleteObject(pane.font);
    pane.font = font;
    setDefaultTextColor(pane);
}

void appendLine(LogPane& pane, const std::u16string& text, COLORREF color) {
    if (!pane.window || text.empty()) return;
    std::u16string line = text;
    if (line.back() != u'\n') line += u"\r\n";
    SendMessageW(pane.window, EM_SETSEL, WPARAM(-1), LPARAM(-1));
    CHARRANGE before = {};
    SendMessageW(pane.window, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&before));
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = color == pane.textColor ? color : shownColor(pane, color);
    SendMessageW(pane.window, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(pane.window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wstr(line)));
    CHARRANGE after = {};
    SendMessageW(pane.window, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&after));
    if (color == pane.textColor) {
        noteThemedText(pane, before.cpMax, after.cpMax);
    } else if (after.cpMax > before.cpMax) {
        pane.colouredText.push_back({{before.cpMax, after.cpMax}, color});
    }
    SendMessageW(pane.window, EM_SCROLLCARET, 0, 0);
    InvalidateRect(pane.window, nullptr, FALSE);
}

void clearPane(LogPane& pane) {
    if (!pane.window) return;
    SetWindowTextW(pane.window, L"");
    pane.themedText.clear();
    pane.colouredText.clear();
    InvalidateRect(pane.window, nullptr, TRUE);
}

void setPaneColors(LogPane& pane, COLORREF background, COLORREF text) {
    bool changed = text != pane.textColor || background != pane.backgroundColor;
    pane.backgroundColor = background;
    pane.textColor = text;
    if (!pane.window) return;
    SendMessageW(pane.window, EM_SETBKGNDCOLOR, 0, LPARAM(background));
    setDefaultTextColor(pane);
    if (changed) recolorText(pane);
    InvalidateRect(pane.window, nullptr, TRUE);
}

void scrollPaneToTop(LogPane& pane) {
    if (!pane.window) return;
    SendMessageW(pane.window, EM_SETSEL, 0, 0);
    SendMessageW(pane.window, EM_SCROLLCARET, 0, 0);
    SendMessageW(pane.window, WM_VSCROLL, SB_TOP, 0);
    InvalidateRect(pane.window, nullptr, FALSE);
}

void destroyLogPane(LogPane& pane) {
    if (pane.window) DestroyWindow(pane.window);
    pane.window = nullptr;
    pane.themedText.clear();
    pane.colouredText.clear();
    if (pane.font) DeleteObject(pane.font);
    pane.font = nullptr;
}

bool isElevated() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    ScopedHandle token(raw);
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    if (!GetTokenInformation(token.handle, TokenElevation, &elevation, sizeof elevation, &size)) return false;
    return elevation.TokenIsElevated != 0;
}

void updateTitle(HWND mainWindow) {
    std::u16string title = uiText(kTextAppName);
    if (isElevated()) title += uiText(kTextAdministratorSuffix);
    SetWindowTextW(mainWindow, wstr(title));
}
