// Handing a tool to the Windows shell: File Explorer, desktop shortcuts and
// taskbar pinning. Results are shown in message boxes owned by owner.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/tool_record.h"

// A UI text by id, for the message boxes.
using ShellTextLookup = std::function<std::u16string(int id)>;

// Positions outside the catalog are ignored.
void openFileLocation(const std::vector<ToolRecord>& catalog, int64_t index);
void addDesktopShortcut(HWND owner, const std::vector<ToolRecord>& catalog, int64_t index, const ShellTextLookup& text);
void pinToTaskbar(HWND owner, const std::vector<ToolRecord>& catalog, int64_t index, const ShellTextLookup& text);
void addStartMenuShortcut(HWND owner, const std::vector<ToolRecord>& catalog, int64_t index,
                          const ShellTextLookup& text);
// Whether the shell's pin verb works for a program other than the one pinned:
// only before Windows 10, which keeps taskbar pins to the user's own action.
bool systemCanPinToTaskbar();

// The shortcut for a tool written into folder (".lnk", or ".url" for a URI tool),
// without any message; false on failure.
bool writeToolShortcut(const ToolRecord& tool, const std::u16string& folder);
// The user's desktop folder, empty when unknown.
std::u16string desktopFolder();
