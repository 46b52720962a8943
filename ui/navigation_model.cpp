#include "ui/navigation_model.h"

#include <algorithm>

#include "data/text.h"
#include "search/ranking.h"
#include "ui/ui_text.h"

namespace {

struct Category {
    const char16_t* id;
    const char16_t* icon;
    int textId;
    bool expanded;
};

constexpr Category kCategories[] = {
    {u"favorites", u"\u2B50", kTextCategoryFavorites, true},
    {u"recents", u"\U0001F558", kTextCategoryRecent, true},
    {u"system", u"\U0001F5A5", kTextCategorySystem, true},
    {u"network", u"\U0001F310", kTextCategoryNetwork, true},
    {u"security", u"\U0001F510", kTextCategorySecurity, false},
    {u"storage", u"\U0001F4BE", kTextCategoryStorage, false},
    {u"config", u"\u2699", kTextCategoryConfiguration, false},
    {u"diagnostics", u"\U0001F4CB", kTextCategoryDiagnostics, false},
    {u"hardware", u"\U0001F5A8", kTextCategoryHardware, false},
    {u"apps", u"\U0001FA9F", kTextCategoryApps, false},
    {u"external", u"\U0001F9F0", kTextCategoryExternal, false},
    {u"custom", u"\U0001F4E6", kTextCategoryCustom, false},
};

constexpr char16_t kPlaybookIcon[] = u"\U0001F9ED";
constexpr char16_t kToolsIcon[] = u"\U0001F527";

// The icon and the gap after it before the label, or the label alone when the icon cannot be drawn.
std::u16string withIcon(const std::u16string& icon, const char16_t* gap, const std::u16string& label,
                        const IconCheck& iconDrawn) {
    if (icon.empty() || (iconDrawn && !iconDrawn(icon))) return label;
    return icon + gap + label;
}

std::u16string countedHeader(const std::u16string& label, size_t count) {
    return label + u" (" + decimalText(count) + u")";
}

// Catalog positions of the tools named by an id list, first match per id.
std::vector<uint64_t> toolsById(const std::vector<ToolRecord>& catalog, const std::vector<std::u16string>& ids) {
    std::vector<uint64_t> found;
    for (const auto& id : ids) {
        for (size_t i = 0; i < catalog.size(); ++i) {
            if (catalog[i].id == id) {
                found.push_back(i);
                break;
            }
        }
    }
    return found;
}

std::vector<uint64_t> toolsInCategory(const std::vector<ToolRecord>& catalog, const std::u16string& category) {
    std::vector<uint64_t> found;
    for (size_t i = 0; i < catalog.size(); ++i) {
        if (catalog[i].category == category) found.push_back(i);
    }
    return found;
}

template <typename T>
std::vector<uint64_t> insideOnly(const std::vector<uint64_t>& positions, const std::vector<T>& list) {
    std::vector<uint64_t> kept;
    for (uint64_t p : positions) {
        if (p < list.size()) kept.push_back(p);
    }
    return kept;
}

}  // namespace

std::u16string toolItemText(const ToolRecord& tool, bool showFileName, const IconCheck& iconDrawn) {
    std::u16string text = withIcon(tool.icon, u"  ", localized(tool.name, tool.nameEn), iconDrawn);
    if (showFileName && !tool.fileName.empty()) text += u"   " + tool.fileName;
    if (tool.isExternal && !tool.isInstalled) text += u"  " + uiText(kTextNotInstalled);
    return text;
}

std::vector<std::u16string> treeIcons(const std::vector<ToolRecord>& tools) {
    std::vector<std::u16string> icons = {kPlaybookIcon, kToolsIcon};
    for (const Category& category : kCategories) icons.push_back(category.icon);
    for (const ToolRecord& tool : tools)
        if (!tool.icon.empty()) icons.push_back(tool.icon);
    std::sort(icons.begin(), icons.end());
    icons.erase(std::unique(icons.begin(), icons.end()), icons.end());
    return icons;
}

std::u16string playbookDisplayTitle(const Playbook& playbook) {
    const std::u16string title = localized(playbook.title, playbook.titleEn);
    switch (playbook.origin) {
        case PlaybookOrigin::Team: return title + uiText(kTextOriginTeam);
        case PlaybookOrigin::User: return title + uiText(kTextOriginUser);
        case PlaybookOrigin::Shipped: break;
    }
    return title;
}

std::vector<NavItem> buildToolsSegment(const NavigationSources& sources) {
    std::vector<NavItem> items;
    for (const auto& category : kCategories) {
        const std::u16string id = category.id;
        std::vector<uint64_t> tools;
        if (id == u"favorites") {
            tools = toolsById(sources.catalog, sources.favorites);
        } else if (id == u"recents") {
            tools = toolsById(sources.catalog, sources.recents);
        } else {
            tools = toolsInCategory(sources.catalog, id);
        }
        if (tools.empty() && id != u"custom") continue;
        NavItem header;
        header.text =
            countedHeader(withIcon(category.icon, u" ", uiText(category.textId), sources.iconDrawn), tools.size());
        header.data = kNavHeaderItem;
        header.expanded = category.expanded;
        for (uint64_t position : tools) {
            header.children.push_back({toolItemText(sources.catalog[position], sources.showFileName, sources.iconDrawn),
                                       static_cast<int64_t>(position),
                                       false,
                                       {}});
        }
        items.push_back(std::move(header));
    }
    return items;
}

std::vector<NavItem> buildPlaybooksSegment(const std::vector<Playbook>& playbooks, const IconCheck& iconDrawn) {
    std::vector<NavItem> items;
    for (size_t k = 0; k < playbooks.size(); ++k) {
        items.push_back({withIcon(kPlaybookIcon, u" ", playbookDisplayTitle(playbooks[k]), iconDrawn),
                         playbookItemData(k),
                         false,
                         {}});
    }
    return items;
}

std::vector<NavItem> buildResultsSegment(const NavigationSources& sources, const std::vector<uint64_t>& tools,
                                         const std::vector<uint64_t>& playbooks) {
    const std::vector<uint64_t> shownTools = insideOnly(tools, sources.catalog);
    const std::vector<uint64_t> shownPlaybooks = insideOnly(playbooks, sources.playbooks);
    std::vector<NavItem> items;
    items.push_back({uiText(kTextAllTools), kNavAllToolsItem, false, {}});
    items.push_back({uiText(kTextAllPlaybooks), kNavAllPlaybooksItem, false, {}});
    if (shownTools.empty() && shownPlaybooks.empty()) {
        items.push_back({uiText(kTextNoMatch), kNavHeaderItem, false, {}});
        return items;
    }
    if (!shownPlaybooks.empty()) {
        NavItem header{countedHeader(withIcon(kPlaybookIcon, u" ", uiText(kTextPlaybooks), sources.iconDrawn),
                                     shownPlaybooks.size()),
                       kNavAllPlaybooksItem,
                       true,
                       {}};
        for (uint64_t k : shownPlaybooks) {
            header.children.push_back({playbookDisplayTitle(sources.playbooks[k]), playbookItemData(k), false, {}});
        }
        items.push_back(std::move(header));
    }
    if (!shownTools.empty()) {
        NavItem header{
            countedHeader(withIcon(kToolsIcon, u" ", uiText(kTextToolsSegment), sources.iconDrawn), shownTools.size()),
            kNavAllToolsItem,
            true,
            {}};
        for (uint64_t position : shownTools) {
            header.children.push_back({toolItemText(sources.catalog[position], sources.showFileName, sources.iconDrawn),
                                       static_cast<int64_t>(position),
                                       false,
                                       {}});
        }
        items.push_back(std::move(header));
    }
    return items;
}

ResultLists resultLists(const NavigationState& state, const std::vector<ToolRecord>& catalog,
                        const std::vector<Playbook>& playbooks) {
    ResultLists lists;
    if (state.assistantOverride) {
        lists.tools = state.assistantTools;
        lists.playbooks = state.assistantPlaybooks;
    } else if (!state.searchText.empty()) {
        lists.tools = filterTools(state.searchText, catalog);
        for (const auto& hit : searchPlaybooks(state.searchText, playbooks, kResultsPlaybookLimit)) {
            lists.playbooks.push_back(hit.index);
        }
    }
    return lists;
}

std::vector<NavItem> buildNavigationTree(const NavigationState& state, const NavigationSources& sources) {
    switch (state.segment) {
        case kSegmentPlaybooks: return buildPlaybooksSegment(sources.playbooks, sources.iconDrawn);
        case kSegmentResults: {
            const ResultLists lists = resultLists(state, sources.catalog, sources.playbooks);
            return buildResultsSegment(sources, lists.tools, lists.playbooks);
        }
        default: return buildToolsSegment(sources);
    }
}

void applySearchText(NavigationState& state, const std::u16string& text) {
    state.searchText = text.substr(0, kSearchTextLimit);
    state.assistantOverride = false;
    state.assistantTools.clear();
    state.assistantPlaybooks.clear();
    state.segment = state.searchText.empty() ? kSegmentTools : kSegmentResults;
}

bool applySegment(NavigationState& state, int segment) {
    state.segment = segment;
    if (segment == kSegmentResults) return false;
    state.assistantOverride = false;
    state.assistantTools.clear();
    state.assistantPlaybooks.clear();
    state.searchText.clear();
    return true;
}

void applyAssistantResults(NavigationState& state, const std::vector<uint64_t>& tools, const std::u16string& query,
                           const std::vector<Playbook>& playbooks) {
    state.assistantTools = tools;
    state.assistantPlaybooks.clear();
    for (const auto& hit : searchPlaybooks(query, playbooks, kResultsPlaybookLimit)) {
        state.assistantPlaybooks.push_back(hit.index);
    }
    state.assistantOverride = !state.assistantTools.empty() || !state.assistantPlaybooks.empty();
    state.searchText.clear();
    state.segment = kSegmentResults;
}

int segmentFromTab(int tab) {
    if (tab == 1) return kSegmentPlaybooks;
    if (tab == 2) return kSegmentResults;
    return kSegmentTools;
}

namespace {
NavAction navigationAction(int64_t data) {
    if (data == kNavAllToolsItem) return {NavActionKind::ShowTools, 0};
    if (data == kNavAllPlaybooksItem) return {NavActionKind::ShowPlaybooks, 0};
    if (isPlaybookItem(data)) return {NavActionKind::OpenPlaybook, playbookFromItem(data)};
    return {};
}
}  // namespace

NavAction clickAction(int64_t data, bool doubleClickMode) {
    if (data >= 0) {
        if (doubleClickMode) return {};
        return {NavActionKind::LaunchTool, static_cast<uint64_t>(data)};
    }
    return navigationAction(data);
}

NavAction doubleClickAction(int64_t data, bool doubleClickMode) {
    if (!doubleClickMode) return {};
    if (data >= 0) return {NavActionKind::LaunchTool, static_cast<uint64_t>(data)};
    return navigationAction(data);
}

bool containsId(const std::vector<std::u16string>& ids, const std::u16string& id) {
    for (const auto& entry : ids) {
        if (entry == id) return true;
    }
    return false;
}

std::vector<ToolMenuEntry> toolContextMenu(const ToolRecord& tool, bool hasFile, bool isFavorite, bool canPin) {
    std::vector<ToolMenuEntry> entries;
    const bool usable = !(tool.isExternal && !tool.isInstalled);
    if (usable) {
        entries.push_back({kToolMenuLaunch, kTextLaunch});
        entries.push_back({kToolMenuRunAsAdmin, kTextRunAsAdministrator});
        if (hasFile) entries.push_back({kToolMenuOpenLocation, kTextOpenFileLocation});
    }
    if (!usable || (tool.isExternal && !tool.homepage.empty()))
        entries.push_back({kToolMenuDownload, kTextOpenDownloadPage});
    entries.push_back({0, 0});
    entries.push_back({kToolMenuFavorite, isFavorite ? kTextRemoveFromFavorites : kTextAddToFavorites});
    entries.push_back({kToolMenuDesktop, kTextAddToDesktop});
    if (canPin) {
        entries.push_back({kToolMenuPin, kTextPinToTaskbar});
    } else {
        entries.push_back({kToolMenuStartShortcut, kTextAddToStartMenu});
    }
    if (tool.isCustom) {
        entries.push_back({0, 0});
        entries.push_back({kToolMenuRemove, kTextRemove});
    }
    return entries;
}
