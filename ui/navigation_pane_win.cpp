#include "ui/navigation_pane.h"

#include "data/settings.h"
#include "launcher/shell_integration.h"
#include "launcher/tool_resolution.h"
#include "platform/win_text.h"
#include "ui/icon_glyphs.h"
#include "ui/ui_text.h"

namespace {

const std::vector<ToolRecord> kNoTools;
const std::vector<Playbook> kNoPlaybooks;
const std::vector<std::u16string> kNoIds;

const std::vector<ToolRecord>& catalogOf(const NavigationPane& pane) { return pane.catalog ? *pane.catalog : kNoTools; }

NavigationSources sourcesOf(const NavigationPane& pane) {
    return {catalogOf(pane),
            pane.playbooks ? *pane.playbooks : kNoPlaybooks,
            pane.settings ? pane.settings->favorites : kNoIds,
            pane.settings ? pane.settings->recents : kNoIds,
            pane.settings ? pane.settings->showFileName : true,
            [tree = pane.tree](const std::u16string& icon) { return iconDrawable(tree, icon); }};
}

bool doubleClickMode(const NavigationPane& pane) {
    return pane.settings && pane.settings->clickBehavior == ClickBehavior::Double;
}

void insertItems(HWND tree, HTREEITEM parent, const std::vector<NavItem>& items) {
    for (const auto& item : items) {
        TVINSERTSTRUCTW insert = {};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = const_cast<wchar_t*>(wstr(item.text));
        insert.item.lParam = static_cast<LPARAM>(item.data);
        HTREEITEM handle =
            reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        if (!handle) continue;
        insertItems(tree, handle, item.children);
        if (item.expanded) SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(handle));
    }
}

int64_t itemData(HWND tree, HTREEITEM item) {
    if (!item) return kNavHeaderItem;
    TVITEMW data = {};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return kNavHeaderItem;
    return static_cast<int64_t>(data.lParam);
}

// The item under the pointer; expand buttons only expand.
HTREEITEM itemUnderPointer(HWND tree, POINT* screenPoint) {
    POINT point = {};
    GetCursorPos(&point);
    if (screenPoint) *screenPoint = point;
    ScreenToClient(tree, &point);
    TVHITTESTINFO hit = {};
    hit.pt = point;
    SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.flags & TVHT_ONITEMBUTTON) return nullptr;
    return hit.hItem;
}

void emptySearchBox(NavigationPane& pane) {
    if (!pane.searchBox) return;
    pane.state.suppressChange = true;
    SetWindowTextW(pane.searchBox, L"");
    pane.state.suppressChange = false;
}

void selectSegmentTab(NavigationPane& pane) {
    if (pane.segmentTabs) SendMessageW(pane.segmentTabs, TCM_SETCURSEL, static_cast<WPARAM>(pane.state.segment), 0);
}

// True when something happened (the tree may have been rebuilt).
bool perform(NavigationPane& pane, const NavAction& action) {
    switch (action.kind) {
        case NavActionKind::ShowTools: setSegment(pane, kSegmentTools); return true;
        case NavActionKind::ShowPlaybooks: setSegment(pane, kSegmentPlaybooks); return true;
        case NavActionKind::OpenPlaybook:
            if (pane.openPlaybook) pane.openPlaybook(static_cast<size_t>(action.index));
            return true;
        case NavActionKind::LaunchTool:
            if (pane.launchTool) pane.launchTool(action.index, false);
            return true;
        case NavActionKind::None: break;
    }
    return false;
}

LRESULT onClick(NavigationPane& pane) {
    HTREEITEM item = itemUnderPointer(pane.tree, nullptr);
    if (!item) return 0;
    return perform(pane, clickAction(itemData(pane.tree, item), doubleClickMode(pane))) ? TRUE : 0;
}

LRESULT onDoubleClick(NavigationPane& pane) {
    if (!doubleClickMode(pane)) return 0;
    return perform(pane, doubleClickAction(selectedItemData(pane), true)) ? TRUE : 0;
}

void setItemText(HWND tabs, int index, const std::u16string& text) {
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(wstr(text));
    SendMessageW(tabs, TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

// The tool's context menu at the given screen point; 0 when the item is no tool.
LRESULT showToolMenu(NavigationPane& pane, HWND owner, HTREEITEM item, POINT screen) {
    const int64_t data = itemData(pane.tree, item);
    const auto& catalog = catalogOf(pane);
    if (!item || data < 0 || static_cast<uint64_t>(data) >= catalog.size()) return 0;
    pane.state.contextTool = data;
    SendMessageW(pane.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    const ToolRecord& tool = catalog[static_cast<size_t>(data)];
    const bool favorite = pane.settings && containsId(pane.settings->favorites, tool.id);
    HMENU menu = CreatePopupMenu();
    if (!menu) return TRUE;
    for (const auto& entry : toolContextMenu(tool, !resolveToolFile(tool).empty(), favorite, systemCanPinToTaskbar())) {
        if (entry.command == 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(entry.command), wstr(uiText(entry.textId)));
        }
    }
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
    DestroyMenu(menu);
    return TRUE;
}

LRESULT onRightClick(NavigationPane& pane, HWND owner) {
    POINT screen = {};
    HTREEITEM item = itemUnderPointer(pane.tree, &screen);
    return showToolMenu(pane, owner, item, screen);
}

}  // namespace

void rebuildTree(NavigationPane& pane) {
    if (!pane.tree) return;
    const std::vector<NavItem> items = buildNavigationTree(pane.state, sourcesOf(pane));
    SendMessageW(pane.tree, WM_SETREDRAW, FALSE, 0);
    SendMessageW(pane.tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    insertItems(pane.tree, TVI_ROOT, items);
    SendMessageW(pane.tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(pane.tree, nullptr, TRUE);
}

void setSegment(NavigationPane& pane, int segment) {
    if (applySegment(pane.state, segment)) emptySearchBox(pane);
    selectSegmentTab(pane);
    rebuildTree(pane);
}

void showAssistantResults(NavigationPane& pane, const std::vector<uint64_t>& tools, const std::u16string& query) {
    applyAssistantResults(pane.state, tools, query, pane.playbooks ? *pane.playbooks : kNoPlaybooks);
    emptySearchBox(pane);
    selectSegmentTab(pane);
    rebuildTree(pane);
}

void onSearchBoxChanged(NavigationPane& pane) {
    if (pane.state.suppressChange || !pane.searchBox) return;
    wchar_t buffer[kSearchTextLimit + 1] = {};
    GetWindowTextW(pane.searchBox, buffer, static_cast<int>(kSearchTextLimit + 1));
    applySearchText(pane.state, fromWide(buffer));
    selectSegmentTab(pane);
    rebuildTree(pane);
}

void onSegmentTabChanged(NavigationPane& pane) {
    const int tab = pane.segmentTabs ? static_cast<int>(SendMessageW(pane.segmentTabs, TCM_GETCURSEL, 0, 0)) : 0;
    setSegment(pane, segmentFromTab(tab));
}

LRESULT onNavigationTreeNotify(NavigationPane& pane, HWND owner, const NMHDR& header) {
    if (!pane.tree || header.hwndFrom != pane.tree) return 0;
    switch (header.code) {
        case NM_CLICK: return onClick(pane);
        case NM_DBLCLK: return onDoubleClick(pane);
        case NM_RCLICK: return onRightClick(pane, owner);
    }
    return 0;
}

bool handleToolMenuCommand(NavigationPane& pane, HWND owner, int command) {
    switch (command) {
        case kToolMenuLaunch:
        case kToolMenuRunAsAdmin:
        case kToolMenuRemove:
        case kToolMenuDesktop:
        case kToolMenuPin:
        case kToolMenuStartShortcut:
        case kToolMenuOpenLocation:
        case kToolMenuFavorite:
        case kToolMenuDownload: break;
        default: return false;
    }
    const auto& catalog = catalogOf(pane);
    const int64_t index = pane.state.contextTool;
    if (index < 0 || static_cast<uint64_t>(index) >= catalog.size()) return true;
    const uint64_t position = static_cast<uint64_t>(index);
    switch (command) {
        case kToolMenuLaunch:
            if (pane.launchTool) pane.launchTool(position, false);
            break;
        case kToolMenuRunAsAdmin:
            if (pane.launchTool) pane.launchTool(position, true);
            break;
        case kToolMenuRemove:
            if (pane.removeCustomTool) pane.removeCustomTool(position);
            break;
        case kToolMenuDownload:
            if (pane.openDownloadPage) pane.openDownloadPage(position);
            break;
        case kToolMenuDesktop: addDesktopShortcut(owner, catalog, index, uiText); break;
        case kToolMenuPin: pinToTaskbar(owner, catalog, index, uiText); break;
        case kToolMenuStartShortcut: addStartMenuShortcut(owner, catalog, index, uiText); break;
        case kToolMenuOpenLocation: openFileLocation(catalog, index); break;
        case kToolMenuFavorite:
            if (pane.settings) {
                // What this window shows decides add or remove, so a favourite another
                // window saved meanwhile is not dropped by a toggle.
                const std::u16string id = catalog[static_cast<size_t>(position)].id;
                const bool on = !isFavorite(*pane.settings, id);
                auto change = [id, on](Settings& s) { setFavorite(s, id, on); };
                if (pane.changeSettings)
                    pane.changeSettings(change);
                else
                    change(*pane.settings);
            }
            rebuildTree(pane);
            break;
    }
    return true;
}

int64_t selectedItemData(const NavigationPane& pane) {
    if (!pane.tree) return kNavHeaderItem;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(pane.tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    return itemData(pane.tree, item);
}

void relabelNavigation(NavigationPane& pane) {
    if (pane.segmentTabs) {
        setItemText(pane.segmentTabs, 0, uiText(kTextToolsSegment));
        setItemText(pane.segmentTabs, 1, uiText(kTextPlaybooks));
        setItemText(pane.segmentTabs, 2, uiText(kTextResultsSegment));
    }
    if (pane.searchBox) {
        const std::u16string cue = uiText(kTextSearchCue);
        SendMessageW(pane.searchBox, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(wstr(cue)));
        // The edit control keeps the old cue on screen until something else repaints it.
        InvalidateRect(pane.searchBox, nullptr, TRUE);
    }
    rebuildTree(pane);
}

bool activateSelectedItem(NavigationPane& pane) {
    if (!pane.tree) return false;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(pane.tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return false;
    if (perform(pane, doubleClickAction(itemData(pane.tree, item), true))) return true;
    SendMessageW(pane.tree, TVM_EXPAND, TVE_TOGGLE, reinterpret_cast<LPARAM>(item));
    return true;
}

// The first tool or playbook, past the links back to all tools and playbooks;
// the first item when there is none.
HTREEITEM firstResultItem(HWND tree) {
    HTREEITEM first = TreeView_GetRoot(tree);
    for (HTREEITEM item = first; item;) {
        const int64_t data = itemData(tree, item);
        if (data >= 0 || isPlaybookItem(data)) return item;
        HTREEITEM next = TreeView_GetChild(tree, item);
        for (HTREEITEM up = item; !next && up; up = TreeView_GetParent(tree, up))
            next = TreeView_GetNextSibling(tree, up);
        item = next;
    }
    return first;
}

void focusTreeFromSearch(NavigationPane& pane) {
    if (!pane.tree) return;
    if (!TreeView_GetSelection(pane.tree)) {
        if (HTREEITEM first = firstResultItem(pane.tree)) TreeView_SelectItem(pane.tree, first);
    }
    SetFocus(pane.tree);
}

bool showSelectedItemMenu(NavigationPane& pane, HWND owner) {
    if (!pane.tree) return false;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(pane.tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    RECT text = {};
    if (!item || !TreeView_GetItemRect(pane.tree, item, &text, TRUE)) return false;
    POINT below = {text.left, text.bottom};
    ClientToScreen(pane.tree, &below);
    return showToolMenu(pane, owner, item, below) != 0;
}
