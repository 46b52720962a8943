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

// The lower-cased query with a 64-bit summary of the code units it holds: a
// text with a unit missing from the summary cannot occur in the query, which
// spares most of the searches.
struct Query {
    std::u16string text;
    uint64_t units = 0;
};

inline uint64_t unitBit(char16_t c) { return uint64_t{1} << (c & 63); }

Query prepareText(const std::u16string& query) {
    Query q{lowerAscii(query)};
    for (char16_t c : q.text) q.units |= unitBit(c);
    return q;
}

// Does the query contain lower(text)? Folds the text on the fly.
bool queryContains(const Query& query, std::u16string_view text) {
    const std::u16string_view q = query.text;
    const size_t n = text.size();
    if (n == 0 || n > q.size()) return false;
    for (char16_t c : text)
        if (!(query.units & unitBit(foldAscii(c)))) return false;
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

inline bool isAsciiWordUnit(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'); }

// A lexicon entry that begins like a Latin word matches only where a word
// begins in the query: "date" is not in "update", nor "ps" in "keeps".
bool queryHasEntry(const Query& query, std::u16string_view entry) {
    if (!queryContains(query, entry)) return false;  // never true for an empty entry
    if (!isAsciiWordUnit(entry[0])) return true;
    const std::u16string_view q = query.text;
    for (size_t at = q.find(entry); at != std::u16string_view::npos; at = q.find(entry, at + 1))
        if (at == 0 || !isAsciiWordUnit(q[at - 1])) return true;
    return false;
}

// Broad entries are dropped when any specific one matched.
bool queryHasAny(const Query& query, const std::vector<std::u16string>& entries, bool specificMatched) {
    for (const auto& entry : entries)
        if ((!specificMatched || !isBroadWord(entry)) && queryHasEntry(query, entry)) return true;
    return false;
}

bool anySpecificEntry(const Query& query) {
    for (const auto& [id, aliases] : toolAliases())
        if (queryHasAny(query, aliases, true)) return true;
    for (const auto& rule : symptomRules())
        if (queryHasAny(query, rule.keywords, true)) return true;
    return false;
}

// Adds a bonus to the entry of that key, or makes one; a rule names each key once.
void addBonus(std::vector<std::pair<const std::u16string*, int32_t>>& bonuses, const std::u16string& key) {
    auto it = std::find_if(bonuses.begin(), bonuses.end(), [&](const auto& entry) { return *entry.first == key; });
    if (it == bonuses.end())
        bonuses.push_back({&key, kRuleCategoryBonus});
    else
        it->second += kRuleCategoryBonus;
}

// What one query earns from the lexicon, decided once before the pass over the tools.
struct QueryLexicon {
    std::vector<const std::u16string*> aliasHitIds;  // ascending, as in the alias table
    std::vector<const SymptomRule*> firingRules;
    std::vector<std::pair<const std::u16string*, int32_t>> categoryBonus;  // summed over firing rules
    std::vector<std::pair<const std::u16string*, int32_t>> peerBonus;  // by tool id, likewise
    bool anyFileHints = false;
};

QueryLexicon prepareLexicon(const Query& q) {
    QueryLexicon lex;
    const bool specific = anySpecificEntry(q);
    for (const auto& [id, aliases] : toolAliases())
        if (queryHasAny(q, aliases, specific)) lex.aliasHitIds.push_back(&id);
    for (const auto& rule : symptomRules()) {
        if (!queryHasAny(q, rule.keywords, specific)) continue;
        lex.firingRules.push_back(&rule);
        if (!rule.fileHints.empty()) lex.anyFileHints = true;
        for (size_t p = 0; p < rule.peers.size(); ++p)
            if (std::find(rule.peers.begin(), rule.peers.begin() + p, rule.peers[p]) == rule.peers.begin() + p)
                addBonus(lex.peerBonus, rule.peers[p]);
        if (!rule.peers.empty()) continue;
        for (size_t c = 0; c < rule.categories.size(); ++c) {
            const std::u16string& category = rule.categories[c];
            // A rule grants its category bonus once, even if it named a category twice.
            if (std::find(rule.categories.begin(), rule.categories.begin() + c, category) ==
                rule.categories.begin() + c)
                addBonus(lex.categoryBonus, category);
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

bool containsText(std::u16string_view haystack, std::u16string_view needle) {
    if (needle.empty() || needle.size() > haystack.size()) return false;
    return haystack.find(needle) != std::u16string_view::npos;
}

std::vector<ScoredIndex> searchTools(const std::u16string& query, const std::vector<ToolRecord>& tools, size_t limit) {
    const Query q = prepareText(query);
    if (q.text.empty()) return {};
    const QueryLexicon lex = prepareLexicon(q);

    std::vector<ScoredIndex> hits;
    hits.reserve(tools.size());
    std::u16string f;  // reused for every tool's lower-cased file name
    for (size_t i = 0; i < tools.size(); ++i) {
        const ToolRecord& tool = tools[i];
        int32_t s = 0;
        if (tool.name.size() >= 2 && queryContains(q, tool.name)) s += kNameBonus;
        if (queryContains(q, tool.fileName)) s += kFileBonus;
        for (const auto& tag : tool.tags)
            if (queryContains(q, tag)) s += kToolTagBonus;
        if (!lex.aliasHitIds.empty() && hasAliasHit(lex, tool.id)) s += kAliasBonus;
        for (const auto& [category, bonus] : lex.categoryBonus)
            if (tool.category == *category) s += bonus;
        for (const auto& [id, bonus] : lex.peerBonus)
            if (tool.id == *id) s += bonus;
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
    const Query q = prepareText(query);
    if (q.text.empty()) return {};
    std::vector<ScoredIndex> hits;
    for (size_t i = 0; i < playbooks.size(); ++i) {
        const Playbook& playbook = playbooks[i];
        int32_t s = 0;
        for (const auto& tag : playbook.tags)
            if (queryContains(q, tag)) s += kPlaybookTagBonus;
        if (queryContains(q, playbook.summary)) s += kSummaryBonus;
        // "U盘/移动硬盘不识别" is matched by its first half only.
        std::u16string_view title = playbook.title;
        title = title.substr(0, title.find(u'/'));
        while (!title.empty() && title.back() == u' ') title.remove_suffix(1);
        if (title.size() >= 2 && queryContains(q, title)) s += kTitleBonus;
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
