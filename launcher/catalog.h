// The catalog: the ordered tool list the window, the search and the launcher
// work on, assembled with the playbook list.
#pragma once

#include <vector>

#include "data/file_backup.h"
#include "data/tool_record.h"
#include "launcher/tool_resolution.h"
#include "playbooks/playbook_files.h"

struct Catalog {
    std::vector<ToolRecord> tools;  // present built-in, every external, custom
    std::vector<ToolRecord> absent;  // built-in tools this machine lacks, kept to name them (playbook steps)
    std::vector<Playbook> playbooks;  // shipped, then the team's files, then the user's
    std::vector<PlaybookFile> brokenPlaybookFiles;  // each playbook file with problems, to report
    std::vector<std::u16string> unusableToolPacks;  // the data folder's tool packs that were passed over
};

// The present built-in tools in pack order, every external tool after the
// Tools-folder lookup, then the custom tools in file order. Asks many
// questions: give it listing probes (listingProbes).
std::vector<ToolRecord> assembleToolList(const std::vector<ToolRecord>& builtin, std::vector<ToolRecord> external,
                                         const std::vector<ToolRecord>& custom, const ResolutionProbes& probes);

// Reads the packs and the custom tools file now (files replaced on disk take
// effect here).
Catalog loadCatalog();
Catalog loadCatalog(const std::vector<ToolRecord>& customTools);

// The catalog with what reading the custom tools file found and whether the
// built-in tools came from the embedded pack. Any thread may read it.
struct CatalogRead {
    Catalog catalog;
    DocumentOutcome customToolsFile;
    bool fromEmbedded = true;
};
CatalogRead readCatalog();
