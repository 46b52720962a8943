#include "launcher/catalog.h"

#include <set>

#include "data/custom_tools.h"
#include "data/data_pack.h"

std::vector<ToolRecord> assembleToolList(const std::vector<ToolRecord>& builtin, std::vector<ToolRecord> external,
                                         const std::vector<ToolRecord>& custom, const ResolutionProbes& probes) {
    std::vector<ToolRecord> tools;
    tools.reserve(builtin.size() + external.size() + custom.size());
    for (const ToolRecord& tool : builtin) {
        if (isToolAvailable(tool, probes)) tools.push_back(tool);
    }
    for (ToolRecord& tool : external) {
        discoverExternalTool(tool, probes);
        tools.push_back(std::move(tool));
    }
    tools.insert(tools.end(), custom.begin(), custom.end());
    return tools;
}

Catalog loadCatalog(const std::vector<ToolRecord>& customTools) {
    Catalog catalog;
    const std::vector<ToolRecord> builtin = loadBuiltinTools();
    catalog.tools = assembleToolList(builtin, loadExternalTools(), customTools, listingProbes(systemProbes()));
    std::set<std::u16string> listed;
    for (const ToolRecord& tool : catalog.tools) listed.insert(tool.id);
    for (const ToolRecord& tool : builtin)
        if (!listed.count(tool.id)) catalog.absent.push_back(tool);
    // Tool steps of the team's and the user's files must name a tool the catalog knows.
    std::set<std::u16string> toolIds;
    for (const ToolRecord& tool : builtin) toolIds.insert(tool.id);
    for (const ToolRecord& tool : catalog.tools) toolIds.insert(tool.id);
    PlaybookSet playbooks = loadPlaybookSet(toolIds);
    catalog.playbooks = std::move(playbooks.playbooks);
    catalog.brokenPlaybookFiles = std::move(playbooks.files);
    catalog.unusableToolPacks = unusableToolPackCopies();
    return catalog;
}

Catalog loadCatalog() { return loadCatalog(loadCustomTools()); }

CatalogRead readCatalog() {
    CatalogRead read;
    read.catalog = loadCatalog(loadCustomTools(&read.customToolsFile));
    read.fromEmbedded = builtinToolsSource() == kEmbeddedSourceLabel;
    return read;
}
