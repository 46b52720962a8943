// The navigation pane's Win32 side: the search box, the segment strip and the
// tree, all created by the main window; this fills and reacts to them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "ui/navigation_model.h"

struct Settings;

struct NavigationPane {
    NavigationState state;
    HWND searchBox = nullptr;
    HWND segmentTabs = nullptr;
    HWND tree = nullptr;
    const std::vector<ToolRecord>* catalog = nullptr;
    const std::vector<Playbook>* playbooks = nullptr;
    Settings* settings = nullptr;
    // Wired by the main window.
    std::function<void(uint64_t tool, bool elevated)> launchTool;
    std::function<void(uint64_t tool)> openDownloadPage;
    std::function<void(size_t playbook)> openPlaybook;
    std::function<void(uint64_t tool)> removeCustomTool;
    // Applies a change to *settings and saves it; without it only *settings changes.
    std::function<void(const std::function<void(Settings&)>& change)> changeSettings;
};

void rebuildTree(NavigationPane& pane);
void setSegment(NavigationPane& pane, int segment);
void showAssistantResults(NavigationPane& pane, const std::vector<uint64_t>& tools, const std::u16string& query);

// EN_CHANGE from the search box (control 2001).
void onSearchBoxChanged(NavigationPane& pane);
// TCN_SELCHANGE from the segment strip.
void onSegmentTabChanged(NavigationPane& pane);
// NM_CLICK, NM_DBLCLK and NM_RCLICK from the tree; owner receives the menu commands.
LRESULT onNavigationTreeNotify(NavigationPane& pane, HWND owner, const NMHDR& header);
// Enter on the tree: the selected item does what a click (or, with double-click
// launching, a double click) does; a category opens or closes. False when no item is selected.
bool activateSelectedItem(NavigationPane& pane);
// Shift+F10 or the menu key on the tree: the selected tool's context menu,
// below the item. False when the selection is no tool.
bool showSelectedItemMenu(NavigationPane& pane, HWND owner);
// Down in the search box: the focus goes to the tree, on its first item when none is selected.
void focusTreeFromSearch(NavigationPane& pane);
// Context-menu commands acting on state.contextTool; false when the id is not one of them.
bool handleToolMenuCommand(NavigationPane& pane, HWND owner, int command);
// Item data of the tree's selected item, kNavHeaderItem when none.
int64_t selectedItemData(const NavigationPane& pane);
// Language change: segment labels, cue banner, tree.
void relabelNavigation(NavigationPane& pane);
