#include "ui/navigation_model.h"

std::u16string toolItemText(const ToolRecord&, bool) { return {}; }
std::u16string playbookDisplayTitle(const Playbook&) { return {}; }
std::vector<NavItem> buildToolsSegment(const NavigationSources&) { return {}; }
std::vector<NavItem> buildPlaybooksSegment(const std::vector<Playbook>&) { return {}; }
std::vector<NavItem> buildResultsSegment(const NavigationSources&, const std::vector<uint64_t>&,
                                         const std::vector<uint64_t>&) {
    return {};
}
ResultLists resultLists(const NavigationState&, const std::vector<ToolRecord>&, const std::vector<Playbook>&) {
    return {};
}
std::vector<NavItem> buildNavigationTree(const NavigationState&, const NavigationSources&) { return {}; }
void applySearchText(NavigationState&, const std::u16string&) {}
bool applySegment(NavigationState&, int) { return false; }
void applyAssistantResults(NavigationState&, const std::vector<uint64_t>&, const std::u16string&,
                           const std::vector<Playbook>&) {}
int segmentFromTab(int) { return kSegmentTools; }
NavAction clickAction(int64_t, bool) { return {}; }
NavAction doubleClickAction(int64_t, bool) { return {}; }
std::vector<ToolMenuEntry> toolContextMenu(const ToolRecord&, bool, bool) { return {}; }
bool containsId(const std::vector<std::u16string>&, const std::u16string&) { return false; }
