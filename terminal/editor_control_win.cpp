#include "terminal/editor_control_win.h"

#include <vector>

#include "platform/win_text.h"

CHARRANGE selection(const Terminal& t) {
    CHARRANGE range = {0, 0};
    SendMessageW(t.editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

void select(const Terminal& t, LONG from, LONG to) {
    CHARRANGE range = {from, to};
    SendMessageW(t.editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

LONG textLength(const Terminal& t) {
    GETTEXTLENGTHEX query = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    return LONG(SendMessageW(t.editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

std::u16string textRange(const Terminal& t, LONG from, LONG to) {
    if (to <= from) return {};
    std::vector<wchar_t> buffer(size_t(to - from) + 1, L'\0');
    TEXTRANGEW range = {{from, to}, buffer.data()};
    LRESULT copied = SendMessageW(t.editor, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    return fromWide(buffer.data(), size_t(copied > 0 ? copied : 0));
}

void setSelectionFormat(const Terminal& t, COLORREF color, bool bold, bool isProtected) {
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_BOLD | CFM_PROTECTED;
    format.dwEffects = (bold ? CFE_BOLD : 0) | (isProtected ? CFE_PROTECTED : 0);
    format.crTextColor = color;
    SendMessageW(t.editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

void setRangeFormat(Terminal& t, LONG from, LONG to, CHARFORMAT2W format) {
    if (!t.editor || to <= from) return;
    CHARRANGE user = selection(t);
    t.input.allowEdit = true;
    select(t, from, to);
    format.cbSize = sizeof format;
    SendMessageW(t.editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    select(t, user.cpMin, user.cpMax);
    t.input.allowEdit = false;
}

void setRangeColor(Terminal& t, LONG from, LONG to, COLORREF color) {
    CHARFORMAT2W format = {};
    format.dwMask = CFM_COLOR;
    format.crTextColor = color;
    setRangeFormat(t, from, to, format);
}

bool isShown(const Terminal& t) {
    return t.editor && (t.output.redrawHeld || (GetWindowLongPtrW(t.editor, GWL_STYLE) & WS_VISIBLE) != 0);
}

void repaint(const Terminal& t) { InvalidateRect(t.editor, nullptr, FALSE); }

std::unique_ptr<std::u16string> takePostedChunk(LPARAM lParam) {
    return std::unique_ptr<std::u16string>(reinterpret_cast<std::u16string*>(lParam));
}
