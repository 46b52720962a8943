// The built-in bilingual symptom lexicon: symptom rules and tool aliases.
// Every entry is stored in lower case; queries are lower-cased before matching.
#pragma once

#include <map>
#include <string_view>
#include <string>
#include <vector>

struct SymptomRule {
    std::vector<std::u16string> keywords;  // the rule fires when one occurs in the query
    std::vector<std::u16string> categories;  // compared exactly with a tool's category
    std::vector<std::u16string> fileHints;  // fragments of lower-cased file names
    // Tool ids that share the symptom; when given they, not the categories, get the padding bonus.
    std::vector<std::u16string> peers;
};

// Changes only with the program; shown on the About page.
constexpr const char16_t* kLexiconDataVersion = u"0.0.1";

// Built on first use (thread-safe), read-only afterwards; always the same object.
const std::vector<SymptomRule>& symptomRules();
// Tool id (exact) to its alias phrases, in the order they are tried.
const std::map<std::u16string, std::vector<std::u16string>>& toolAliases();
// A broad entry ("screen", "管理") counts only when nothing more specific matched.
bool isBroadWord(std::u16string_view entry);
