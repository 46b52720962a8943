// The pages of the main tab control, one record per tab in tab order. Every
// tab index is found here: a page's place follows from its kind (the fixed
// pages first, in kind order, then the terminals in the order they opened),
// so no caller counts tabs itself.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct Terminal;

enum class PageKind { Activity, Assistant, Help, About, Playbook, Terminal };

struct Page {
    PageKind kind = PageKind::Activity;
    std::u16string title;  // as the user reads it ("&" is not doubled here)
    HWND window = nullptr;  // the page's control; null until it is made
    Terminal* terminal = nullptr;  // a terminal page's terminal; null while only its tab is listed
    bool marked = false;  // the tab shows a dot after the title (news on a page behind)
};

struct PageList {
    HWND tabControl = nullptr;
    std::vector<Page> pages;
};

// The first page of the kind, or -1.
int pageIndex(const PageList& list, PageKind kind);
bool hasPage(const PageList& list, PageKind kind);
// The page of the terminal, or -1.
int terminalPageIndex(const PageList& list, const Terminal* terminal);
// The first terminal page (listed or made), or -1 when there is none.
int firstTerminalPage(const PageList& list);
const Page* pageAt(const PageList& list, int index);
// The page whose tab is selected in the tab control, or -1.
int selectedPage(const PageList& list);

// Adds the page and its tab after every page of its kind or an earlier kind;
// returns its index.
int addPage(PageList& list, Page page);
void removePage(PageList& list, int index);
// Sets a page's title and its tab label; out-of-range indexes are ignored.
void setPageTitle(PageList& list, int index, const std::u16string& title);
void markPage(PageList& list, int index, bool marked);
