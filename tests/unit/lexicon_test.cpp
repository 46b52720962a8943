#include <gtest/gtest.h>

#include <set>

#include "data/json.h"
#include "data/text.h"
#include "data/tool_record.h"
#include "platform/platform.h"
#include "search/lexicon.h"

namespace {

// Queries are lower-cased once and compared as they are, so every entry must be stored lower-case.
bool storedLowerCase(const std::u16string& entry) {
    if (entry.empty()) return false;
    for (char16_t c : entry)
        if (c >= u'A' && c <= u'Z') return false;
    return true;
}

std::set<std::u16string> shippedToolIds() {
    auto document = parseJson(utf8ToWide(platform::embeddedResource(101)));
    std::set<std::u16string> ids;
    if (document)
        for (const auto& tool : parseToolPack(*document, false)) ids.insert(tool.id);
    return ids;
}

TEST(Lexicon, RulesAreLowerCaseAndEachKeywordFiresOneRule) {
    const auto& rules = symptomRules();
    const std::set<std::u16string> shippedIds = shippedToolIds();
    std::set<std::u16string> seenKeywords;
    size_t broad = 0;
    for (const auto& rule : rules) {
        // A rule pads either a whole category or the tools that share its symptom, never both.
        EXPECT_NE(rule.categories.empty(), rule.peers.empty());
        EXPECT_FALSE(rule.fileHints.empty());
        for (const auto& list : {rule.keywords, rule.categories, rule.fileHints})
            for (const auto& entry : list) EXPECT_TRUE(storedLowerCase(entry)) << wideToUtf8(entry);
        for (const auto& peer : rule.peers) EXPECT_EQ(shippedIds.count(peer), 1u) << wideToUtf8(peer);
        for (const auto& keyword : rule.keywords) {
            EXPECT_TRUE(seenKeywords.insert(keyword).second) << "in two rules: " << wideToUtf8(keyword);
            broad += isBroadWord(keyword);
        }
    }
    EXPECT_GE(broad, 3u);  // the broad-word list names real entries
    EXPECT_EQ(rules[0].keywords.front(), u"上不了网");
}

TEST(Lexicon, AliasesAreLowerCaseAndKeyedByTheShippedToolIds) {
    const std::set<std::u16string> shippedIds = shippedToolIds();
    ASSERT_EQ(shippedIds.size(), 72u);
    std::set<std::u16string> aliasIds;
    for (const auto& [id, list] : toolAliases()) {
        aliasIds.insert(id);
        for (const auto& alias : list) EXPECT_TRUE(storedLowerCase(alias)) << wideToUtf8(alias);
    }
    EXPECT_EQ(aliasIds, shippedIds);
    EXPECT_EQ(toolAliases().at(u"builtin.snip.new"), toolAliases().at(u"builtin.snip.old"));
    EXPECT_EQ(toolAliases().at(u"builtin.recorder.new"), toolAliases().at(u"builtin.recorder.old"));
}

}  // namespace
