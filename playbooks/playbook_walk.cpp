#include "playbooks/playbook_walk.h"

std::u16string walkDisplayTitle(const Playbook&) { return {}; }
std::u16string playbookTabLabel(const Playbook&) { return {}; }
WalkContent buildWalkContent(const Playbook&, int, uint32_t) { return {}; }
WalkAction walkButtonAction(const Playbook&, int, int) { return {}; }
int mulDivRound(int, int, int) { return 0; }
WalkLayout layoutWalkButtons(int, int) { return {}; }
int hitTestWalkButtons(const WalkLayout&, const std::array<WalkButtonState, kWalkButtonCount>&, int, int) {
    return -1;
}
bool isDarkColor(uint32_t) { return true; }
WalkPalette walkPalette(uint32_t) { return {}; }
