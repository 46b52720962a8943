// Changing a setting of the main window and saving it at once.
#pragma once

#include <windows.h>

#include "data/settings.h"

struct MainState;

// Applies one settings change and saves it (see saveSettingsChange); a failed
// save is a red Activity line.
void changeSettings(MainState& state, const SettingsChange& change);
