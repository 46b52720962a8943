// The Help (or MCP) and About pages, opened and closed from the menu.
#pragma once

#include <windows.h>

struct MainState;

void toggleHelp(MainState& state, bool showMcp);
void showHelpPage(MainState& state);
void closeHelpPage(MainState& state);
void fillHelpPage(MainState& state);
void toggleAbout(MainState& state);
void fillAboutPage(MainState& state);
// Both pages' titles and texts in the language now chosen.
void relabelHelpPages(MainState& state);
