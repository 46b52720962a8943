#include <gtest/gtest.h>

#include <set>

#include "data/json.h"
#include "data/text.h"
#include "data/tool_record.h"
#include "platform/platform.h"
#include "search/lexicon.h"

namespace {

size_t countEntries(const std::vector<std::vector<std::u16string>>& lists) {
    size_t n = 0;
    for (const auto& list : lists) n += list.size();
    return n;
}

bool storedLowerCase(const std::u16string& entry) {
    if (entry.empty()) return false;
    for (char16_t c : entry)
        if (c >= u'A' && c <= u'Z') return false;
    return true;
}

TEST(Lexicon, TableSizesAndCase) {
    EXPECT_EQ(std::u16string(kLexiconDataVersion), u"0.0.1");
    const auto& rules = symptomRules();
    ASSERT_EQ(rules.size(), 18u);
    std::vector<std::vector<std::u16string>> keywordLists;
    std::set<std::u16string> seenKeywords;
    for (const auto& rule : rules) {
        keywordLists.push_back(rule.keywords);
        EXPECT_FALSE(rule.categories.empty());
        EXPECT_FALSE(rule.fileHints.empty());
        for (const auto& list : {rule.keywords, rule.categories, rule.fileHints})
            for (const auto& entry : list) EXPECT_TRUE(storedLowerCase(entry)) << wideToUtf8(entry);
        for (const auto& keyword : rule.keywords)
            EXPECT_TRUE(seenKeywords.insert(keyword).second) << "in two rules: " << wideToUtf8(keyword);
    }
    EXPECT_EQ(countEntries(keywordLists), 134u);
    EXPECT_EQ(rules[0].keywords.front(), u"上不了网");
    EXPECT_EQ(rules[17].fileHints, std::vector<std::u16string>{u"compmgmt"});

    const auto& aliases = toolAliases();
    ASSERT_EQ(aliases.size(), 72u);
    std::vector<std::vector<std::u16string>> aliasLists;
    for (const auto& [id, list] : aliases) {
        aliasLists.push_back(list);
        for (const auto& alias : list) EXPECT_TRUE(storedLowerCase(alias)) << wideToUtf8(alias);
    }
    EXPECT_EQ(countEntries(aliasLists), 484u);
    EXPECT_EQ(aliases.at(u"builtin.snip.new"), aliases.at(u"builtin.snip.old"));
    EXPECT_EQ(aliases.at(u"builtin.recorder.new"), aliases.at(u"builtin.recorder.old"));
    EXPECT_EQ(aliases.at(u"builtin.ncpa")[6], u"上不了网");
}

TEST(Lexicon, AliasKeysAreTheShippedToolIds) {
    auto document = parseJson(utf8ToWide(platform::embeddedResource(101)));
    ASSERT_TRUE(document);
    std::set<std::u16string> shippedIds;
    for (const auto& tool : parseToolPack(*document, false)) shippedIds.insert(tool.id);
    std::set<std::u16string> aliasIds;
    for (const auto& [id, list] : toolAliases()) aliasIds.insert(id);
    EXPECT_EQ(aliasIds, shippedIds);
}

}  // namespace
