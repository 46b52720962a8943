#include <gtest/gtest.h>

#include "ui/assistant_answer.h"
#include "ui/ui_text.h"

namespace {

class AssistantAnswerTest : public ::testing::Test {
protected:
    void SetUp() override {
        setUiLanguage(1);
        ToolRecord a;
        a.id = u"a";
        a.name = u"Qwzfoo";
        a.nameEn = u"Foo tool";
        a.fileName = u"foo.exe";
        ToolRecord b;
        b.id = u"b";
        b.name = u"Qwzbar";
        catalog = {a, b};
        Playbook p;
        p.id = u"p";
        p.title = u"剧本甲";
        p.titleEn = u"Playbook A";
        p.tags = {u"qwzplay"};
        Playbook q = p;
        q.title = u"剧本乙";
        playbooks = {p, q};
    }
    void TearDown() override { setUiLanguage(0); }
    std::vector<std::u16string> texts(const AssistantAnswer& answer) {
        std::vector<std::u16string> out;
        for (const auto& line : answer.lines) out.push_back(line.text);
        return out;
    }
    std::vector<ToolRecord> catalog;
    std::vector<Playbook> playbooks;
};

TEST_F(AssistantAnswerTest, QueryTextIsCutThenTrimmed) {
    EXPECT_EQ(assistantQueryText(u" \t q w \r\n"), u"q w");
    EXPECT_EQ(assistantQueryText(u"   "), u"");
    std::u16string longText = u"  " + std::u16string(1100, u'x');
    EXPECT_EQ(assistantQueryText(longText), std::u16string(1020, u'x'));
}

TEST_F(AssistantAnswerTest, ToolsAndPlaybooks) {
    const AssistantAnswer answer = answerQuery(u"qwzfoo qwzbar qwzplay", catalog, playbooks, 0x123456);
    EXPECT_EQ(texts(answer), (std::vector<std::u16string>{
                                 u"\u203A qwzfoo qwzbar qwzplay",
                                 u"💡 Related playbooks: 剧本甲、剧本乙(listed in the left 'Results'; click to open)",
                                 u"Relevant tools (filtered to the left list; click to launch):",
                                 u"  \u2022 Foo tool  (foo.exe)", u"  \u2022 Qwzbar"}));
    EXPECT_EQ(answer.lines[0].color, kActionBlue);
    EXPECT_EQ(answer.lines[1].color, kHintGreen);
    EXPECT_EQ(answer.lines[2].color, 0x123456u);
    EXPECT_EQ(answer.lines[3].color, kActionBlue);
    EXPECT_EQ(answer.tools, (std::vector<uint64_t>{0, 1}));
}

TEST_F(AssistantAnswerTest, PlaybookOnlyAndNothing) {
    const AssistantAnswer playbookOnly = answerQuery(u"qwzplay", catalog, playbooks, 0);
    ASSERT_EQ(playbookOnly.lines.size(), 3u);
    EXPECT_EQ(playbookOnly.lines[2].text, u"No matching tools. Try rephrasing?");
    EXPECT_EQ(playbookOnly.lines[2].color, kFailureRed);
    EXPECT_TRUE(playbookOnly.tools.empty());

    // With the general tools in the catalog they are offered, one shell only, and every playbook is named.
    for (const char16_t* id : {u"builtin.powershell", u"builtin.eventvwr", u"builtin.cmd"}) {
        catalog.push_back(catalog[1]);
        catalog.back().id = id;
        catalog.back().nameEn = id;
    }
    const AssistantAnswer nothing = answerQuery(u"zzzz", catalog, playbooks, 0);
    EXPECT_EQ(texts(nothing),
              (std::vector<std::u16string>{
                  u"\u203A zzzz",
                  u"No exact match found. These general diagnostic tools are a place to start (filtered to the left "
                  u"list; click to launch):",
                  u"  \u2022 builtin.eventvwr", u"  \u2022 builtin.cmd",
                  u"💡 All playbooks: 剧本甲、剧本乙(open one from the left 'Playbooks' page)"}));
    EXPECT_EQ(nothing.lines[1].color, kFailureRed);
    EXPECT_EQ(nothing.lines[4].color, kHintGreen);
    EXPECT_EQ(nothing.tools, (std::vector<uint64_t>{3, 4}));
}

TEST_F(AssistantAnswerTest, PlaybookLineStopsAtThreeAndToolListAtTwenty) {
    std::vector<Playbook> many(5, playbooks[0]);
    std::vector<ToolRecord> tools(25, catalog[1]);
    const AssistantAnswer answer = answerQuery(u"qwzplay qwzbar", tools, many, 0);
    EXPECT_EQ(answer.lines[1].text,
              u"💡 Related playbooks: 剧本甲、剧本甲、剧本甲(listed in the left 'Results'; click to open)");
    EXPECT_EQ(answer.tools.size(), 20u);
    EXPECT_EQ(answer.lines.size(), 3u + 20u);
}

}  // namespace
