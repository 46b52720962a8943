#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <set>
#include <tuple>

#include "ui/navigation_model.h"
#include "ui/ui_text.h"

namespace {

ToolRecord tool(const char16_t* id, const char16_t* name, const char16_t* category, const char16_t* fileName = u"") {
    ToolRecord t;
    t.id = id;
    t.name = name;
    t.nameEn = std::u16string(name) + u" EN";
    t.category = category;
    t.fileName = fileName;
    return t;
}

Playbook playbook(const char16_t* id, const char16_t* title, std::vector<std::u16string> tags = {}) {
    Playbook p;
    p.id = id;
    p.title = title;
    p.titleEn = std::u16string(title) + u" EN";
    p.tags = std::move(tags);
    return p;
}

std::vector<std::u16string> texts(const std::vector<NavItem>& items) {
    std::vector<std::u16string> out;
    for (const auto& item : items) out.push_back(item.text);
    return out;
}

// Four tools, one in no category; two playbooks.
class NavigationModel : public ::testing::Test {
protected:
    void SetUp() override { setUiLanguage(1); }
    void TearDown() override { setUiLanguage(0); }
    NavigationSources sources() const { return {catalog, playbooks, favorites, recents, true, {}}; }
    std::vector<ToolRecord> catalog = {tool(u"a", u"Alpha", u"system", u"alpha.msc"), tool(u"b", u"Bravo", u"network"),
                                       tool(u"c", u"Charlie", u"storage"), tool(u"d", u"Delta", u"nowhere")};
    std::vector<Playbook> playbooks = {playbook(u"p0", u"Zulu trouble", {u"zulu"}), playbook(u"p1", u"Yankee")};
    std::vector<std::u16string> favorites;
    std::vector<std::u16string> recents;
};

TEST_F(NavigationModel, ToolsSegmentShowsNonEmptyCategoriesAndAlwaysCustom) {
    favorites = {u"c", u"gone", u"a"};
    recents = {u"b"};
    const auto items = buildToolsSegment(sources());
    EXPECT_EQ(texts(items), (std::vector<std::u16string>{u"\u2B50 Favorites (2)", u"\U0001F558 Recent (1)",
                                                         u"\U0001F5A5 System (1)", u"\U0001F310 Network (1)",
                                                         u"\U0001F4BE Storage (1)", u"\U0001F4E6 Custom Tools (0)"}));
    // Favorites keep the setting's order and skip ids with no tool.
    ASSERT_EQ(items[0].children.size(), 2u);
    EXPECT_EQ(items[0].children[0].data, 2);
    EXPECT_EQ(items[0].children[1].data, 0);
    EXPECT_EQ(items[0].children[1].text, u"Alpha EN   alpha.msc");
    const bool expanded[] = {true, true, true, true, false, false};
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].expanded, expanded[i]) << i;
        EXPECT_EQ(items[i].data, kNavHeaderItem);
    }
}

TEST_F(NavigationModel, ToolItemText) {
    ToolRecord t = tool(u"x", u"名字", u"external", u"x.exe");
    t.nameEn.clear();
    t.icon = u"\U0001F527";
    t.isExternal = true;
    t.isInstalled = false;
    EXPECT_EQ(toolItemText(t, true), u"\U0001F527  名字   x.exe  (not installed - click to download)");
    t.isInstalled = true;
    EXPECT_EQ(toolItemText(t, false), u"\U0001F527  名字");
    setUiLanguage(0);
    t.nameEn = u"Name";
    EXPECT_EQ(toolItemText(t, false), u"\U0001F527  名字");
}

// An icon the tree cannot draw is left out with its gap; the label and the counts stay.
TEST_F(NavigationModel, IconsTheTreeCannotDrawAreLeftOut) {
    catalog[0].icon = u"\U0001F527";
    catalog[1].icon = u"\u2699";
    NavigationSources withoutEmoji = sources();
    withoutEmoji.iconDrawn = [](const std::u16string& icon) { return icon.size() == 1; };  // the BMP ones only
    favorites = {u"a", u"b"};
    const auto items = buildToolsSegment(withoutEmoji);
    EXPECT_EQ(texts(items), (std::vector<std::u16string>{u"\u2B50 Favorites (2)", u"System (1)", u"Network (1)",
                                                         u"Storage (1)", u"Custom Tools (0)"}));
    EXPECT_EQ(texts(items[0].children), (std::vector<std::u16string>{u"Alpha EN   alpha.msc", u"\u2699  Bravo EN"}));
    EXPECT_EQ(texts(buildPlaybooksSegment(playbooks, withoutEmoji.iconDrawn)),
              (std::vector<std::u16string>{u"Zulu trouble EN", u"Yankee EN"}));
    const auto results = buildResultsSegment(withoutEmoji, {0}, {1});
    EXPECT_EQ(results[2].text, u"Playbooks (1)");
    EXPECT_EQ(results[3].text, u"Tools (1)");

    // Start-up checks treeIcons ahead: every icon a segment asks about is among them, each once.
    std::set<std::u16string> asked;
    NavigationSources recording = sources();
    recording.iconDrawn = [&asked](const std::u16string& icon) { return asked.insert(icon), true; };
    recents = {u"c"};
    buildToolsSegment(recording);
    buildPlaybooksSegment(playbooks, recording.iconDrawn);
    buildResultsSegment(recording, {0, 1}, {0});
    const std::vector<std::u16string> ahead = treeIcons(catalog);
    EXPECT_EQ(std::set<std::u16string>(ahead.begin(), ahead.end()).size(), ahead.size());
    for (const std::u16string& icon : asked) EXPECT_NE(std::find(ahead.begin(), ahead.end(), icon), ahead.end());
}

TEST_F(NavigationModel, PlaybooksSegmentAndItemData) {
    const auto items = buildPlaybooksSegment(playbooks);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].text, u"\U0001F9ED Yankee EN");
    EXPECT_EQ(items[1].data, -1001);
    EXPECT_TRUE(isPlaybookItem(items[1].data));
    EXPECT_EQ(playbookFromItem(items[1].data), 1u);
    EXPECT_FALSE(isPlaybookItem(kNavAllPlaybooksItem));
}

TEST_F(NavigationModel, ResultsSections) {
    // Tools and playbooks found, and the sections after the two links back.
    const std::u16string none = u"No match - type a keyword, or go back to all tools/playbooks";
    const std::u16string playbooks = u"\U0001F9ED Playbooks (1)", tools = u"\U0001F527 Tools (1)";
    const std::tuple<std::vector<uint64_t>, std::vector<uint64_t>, std::vector<std::u16string>> cases[] = {
        {{}, {}, {none}},
        {{9}, {7}, {none}},
        {{}, {1}, {playbooks}},
        {{2, 9}, {}, {tools}},
        {{1}, {0}, {playbooks, tools}}};
    for (const auto& [found, foundPlaybooks, sections] : cases) {
        std::vector<std::u16string> expected = {u"↩ All tools", u"↩ All playbooks"};
        expected.insert(expected.end(), sections.begin(), sections.end());
        EXPECT_EQ(texts(buildResultsSegment(sources(), found, foundPlaybooks)), expected);
    }
    const auto both = buildResultsSegment(sources(), {1}, {0});
    EXPECT_EQ(both[2].data, kNavAllPlaybooksItem);
    EXPECT_TRUE(both[2].expanded);
    EXPECT_EQ(both[2].children[0].text, u"Zulu trouble EN");
    EXPECT_EQ(both[2].children[0].data, -1000);
    EXPECT_EQ(both[3].data, kNavAllToolsItem);
    EXPECT_EQ(both[3].children[0].data, 1);
}

TEST_F(NavigationModel, SearchBoxSegmentsAndHandOver) {
    NavigationState s;
    applySearchText(s, u"alp");
    EXPECT_EQ(s.segment, kSegmentResults);
    auto items = buildNavigationTree(s, sources());
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[2].children[0].data, 0);

    applySearchText(s, u"zulu");  // playbook only
    items = buildNavigationTree(s, sources());
    EXPECT_EQ(texts(items).back(), u"\U0001F9ED Playbooks (1)");

    applySearchText(s, std::u16string(300, u'x'));
    EXPECT_EQ(s.searchText.size(), kSearchTextLimit);
    applySearchText(s, u"");
    EXPECT_EQ(s.segment, kSegmentTools);

    applyAssistantResults(s, {3, 1}, u"zulu", playbooks);
    EXPECT_TRUE(s.assistantOverride);
    EXPECT_EQ(s.assistantPlaybooks, (std::vector<uint64_t>{0}));
    const ResultLists lists = resultLists(s, catalog, playbooks);
    EXPECT_EQ(lists.tools, (std::vector<uint64_t>{3, 1}));  // a tool in no category is still listed

    // Typing replaces the hand-over; leaving Results drops text and hand-over.
    applySearchText(s, u"bra");
    EXPECT_FALSE(s.assistantOverride);
    EXPECT_TRUE(applySegment(s, kSegmentPlaybooks));
    EXPECT_TRUE(s.searchText.empty());
    EXPECT_FALSE(applySegment(s, kSegmentResults));
    EXPECT_EQ(texts(buildNavigationTree(s, sources())).size(), 3u);  // two "↩" and the hint

    applyAssistantResults(s, {}, u"nothing here", playbooks);
    EXPECT_FALSE(s.assistantOverride);
    EXPECT_EQ(s.segment, kSegmentResults);
    EXPECT_EQ(segmentFromTab(1), kSegmentPlaybooks);
    EXPECT_EQ(segmentFromTab(7), kSegmentTools);
}

TEST_F(NavigationModel, ClickAndDoubleClickByMode) {
    // An item's data, the click mode, then what a click and a double click do.
    const std::tuple<int64_t, bool, NavActionKind, NavActionKind> cases[] = {
        {4, false, NavActionKind::LaunchTool, NavActionKind::None},
        {4, true, NavActionKind::None, NavActionKind::LaunchTool},
        {-1, false, NavActionKind::None, NavActionKind::None},
        {-1, true, NavActionKind::None, NavActionKind::None},
        {-2, true, NavActionKind::ShowTools, NavActionKind::ShowTools},
        {-3, false, NavActionKind::ShowPlaybooks, NavActionKind::None},
        {-1002, true, NavActionKind::OpenPlaybook, NavActionKind::OpenPlaybook}};
    for (const auto& [data, doubleMode, click, doubleClick] : cases) {
        EXPECT_EQ(clickAction(data, doubleMode).kind, click) << data << doubleMode;
        EXPECT_EQ(doubleClickAction(data, doubleMode).kind, doubleClick) << data << doubleMode;
    }
    EXPECT_EQ(clickAction(-1002, false).index, 2u);
}

TEST_F(NavigationModel, ContextMenuEntries) {
    auto commands = [](const std::vector<ToolMenuEntry>& entries) {
        std::vector<int> out;
        for (const auto& e : entries) out.push_back(e.textId);
        return out;
    };
    ToolRecord builtin = tool(u"a", u"A", u"system");
    EXPECT_EQ(commands(toolContextMenu(builtin, true, false, true)), (std::vector<int>{82, 83, 84, 0, 86, 93, 94}));
    // Where the system keeps taskbar pins to the user, a Start menu shortcut takes the pin's place.
    EXPECT_EQ(commands(toolContextMenu(builtin, false, true, false)), (std::vector<int>{82, 83, 0, 87, 93, 282}));
    ToolRecord external = builtin;
    external.isExternal = true;
    external.isInstalled = false;
    EXPECT_EQ(commands(toolContextMenu(external, false, false, true)), (std::vector<int>{88, 0, 86, 93, 94}));
    external.isInstalled = true;
    external.homepage = u"https://example.org";
    EXPECT_EQ(commands(toolContextMenu(external, true, false, true)),
              (std::vector<int>{82, 83, 84, 88, 0, 86, 93, 94}));
    ToolRecord custom = builtin;
    custom.isCustom = true;
    const auto entries = toolContextMenu(custom, false, false, false);
    EXPECT_EQ(commands(entries), (std::vector<int>{82, 83, 0, 86, 93, 282, 0, 85}));
    EXPECT_EQ(entries.back().command, kToolMenuRemove);
    // Every item has an access key of its own in either language.
    external.homepage = u"https://example.org";
    for (const auto& menu :
         {entries, toolContextMenu(builtin, true, true, true), toolContextMenu(external, true, false, false)}) {
        for (int language : {0, 1}) {
            std::u16string keys;
            for (const auto& e : menu) {
                if (e.textId == 0) continue;
                const std::u16string label = uiTextIn(language, e.textId);
                const size_t at = label.find(u'&');
                ASSERT_NE(at, std::u16string::npos) << e.textId;
                ASSERT_LT(at + 1, label.size()) << e.textId;
                const char16_t key = char16_t(towupper(label[at + 1]));
                EXPECT_EQ(keys.find(key), std::u16string::npos) << e.textId << " takes a key already used";
                keys += key;
            }
        }
    }
}

}  // namespace
