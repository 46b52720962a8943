#include "terminal/page_list.h"

#include <commctrl.h>

#include "platform/win_text.h"

namespace {

// A tab control reads "&" as an access-key mark; titles keep theirs as "&&".
std::u16string tabLabel(const Page& page) {
    std::u16string label;
    for (char16_t c : page.title) {
        label += c;
        if (c == u'&') label += u'&';
    }
    if (page.marked) label += u" \u2022";
    return label;
}

void writeTab(const PageList& list, int index, bool insert) {
    if (!list.tabControl) return;
    const std::u16string label = tabLabel(list.pages[size_t(index)]);
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(wstr(label));
    SendMessageW(list.tabControl, insert ? TCM_INSERTITEMW : TCM_SETITEMW, WPARAM(index),
                 reinterpret_cast<LPARAM>(&item));
    // A shorter label narrows the tab; the strip repaints whole so no tail of the old one stays.
    if (!insert) InvalidateRect(list.tabControl, nullptr, TRUE);
}

bool inRange(const PageList& list, int index) { return index >= 0 && size_t(index) < list.pages.size(); }

}  // namespace

int pageIndex(const PageList& list, PageKind kind) {
    for (size_t i = 0; i < list.pages.size(); ++i)
        if (list.pages[i].kind == kind) return int(i);
    return -1;
}

bool hasPage(const PageList& list, PageKind kind) { return pageIndex(list, kind) >= 0; }

int terminalPageIndex(const PageList& list, const Terminal* terminal) {
    if (!terminal) return -1;
    for (size_t i = 0; i < list.pages.size(); ++i)
        if (list.pages[i].terminal == terminal) return int(i);
    return -1;
}

int firstTerminalPage(const PageList& list) { return pageIndex(list, PageKind::Terminal); }

const Page* pageAt(const PageList& list, int index) {
    return inRange(list, index) ? &list.pages[size_t(index)] : nullptr;
}

int selectedPage(const PageList& list) {
    const int index = list.tabControl ? int(SendMessageW(list.tabControl, TCM_GETCURSEL, 0, 0)) : -1;
    return inRange(list, index) ? index : -1;
}

int addPage(PageList& list, Page page) {
    size_t at = 0;
    while (at < list.pages.size() && list.pages[at].kind <= page.kind) ++at;
    list.pages.insert(list.pages.begin() + long(at), std::move(page));
    writeTab(list, int(at), true);
    return int(at);
}

void removePage(PageList& list, int index) {
    if (!inRange(list, index)) return;
    list.pages.erase(list.pages.begin() + index);
    if (list.tabControl) SendMessageW(list.tabControl, TCM_DELETEITEM, WPARAM(index), 0);
}

void setPageTitle(PageList& list, int index, const std::u16string& title) {
    if (!inRange(list, index)) return;
    Page& page = list.pages[size_t(index)];
    if (page.title == title) return;
    page.title = title;
    writeTab(list, index, false);
}

void markPage(PageList& list, int index, bool marked) {
    if (!inRange(list, index) || list.pages[size_t(index)].marked == marked) return;
    list.pages[size_t(index)].marked = marked;
    writeTab(list, index, false);
}
