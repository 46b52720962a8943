// Adding and removing the user's own tools.
#pragma once

#include <windows.h>

#include <cstdint>

struct MainState;

void addCustomToolInteractive(MainState& state);
// Removes at once; confirmRemoveCustomTool asks the user first.
void removeCustomToolAt(MainState& state, int64_t index);
void confirmRemoveCustomTool(MainState& state, int64_t index);
void removeSelectedCustomTool(MainState& state);
