// Menu commands: settings that save at once, the page commands, the language
// switch and restarting elevated.
#pragma once

#include <windows.h>

struct MainState;

// Runs a menu or shortcut command; false when the id is not one.
bool runMenuCommand(MainState& state, int id);
void switchLanguage(MainState& state, int language);
void changeFontSize(MainState& state, int points);
void restartAsAdministrator(MainState& state);
