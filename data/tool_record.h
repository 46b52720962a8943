// One launchable tool, and the parser that turns a pack document into tools.
#pragma once

#include <string>
#include <vector>

#include "data/json.h"

enum class ToolType : int { Msc = 0, Cpl = 1, Exe = 2, Bat = 3, Url = 4, Ps1 = 5, PowerShell = 6, Other = 7 };

struct ToolRecord {
    std::u16string id;
    std::u16string name;
    std::u16string nameEn;
    std::u16string fileName;
    std::u16string path;
    std::u16string args;
    std::u16string homepage;
    std::u16string icon;
    std::u16string description;
    std::u16string descriptionEn;
    std::u16string category = u"custom";
    std::vector<std::u16string> tags;
    ToolType type = ToolType::Other;
    bool requiresAdmin = false;
    bool isCustom = false;
    bool isExternal = false;
    bool isInstalled = true;
};

// file is the record's path when set, else its file name (used for "powershell").
ToolType toolTypeFromString(const std::u16string& type, const std::u16string& file);
std::vector<ToolRecord> parseToolPack(const JsonValue& document, bool isCustom);
