#include "data/data_pack.h"

#include "data/files.h"
#include "data/text.h"
#include "platform/platform.h"

namespace {
// The environment value must fit a MAX_PATH buffer with its terminator.
constexpr size_t kMaxDataDirLength = 259;
}  // namespace

std::vector<std::u16string> dataDirectoryChain() {
    std::vector<std::u16string> chain;
    if (auto dir = platform::getEnv(u"TOOLKEEP_DATA_DIR"); dir && !dir->empty() && dir->size() <= kMaxDataDirLength)
        chain.push_back(*dir);
    if (std::u16string appData = platform::roamingAppDataDir(); !appData.empty())
        chain.push_back(platform::joinPath(appData, u"Toolkeep"));
    if (std::u16string exeDir = platform::executableDir(); !exeDir.empty()) chain.push_back(exeDir);
    return chain;
}

std::u16string findPackFile(const std::u16string& fileName) {
    for (const std::u16string& dir : dataDirectoryChain()) {
        std::u16string candidate = platform::joinPath(dir, fileName);
        if (platform::fileExists(candidate)) return candidate;
    }
    return {};
}

std::optional<JsonValue> loadDataPack(const std::u16string& fileName, int resourceId, const std::u16string& arrayKey,
                                      std::u16string* sourceLabel) {
    // Only the first file found is tried; a broken one falls back to the embedded copy.
    for (const std::u16string& dir : dataDirectoryChain()) {
        std::u16string candidate = platform::joinPath(dir, fileName);
        if (!platform::fileExists(candidate)) continue;
        if (auto bytes = readWholeFile(candidate); bytes && !bytes->empty()) {
            auto document = parseJson(utf8ToWide(*bytes));
            if (document && document->kind == JsonKind::Object && findMember(*document, arrayKey)) {
                if (sourceLabel) *sourceLabel = candidate;
                return document;
            }
        }
        break;
    }
    std::string embedded = platform::embeddedResource(resourceId);
    if (embedded.empty()) return std::nullopt;
    if (sourceLabel) *sourceLabel = kEmbeddedSourceLabel;
    return parseJson(utf8ToWide(embedded));
}

std::optional<JsonValue> loadDataPack(const PackInfo& pack, std::u16string* sourceLabel) {
    return loadDataPack(pack.fileName, pack.resourceId, pack.arrayKey, sourceLabel);
}

std::u16string packDataVersion(const PackInfo& pack) {
    auto document = loadDataPack(pack);
    if (!document) return u"0.0.0";
    return getString(*document, u"dataVersion", u"0.0.0");
}

std::u16string builtinToolsSource() {
    std::u16string label = kEmbeddedSourceLabel;
    loadDataPack(kBuiltinToolsPack, &label);
    return label;
}

std::vector<ToolRecord> loadBuiltinTools() {
    auto document = loadDataPack(kBuiltinToolsPack);
    return document ? parseToolPack(*document, false) : std::vector<ToolRecord>();
}

std::vector<ToolRecord> loadExternalTools() {
    auto document = loadDataPack(kExternalToolsPack);
    if (!document) return {};
    std::vector<ToolRecord> tools = parseToolPack(*document, false);
    for (ToolRecord& tool : tools) {
        tool.isExternal = true;
        tool.category = u"external";
        tool.isInstalled = false;
    }
    return tools;
}

std::vector<std::u16string> unusableToolPackCopies() {
    std::vector<std::u16string> unusable;
    for (const PackInfo& pack : {kBuiltinToolsPack, kExternalToolsPack}) {
        const std::u16string copy = findPackFile(pack.fileName);
        std::u16string source;
        if (!copy.empty() && loadDataPack(pack, &source) && source != copy) unusable.push_back(copy);
    }
    return unusable;
}
