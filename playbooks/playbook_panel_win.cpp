#include "playbooks/playbook_panel.h"

bool registerPlaybookViewClass(HINSTANCE) { return false; }
bool createPlaybookPanel(PlaybookPanel&, HWND, HINSTANCE, int) { return false; }
void destroyPlaybookPanel(PlaybookPanel&) {}
void openPlaybookTab(PlaybookPanel&, const std::vector<Playbook>&, size_t) {}
void closePlaybookTab(PlaybookPanel&) {}
void loadPlaybook(PlaybookPanel&, const Playbook&) {}
void rebuildPanel(PlaybookPanel&) {}
void relabelPlaybookPanel(PlaybookPanel&) {}
void setPanelTextFont(PlaybookPanel&, int) {}
void setPanelColors(PlaybookPanel&, COLORREF, COLORREF) {}
void layoutPlaybookPanel(PlaybookPanel&, int, int) {}
void resetPanelMouse(PlaybookPanel&) {}
