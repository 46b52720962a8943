// The user's own tools, kept in custom-tools.json in the same shape as a tool pack.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/file_backup.h"
#include "data/tool_record.h"

// %APPDATA%\Toolkeep\custom-tools.json, creating the folder; empty when there is no AppData folder.
std::u16string customToolsPath();
// Empty when the file is missing, unreadable or not valid JSON; outcome, when
// given, tells which (an unusable file is copied aside at once).
std::vector<ToolRecord> loadCustomTools(DocumentOutcome* outcome = nullptr);
// The UTF-8 text of a fresh custom-tools.json (every tool written as an "exe").
std::string serializeCustomTools(const std::vector<ToolRecord>& tools);
// Writes the whole list afresh. A custom-tools.json that cannot be read is
// left alone (false); one that cannot be understood is copied aside first.
bool saveCustomTools(const std::vector<ToolRecord>& tools);

// The display name of a chosen file: its name without folder and last extension.
std::u16string customToolName(const std::u16string& path);
// The record an add creates. The id comes from the tick count; when that id is
// already taken (two adds in one millisecond) the next free number is used.
ToolRecord makeCustomTool(const std::u16string& path, const std::u16string& args, uint64_t tickCount,
                          const std::vector<ToolRecord>& existing);
// Re-reads the file under its lock, adds the new tool after the last and
// saves, leaving every other byte of it as it was; added receives the record.
// A file that cannot be read is not saved over (NotRead).
SaveOutcome addCustomTool(const std::u16string& path, const std::u16string& args, ToolRecord* added = nullptr);
// Re-reads the file and cuts out every tool with this id, as addCustomTool saves.
SaveOutcome removeCustomTool(const std::u16string& toolId);

// Milliseconds since the system started (GetTickCount64 on Windows).
uint64_t systemTickCount();
