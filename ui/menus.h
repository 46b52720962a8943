// The menu bar, rebuilt whenever what it shows changes.
#pragma once

#include <windows.h>

struct MainState;

void buildMenuBar(MainState& state);
