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

TEST(Lexicon, RulesAreLowerCaseAndEachKeywordFiresOneRule) {
    const auto& rules = symptomRules();
    ASSERT_EQ(rules.size(), 18u);
    std::set<std::u16string> seenKeywords;
    for (const auto& rule : rules) {
        EXPECT_FALSE(rule.categories.empty());
        EXPECT_FALSE(rule.fileHints.empty());
        for (const auto& list : {rule.keywords, rule.categories, rule.fileHints})
            for (const auto& entry : list) EXPECT_TRUE(storedLowerCase(entry)) << wideToUtf8(entry);
        for (const auto& keyword : rule.keywords)
            EXPECT_TRUE(seenKeywords.insert(keyword).second) << "in two rules: " << wideToUtf8(keyword);
    }
    EXPECT_EQ(seenKeywords.size(), 134u);
    EXPECT_EQ(rules[0].keywords.front(), u"上不了网");
}

TEST(Lexicon, AliasesAreLowerCaseAndKeyedByTheShippedToolIds) {
    auto document = parseJson(utf8ToWide(platform::embeddedResource(101)));
    ASSERT_TRUE(document);
    std::set<std::u16string> shippedIds;
    for (const auto& tool : parseToolPack(*document, false)) shippedIds.insert(tool.id);
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
