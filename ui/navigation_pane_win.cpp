#include "ui/navigation_pane.h"

void rebuildTree(NavigationPane&) {}
void setSegment(NavigationPane&, int) {}
void showAssistantResults(NavigationPane&, const std::vector<uint64_t>&, const std::u16string&) {}
void onSearchBoxChanged(NavigationPane&) {}
void onSegmentTabChanged(NavigationPane&) {}
LRESULT onNavigationTreeNotify(NavigationPane&, HWND, const NMHDR&) { return 0; }
bool handleToolMenuCommand(NavigationPane&, HWND, int) { return false; }
int64_t selectedItemData(const NavigationPane&) { return kNavHeaderItem; }
void relabelNavigation(NavigationPane&) {}
