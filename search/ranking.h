// Offline matching of a free-text query against tools and playbooks.
// Matching folds only ASCII A-Z to lower case and compares UTF-16 code units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/text.h"
#include "data/tool_record.h"
#include "playbooks/playbook.h"

// A search hit: the record's position in the list searched and its score.
struct ScoredIndex {
    uint64_t index = 0;
    int32_t score = 0;
};

// A plain run-of-code-units search; an empty needle is never contained.
bool containsText(std::u16string_view haystack, std::u16string_view needle);

// Ranked by score (highest first, ties in list order), at most limit entries.
// The query is read as a description: it must contain a tool's words.
std::vector<ScoredIndex> searchTools(const std::u16string& query, const std::vector<ToolRecord>& tools, size_t limit);
std::vector<ScoredIndex> searchPlaybooks(const std::u16string& query, const std::vector<Playbook>& playbooks,
                                         size_t limit);

// The search box's filter: positions (in list order) of the tools one of whose
// texts contains the query. An empty query keeps every tool.
std::vector<uint64_t> filterTools(const std::u16string& query, const std::vector<ToolRecord>& tools);
