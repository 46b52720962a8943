// What the navigation tree shows for each segment, computed from the state
// alone so the tree can be cleared and refilled whole on every change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/tool_record.h"
#include "playbooks/playbook.h"

// Item data carried by every tree item. 0 or more: a tool's catalog position.
constexpr int64_t kNavHeaderItem = -1;  // category header or the no-match hint
constexpr int64_t kNavAllToolsItem = -2;  // leads to the Tools segment
constexpr int64_t kNavAllPlaybooksItem = -3;  // leads to the Playbooks segment
constexpr int64_t kNavPlaybookBase = -1000;  // playbook k is -1000 - k

inline int64_t playbookItemData(size_t k) { return kNavPlaybookBase - static_cast<int64_t>(k); }
inline bool isPlaybookItem(int64_t data) { return data <= kNavPlaybookBase; }
inline size_t playbookFromItem(int64_t data) { return static_cast<size_t>(kNavPlaybookBase - data); }

constexpr int kSegmentTools = 0;
constexpr int kSegmentPlaybooks = 1;
constexpr int kSegmentResults = 2;
constexpr size_t kSearchTextLimit = 255;
constexpr size_t kResultsPlaybookLimit = 8;

struct NavigationState {
    int segment = kSegmentTools;
    std::u16string searchText;
    bool assistantOverride = false;
    std::vector<uint64_t> assistantTools;
    std::vector<uint64_t> assistantPlaybooks;
    bool suppressChange = false;
    int64_t contextTool = -1;
};

// Whether the tree can draw an icon; an icon it cannot is left out rather than
// shown as a box. Empty: every icon is drawn.
using IconCheck = std::function<bool(const std::u16string& icon)>;

// What the pane reads and does not own.
struct NavigationSources {
    const std::vector<ToolRecord>& catalog;
    const std::vector<Playbook>& playbooks;
    const std::vector<std::u16string>& favorites;
    const std::vector<std::u16string>& recents;
    bool showFileName = true;
    IconCheck iconDrawn;
};

// Every icon the tree can show for these tools: the categories', the
// segments' and the tools' own, each once.
std::vector<std::u16string> treeIcons(const std::vector<ToolRecord>& tools);

struct NavItem {
    std::u16string text;
    int64_t data = kNavHeaderItem;
    bool expanded = false;
    std::vector<NavItem> children;
};

// Texts follow the current UI language.
std::u16string toolItemText(const ToolRecord& tool, bool showFileName, const IconCheck& iconDrawn = {});
std::u16string playbookDisplayTitle(const Playbook& playbook);

std::vector<NavItem> buildToolsSegment(const NavigationSources& sources);
std::vector<NavItem> buildPlaybooksSegment(const std::vector<Playbook>& playbooks, const IconCheck& iconDrawn = {});
std::vector<NavItem> buildResultsSegment(const NavigationSources& sources, const std::vector<uint64_t>& tools,
                                         const std::vector<uint64_t>& playbooks);

struct ResultLists {
    std::vector<uint64_t> tools;
    std::vector<uint64_t> playbooks;
};
// The hand-over when there is one, else the search box's matches.
ResultLists resultLists(const NavigationState& state, const std::vector<ToolRecord>& catalog,
                        const std::vector<Playbook>& playbooks);
std::vector<NavItem> buildNavigationTree(const NavigationState& state, const NavigationSources& sources);

// State changes. Each leaves state.segment at the segment to show.
void applySearchText(NavigationState& state, const std::u16string& text);
// True when the search box must be emptied (leaving Results).
bool applySegment(NavigationState& state, int segment);
void applyAssistantResults(NavigationState& state, const std::vector<uint64_t>& tools, const std::u16string& query,
                           const std::vector<Playbook>& playbooks);
// Tab 1 gives Playbooks, tab 2 Results, anything else Tools.
int segmentFromTab(int tab);

enum class NavActionKind { None, ShowTools, ShowPlaybooks, OpenPlaybook, LaunchTool };
struct NavAction {
    NavActionKind kind = NavActionKind::None;
    uint64_t index = 0;  // playbook or tool position
};
NavAction clickAction(int64_t data, bool doubleClickMode);
NavAction doubleClickAction(int64_t data, bool doubleClickMode);

// Tool context menu commands (the window's menu command ids).
constexpr int kToolMenuLaunch = 1016;
constexpr int kToolMenuRunAsAdmin = 1017;
constexpr int kToolMenuRemove = 1018;
constexpr int kToolMenuDesktop = 1019;
constexpr int kToolMenuPin = 1020;
constexpr int kToolMenuOpenLocation = 1031;
constexpr int kToolMenuFavorite = 1033;
constexpr int kToolMenuDownload = 1034;
constexpr int kToolMenuStartShortcut = 1040;

struct ToolMenuEntry {
    int command = 0;  // 0: separator
    int textId = 0;
};
// hasFile: the tool's file resolves to a path on disk. canPin: the system lets
// programs pin others to the taskbar (before Windows 10); otherwise a Start
// menu shortcut is offered instead.
std::vector<ToolMenuEntry> toolContextMenu(const ToolRecord& tool, bool hasFile, bool isFavorite, bool canPin);
bool containsId(const std::vector<std::u16string>& ids, const std::u16string& id);
