// The catalog in the main window, and launching its tools.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "launcher/catalog.h"

struct MainState;

void assembleCatalog(MainState& state);
void applyCatalog(MainState& state, CatalogRead read);
void launchTool(MainState& state, int64_t index, bool elevated);
void runToolById(MainState& state, const std::u16string& toolId);
void openDownloadPage(MainState& state, int64_t index);
void openSecureLink(MainState& state, const std::u16string& url);
std::u16string toolDisplayName(const ToolRecord& tool);
