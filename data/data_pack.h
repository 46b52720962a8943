// The three data packs: found in the data directory chain or embedded.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/json.h"
#include "data/tool_record.h"

struct PackInfo {
    const char16_t* fileName;
    int resourceId;
    const char16_t* arrayKey;
};

constexpr PackInfo kBuiltinToolsPack = {u"builtin-tools.json", 101, u"tools"};
constexpr PackInfo kExternalToolsPack = {u"external-tools.json", 102, u"tools"};
constexpr PackInfo kPlaybooksPack = {u"playbooks.json", 103, u"playbooks"};

// The label of a pack that came from the embedded copy.
constexpr const char16_t* kEmbeddedSourceLabel = u"(内置)";

// TOOLKEEP_DATA_DIR, then %APPDATA%\Toolkeep, then the executable's folder.
std::vector<std::u16string> dataDirectoryChain();
// The first copy of the pack in that chain, the one loadDataPack tries; empty when there is none.
std::u16string findPackFile(const std::u16string& fileName);

// Reads from disk on every call; sourceLabel receives the file path or "(内置)".
std::optional<JsonValue> loadDataPack(const std::u16string& fileName, int resourceId, const std::u16string& arrayKey,
                                      std::u16string* sourceLabel = nullptr);
std::optional<JsonValue> loadDataPack(const PackInfo& pack, std::u16string* sourceLabel = nullptr);

// "dataVersion" of the pack, or "0.0.0".
std::u16string packDataVersion(const PackInfo& pack);
std::u16string builtinToolsSource();
std::vector<ToolRecord> loadBuiltinTools();
std::vector<ToolRecord> loadExternalTools();
// The copies of the two tool packs in the directory chain that the loader could
// not use, so that it took the embedded copy instead: worth telling the user,
// whose edit would otherwise be ignored without a word.
std::vector<std::u16string> unusableToolPackCopies();
