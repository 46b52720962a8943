#include "search/ranking.h"

#include <algorithm>

#include "search/lexicon.h"

namespace {

constexpr int32_t kNameBonus = 50;
constexpr int32_t kFileBonus = 45;
constexpr int32_t kToolTagBonus = 20;
constexpr int32_t kAliasBonus = 60;
constexpr int32_t kRuleCategoryBonus = 15;
constexpr int32_t kRuleFileHintBonus = 35;
constexpr int32_t kPlaybookTagBonus = 30;
constexpr int32_t kSummaryBonus = 15;
constexpr int32_t kTitleBonus = 35;

inline char16_t foldAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

void lowerInto(std::u16string& out, std::u16string_view text) {
    out.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) out[i] = foldAscii(text[i]);
}

// Does the lower-cased query contain lower(text)? Folds the text on the fly.
bool queryContainsFolded(std::u16string_view q, std::u16string_view text) {
    const size_t n = text.size();
    if (n == 0 || n > q.size()) return false;
    const char16_t first = foldAscii(text[0]);
    for (size_t i = 0, last = q.size() - n; i <= last; ++i) {
        if (q[i] != first) continue;
        size_t k = 1;
        while (k < n && q[i + k] == foldAscii(text[k])) ++k;
        if (k == n) return true;
    }
    return false;
}

// Does lower(text) contain the lower-cased query? An empty query is contained.
bool foldedContainsQuery(std::u16string_view text, std::u16string_view q) {
    const size_t n = q.size();
    if (n == 0) return true;
    if (n > text.size()) return false;
    const char16_t first = q[0];
    for (size_t i = 0, last = text.size() - n; i <= last; ++i) {
        if (foldAscii(text[i]) != first) continue;
        size_t k = 1;
        while (k < n && foldAscii(text[i + k]) == q[k]) ++k;
        if (k == n) return true;
    }
    return false;
}

bool containsAny(std::u16string_view haystack, const std::vector<std::u16string>& needles) {
    for (const auto& needle : needles)
        if (containsText(haystack, needle)) return true;
    return false;
}

// Highest score first, ties in list order, cut to limit. Positions are unique,
// so (score desc, index asc) is a total order: a partial sort gives exactly
// what a stable sort followed by the cut would.
void rankAndCut(std::vector<ScoredIndex>& hits, size_t limit) {
    auto better = [](const ScoredIndex& a, const ScoredIndex& b) {
        return a.score != b.score ? a.score > b.score : a.index < b.index;
    };
    if (limit < hits.size()) {
        std::partial_sort(hits.begin(), hits.begin() + static_cast<std::ptrdiff_t>(limit), hits.end(), better);
        hits.resize(limit);
    } else {
        std::sort(hits.begin(), hits.end(), better);
    }
}

// What one query earns from the lexicon, decided once before the pass over the tools.
struct QueryLexicon {
    std::vector<const std::u16string*> aliasHitIds;  // ascending, as in the alias table
    std::vector<const SymptomRule*> firingRules;
    std::vector<std::pair<const std::u16string*, int32_t>> categoryBonus;  // summed over firing rules
    bool anyFileHints = false;
};

QueryLexicon prepareQuery(std::u16string_view q) {
    QueryLexicon lex;
    for (const auto& [id, aliases] : toolAliases())
        if (containsAny(q, aliases)) lex.aliasHitIds.push_back(&id);
    for (const auto& rule : symptomRules()) {
        if (!containsAny(q, rule.keywords)) continue;
        lex.firingRules.push_back(&rule);
        if (!rule.fileHints.empty()) lex.anyFileHints = true;
        for (size_t c = 0; c < rule.categories.size(); ++c) {
            const std::u16string& category = rule.categories[c];
            // A rule grants its category bonus once, even if it named a category twice.
            if (std::find(rule.categories.begin(), rule.categories.begin() + c, category) !=
                rule.categories.begin() + c)
                continue;
            auto it = std::find_if(lex.categoryBonus.begin(), lex.categoryBonus.end(),
                                   [&](const auto& entry) { return *entry.first == category; });
            if (it == lex.categoryBonus.end())
                lex.categoryBonus.push_back({&category, kRuleCategoryBonus});
            else
                it->second += kRuleCategoryBonus;
        }
    }
    return lex;
}

bool hasAliasHit(const QueryLexicon& lex, const std::u16string& id) {
    auto it = std::lower_bound(lex.aliasHitIds.begin(), lex.aliasHitIds.end(), id,
                               [](const std::u16string* a, const std::u16string& b) { return *a < b; });
    return it != lex.aliasHitIds.end() && **it == id;
}

}  // namespace

std::u16string lowerAscii(std::u16string_view text) {
    std::u16string out;
    lowerInto(out, text);
    return out;
}

bool containsText(std::u16string_view haystack, std::u16string_view needle) {
    if (needle.empty() || needle.size() > haystack.size()) return false;
    return haystack.find(needle) != std::u16string_view::npos;
}

std::vector<ScoredIndex> searchTools(const std::u16string& query, const std::vector<ToolRecord>& tools,
                                     size_t limit) {
    const std::u16string q = lowerAscii(query);
    if (q.empty()) return {};
    const QueryLexicon lex = prepareQuery(q);

    std::vector<ScoredIndex> hits;
    hits.reserve(tools.size());
    std::u16string f;  // reused for every tool's lower-cased file name
    for (size_t i = 0; i < tools.size(); ++i) {
        const ToolRecord& tool = tools[i];
        int32_t s = 0;
        if (tool.name.size() >= 2 && queryContainsFolded(q, tool.name)) s += kNameBonus;
        if (queryContainsFolded(q, tool.fileName)) s += kFileBonus;
        for (const auto& tag : tool.tags)
            if (queryContainsFolded(q, tag)) s += kToolTagBonus;
        if (!lex.aliasHitIds.empty() && hasAliasHit(lex, tool.id)) s += kAliasBonus;
        for (const auto& [category, bonus] : lex.categoryBonus)
            if (tool.category == *category) s += bonus;
        if (lex.anyFileHints && !tool.fileName.empty()) {
            lowerInto(f, tool.fileName);
            for (const SymptomRule* rule : lex.firingRules)
                if (containsAny(f, rule->fileHints)) s += kRuleFileHintBonus;
        }
        if (s > 0) hits.push_back({static_cast<uint64_t>(i), s});
    }
    rankAndCut(hits, limit);
    return hits;
}

std::vector<ScoredIndex> searchPlaybooks(const std::u16string& query, const std::vector<Playbook>& playbooks,
                                         size_t limit) {
    const std::u16string q = lowerAscii(query);
    if (q.empty()) return {};
    std::vector<ScoredIndex> hits;
    for (size_t i = 0; i < playbooks.size(); ++i) {
        const Playbook& playbook = playbooks[i];
        int32_t s = 0;
        for (const auto& tag : playbook.tags)
            if (queryContainsFolded(q, tag)) s += kPlaybookTagBonus;
        if (queryContainsFolded(q, playbook.summary)) s += kSummaryBonus;
        // "U盘/移动硬盘不识别" is matched by its first half only.
        std::u16string_view title = playbook.title;
        title = title.substr(0, title.find(u'/'));
        while (!title.empty() && title.back() == u' ') title.remove_suffix(1);
        if (title.size() >= 2 && queryContainsFolded(q, title)) s += kTitleBonus;
        if (s > 0) hits.push_back({static_cast<uint64_t>(i), s});
    }
    rankAndCut(hits, limit);
    return hits;
}

std::vector<uint64_t> filterTools(const std::u16string& query, const std::vector<ToolRecord>& tools) {
    const std::u16string q = lowerAscii(query);
    std::vector<uint64_t> kept;
    for (size_t i = 0; i < tools.size(); ++i) {
        const ToolRecord& tool = tools[i];
        bool match = foldedContainsQuery(tool.name, q) ||
                     (!tool.nameEn.empty() && foldedContainsQuery(tool.nameEn, q)) ||
                     (!tool.descriptionEn.empty() && foldedContainsQuery(tool.descriptionEn, q)) ||
                     foldedContainsQuery(tool.fileName, q);
        for (size_t t = 0; !match && t < tool.tags.size(); ++t) match = foldedContainsQuery(tool.tags[t], q);
        if (match) kept.push_back(static_cast<uint64_t>(i));
    }
    return kept;
}
