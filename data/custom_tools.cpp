#include "data/custom_tools.h"

#include <algorithm>

#include "data/file_backup.h"
#include "data/files.h"
#include "data/json.h"
#include "data/text.h"

namespace {

constexpr char16_t kPuzzlePiece[] = u"\U0001F9E9";

std::string member(const char* key, const std::string& value) {
    return std::string("\"") + key + "\": " + value;
}

bool isCustomToolsDocument(const JsonValue& document) {
    return isKind(findMember(document, u"tools"), JsonKind::Array);
}

std::u16string idForTick(uint64_t tick) { return u"custom.ext-" + asciiToWide(std::to_string(tick)); }

}  // namespace

std::u16string customToolsPath() { return userFilePath(u"custom-tools.json"); }

std::vector<ToolRecord> loadCustomTools(DocumentOutcome* outcome) {
    std::u16string path = customToolsPath();
    if (path.empty()) return {};
    StoredDocument stored = readStoredDocument(path, isCustomToolsDocument);
    if (outcome) *outcome = stored.outcome;
    if (stored.outcome.state != DocumentState::Loaded) return {};
    return parseToolPack(stored.document, true);
}

std::string serializeCustomTools(const std::vector<ToolRecord>& tools) {
    std::string text = "{\n  \"version\": \"1.0\",\n  \"tools\": [\n";
    for (size_t i = 0; i < tools.size(); ++i) {
        const ToolRecord& tool = tools[i];
        text += "    { " + member("id", configQuote(tool.id));
        text += ", " + member("name", configQuote(tool.name));
        text += ", " + member("type", "\"exe\"");
        text += ", " + member("path", configQuote(tool.path));
        if (!tool.args.empty()) text += ", " + member("args", configQuote(tool.args));
        text += ", " + member("category", "\"custom\"");
        text += ", " + member("icon", configQuote(tool.icon.empty() ? kPuzzlePiece : tool.icon));
        text += i + 1 < tools.size() ? " },\n" : " }\n";
    }
    text += "  ]\n}\n";
    return text;
}

bool saveCustomTools(const std::vector<ToolRecord>& tools) {
    std::u16string path = customToolsPath();
    if (path.empty()) return false;
    if (!mayReplace(readStoredDocument(path, isCustomToolsDocument).outcome)) return false;
    return saveFileAtomically(path, serializeCustomTools(tools));
}

std::u16string customToolName(const std::u16string& path) {
    size_t slash = path.find_last_of(u"\\/");
    std::u16string file = slash == std::u16string::npos ? path : path.substr(slash + 1);
    size_t dot = file.rfind(u'.');
    if (dot == std::u16string::npos || dot == 0) return file;
    return file.substr(0, dot);
}

ToolRecord makeCustomTool(const std::u16string& path, const std::u16string& args, uint64_t tickCount,
                          const std::vector<ToolRecord>& existing) {
    auto taken = [&existing](const std::u16string& id) {
        return std::any_of(existing.begin(), existing.end(), [&id](const ToolRecord& tool) { return tool.id == id; });
    };
    while (taken(idForTick(tickCount))) ++tickCount;

    ToolRecord tool;
    tool.id = idForTick(tickCount);
    tool.name = customToolName(path);
    tool.path = path;
    tool.args = args;
    tool.category = u"custom";
    tool.icon = kPuzzlePiece;
    tool.type = ToolType::Exe;
    tool.isCustom = true;
    return tool;
}

SaveOutcome addCustomTool(const std::u16string& path, const std::u16string& args, ToolRecord* added) {
    DocumentOutcome found;
    std::vector<ToolRecord> tools = loadCustomTools(&found);
    if (!mayReplace(found)) return SaveOutcome::NotRead;
    ToolRecord tool = makeCustomTool(path, args, systemTickCount(), tools);
    tools.push_back(tool);
    if (!saveCustomTools(tools)) return SaveOutcome::NotWritten;
    if (added) *added = std::move(tool);
    return SaveOutcome::Saved;
}

SaveOutcome removeCustomTool(const std::u16string& toolId) {
    DocumentOutcome found;
    std::vector<ToolRecord> tools = loadCustomTools(&found);
    if (!mayReplace(found)) return SaveOutcome::NotRead;
    tools.erase(std::remove_if(tools.begin(), tools.end(), [&toolId](const ToolRecord& tool) { return tool.id == toolId; }),
                tools.end());
    return saveCustomTools(tools) ? SaveOutcome::Saved : SaveOutcome::NotWritten;
}
