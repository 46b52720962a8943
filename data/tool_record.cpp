#include "data/tool_record.h"

namespace {
bool endsWithPs1(const std::u16string& file) {
    if (file.size() < 4) return false;
    std::u16string tail = file.substr(file.size() - 4);
    for (auto& c : tail) {
        if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    }
    return tail == u".ps1";
}
}  // namespace

ToolType toolTypeFromString(const std::u16string& type, const std::u16string& file) {
    if (type == u"msc") return ToolType::Msc;
    if (type == u"cpl") return ToolType::Cpl;
    if (type == u"exe") return ToolType::Exe;
    if (type == u"bat") return ToolType::Bat;
    if (type == u"url") return ToolType::Url;
    if (type == u"ps1") return ToolType::Ps1;
    if (type == u"wmi") return ToolType::PowerShell;
    if (type == u"powershell") return endsWithPs1(file) ? ToolType::Ps1 : ToolType::PowerShell;
    return ToolType::Other;
}

std::vector<ToolRecord> parseToolPack(const JsonValue& document, bool isCustom) {
    std::vector<ToolRecord> tools;
    const JsonValue* list = findMember(document, u"tools");
    if (!isKind(list, JsonKind::Array)) return tools;
    for (const JsonValue& entry : list->items) {
        if (entry.kind != JsonKind::Object) continue;
        ToolRecord tool;
        tool.id = getString(entry, u"id");
        tool.name = getString(entry, u"name");
        if (tool.id.empty() || tool.name.empty()) continue;
        tool.nameEn = getString(entry, u"nameEn");
        tool.fileName = getString(entry, u"fileName");
        if (tool.fileName.empty()) tool.fileName = getString(entry, u"exe");
        tool.path = getString(entry, u"path");
        tool.args = getString(entry, u"args");
        tool.homepage = getString(entry, u"homepage");
        tool.icon = getString(entry, u"icon");
        tool.description = getString(entry, u"description");
        tool.descriptionEn = getString(entry, u"descriptionEn");
        tool.category = getString(entry, u"category", u"custom");
        tool.requiresAdmin = getBool(entry, u"requiresAdmin", getBool(entry, u"runAsAdmin", false));
        tool.isCustom = isCustom;
        tool.type = toolTypeFromString(getString(entry, u"type"), tool.path.empty() ? tool.fileName : tool.path);
        if (const JsonValue* tags = findMember(entry, u"tags"); isKind(tags, JsonKind::Array)) {
            for (const JsonValue& tag : tags->items) {
                if (tag.kind == JsonKind::String) tool.tags.push_back(tag.text);
            }
        }
        tools.push_back(std::move(tool));
    }
    return tools;
}
