// The user's own tools, kept in custom-tools.json in the same shape as a tool pack.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/tool_record.h"

// %APPDATA%\Toolkeep\custom-tools.json, creating the folder; empty when there is no AppData folder.
std::u16string customToolsPath();
// Empty when the file is missing, unreadable or not valid JSON.
std::vector<ToolRecord> loadCustomTools();
// The UTF-8 text of custom-tools.json (every tool saved as an "exe").
std::string serializeCustomTools(const std::vector<ToolRecord>& tools);
// A custom-tools.json that could not be read is kept as custom-tools.json.bad first.
bool saveCustomTools(const std::vector<ToolRecord>& tools);

// The display name of a chosen file: its name without folder and last extension.
std::u16string customToolName(const std::u16string& path);
// The record an add creates. The id comes from the tick count; when that id is
// already taken (two adds in one millisecond) the next free number is used.
ToolRecord makeCustomTool(const std::u16string& path, const std::u16string& args, uint64_t tickCount,
                          const std::vector<ToolRecord>& existing);
// Re-reads the file, appends the new tool and saves; added receives the record.
bool addCustomTool(const std::u16string& path, const std::u16string& args, ToolRecord* added = nullptr);
// Re-reads the file and drops every tool with this id; the save result is returned.
bool removeCustomTool(const std::u16string& toolId);

// Milliseconds since the system started (GetTickCount64 on Windows).
uint64_t systemTickCount();
