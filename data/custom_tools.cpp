#include "data/custom_tools.h"

#include <algorithm>
#include <functional>
#include <optional>

#include "data/file_backup.h"
#include "data/files.h"
#include "data/json.h"
#include "data/text.h"

namespace {

constexpr char16_t kPuzzlePiece[] = u"\U0001F9E9";

std::string member(const char* key, const std::string& value) { return std::string("\"") + key + "\": " + value; }

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

namespace {

// One tool as the program writes it: "{ ", the members, " }".
std::string toolEntry(const ToolRecord& tool) {
    std::string text = "{ " + member("id", configQuote(tool.id));
    text += ", " + member("name", configQuote(tool.name));
    text += ", " + member("type", "\"exe\"");
    text += ", " + member("path", configQuote(tool.path));
    if (!tool.args.empty()) text += ", " + member("args", configQuote(tool.args));
    text += ", " + member("category", "\"custom\"");
    text += ", " + member("icon", configQuote(tool.icon.empty() ? kPuzzlePiece : tool.icon));
    return text + " }";
}

// The file as the user left it, in UTF-8 (an ANSI one converted), for edits in place.
std::string editableText(const StoredDocument& stored) {
    return isValidUtf8(stored.bytes) ? stored.bytes : wideToUtf8(fileTextToWide(stored.bytes));
}

// The tools array located in the text, element for element as the parser saw it.
std::optional<ArraySpans> toolSpans(const std::string& text, const JsonValue& document) {
    std::optional<ArraySpans> spans = findArraySpans(text, u"tools");
    const JsonValue* tools = findMember(document, u"tools");
    if (!spans || !isKind(tools, JsonKind::Array) || spans->elements.size() != tools->items.size()) return std::nullopt;
    return spans;
}

// The text with the new tool after the last one; every other byte stays.
std::optional<std::string> withToolAdded(const StoredDocument& stored, const ToolRecord& tool) {
    std::string text = editableText(stored);
    std::optional<ArraySpans> spans = toolSpans(text, stored.document);
    if (!spans) return std::nullopt;
    if (spans->elements.empty()) return text.insert(spans->open + 1, "\n    " + toolEntry(tool));
    return text.insert(spans->elements.back().second, ",\n    " + toolEntry(tool));
}

// The text without the tools of this id, each cut with the separator before
// it (the first with the one after it); every other byte stays.
std::optional<std::string> withToolRemoved(const StoredDocument& stored, const std::u16string& toolId) {
    std::string text = editableText(stored);
    std::optional<ArraySpans> spans = toolSpans(text, stored.document);
    if (!spans) return std::nullopt;
    const std::vector<JsonValue>& items = findMember(stored.document, u"tools")->items;
    std::vector<std::pair<size_t, size_t>> kept = spans->elements;
    for (size_t i = items.size(); i-- > 0;) {
        if (items[i].kind != JsonKind::Object || getString(items[i], u"id") != toolId) continue;
        size_t from = i > 0 ? kept[i - 1].second : kept.size() == 1 ? spans->open + 1 : kept[0].first;
        size_t to = i > 0 || kept.size() == 1 ? kept[i].second : kept[1].first;
        text.erase(from, to - from);
        kept.erase(kept.begin() + long(i));
        for (size_t j = i; j < kept.size(); ++j) {
            kept[j].first -= to - from;
            kept[j].second -= to - from;
        }
    }
    return text;
}

SaveOutcome editCustomTools(const std::function<std::string(const StoredDocument& stored)>& edit) {
    return saveUnderLock(customToolsPath(), isCustomToolsDocument, edit);
}

std::vector<ToolRecord> toolsOf(const StoredDocument& stored) {
    return stored.outcome.state == DocumentState::Loaded ? parseToolPack(stored.document, true)
                                                         : std::vector<ToolRecord>();
}

}  // namespace

std::string serializeCustomTools(const std::vector<ToolRecord>& tools) {
    std::string text = "{\n  \"version\": \"1.0\",\n  \"tools\": [\n";
    for (size_t i = 0; i < tools.size(); ++i)
        text += "    " + toolEntry(tools[i]) + (i + 1 < tools.size() ? ",\n" : "\n");
    text += "  ]\n}\n";
    return text;
}

bool saveCustomTools(const std::vector<ToolRecord>& tools) {
    return editCustomTools([&tools](const StoredDocument&) { return serializeCustomTools(tools); }) ==
           SaveOutcome::Saved;
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

// Edits the file in place, so that what the user wrote into it (every member,
// known or not, and the layout) survives; a file without one falls back to
// the program's own layout.
SaveOutcome addCustomTool(const std::u16string& path, const std::u16string& args, ToolRecord* added) {
    ToolRecord tool;
    SaveOutcome outcome = editCustomTools([&](const StoredDocument& stored) {
        std::vector<ToolRecord> tools = toolsOf(stored);
        tool = makeCustomTool(path, args, systemTickCount(), tools);
        if (auto edited = stored.outcome.state == DocumentState::Loaded ? withToolAdded(stored, tool) : std::nullopt)
            return *edited;
        tools.push_back(tool);
        return serializeCustomTools(tools);
    });
    if (outcome == SaveOutcome::Saved && added) *added = std::move(tool);
    return outcome;
}

SaveOutcome removeCustomTool(const std::u16string& toolId) {
    return editCustomTools([&toolId](const StoredDocument& stored) {
        if (auto edited =
                stored.outcome.state == DocumentState::Loaded ? withToolRemoved(stored, toolId) : std::nullopt)
            return *edited;
        std::vector<ToolRecord> tools = toolsOf(stored);
        tools.erase(
            std::remove_if(tools.begin(), tools.end(), [&toolId](const ToolRecord& tool) { return tool.id == toolId; }),
            tools.end());
        return serializeCustomTools(tools);
    });
}
