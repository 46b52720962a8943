#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "data/text.h"
#include "platform/utf8.h"
#include "playbooks/playbook_walk.h"
#include "ui/ui_text.h"

namespace {

PlaybookStep step(const char16_t* id, StepActionType type, const char16_t* text) {
    PlaybookStep s;
    s.id = id;
    s.actionType = type;
    s.text = text;
    s.textEn = std::u16string(text) + u" en";
    return s;
}

StepBranch branch(const char16_t* when, const char16_t* label, const char16_t* target) {
    return {when, label, u"", target};
}

Playbook sample() {
    Playbook p;
    p.id = u"net";
    p.title = u"上不了网";
    p.titleEn = u"No internet";
    p.summary = u"摘要";
    p.summaryEn = u"Summary";
    PlaybookStep tool = step(u"s1", StepActionType::Tool, u"打开网络连接");
    tool.ref = u"builtin.ncpa";
    tool.hint = u"提示";
    tool.hintEn = u"Look";
    PlaybookStep command = step(u"s2", StepActionType::Command, u"ping");
    command.command = u"ping -n 4 {gateway}";
    command.shell = u"";
    command.branches = {branch(u"fail", u"不通", u"s1"), branch(u"ok", u"", u"playbook:dns#s3"),
                        branch(u"x", u"X", u"nowhere"), branch(u"y", u"Y", u"s1")};
    PlaybookStep refused = step(u"s3", StepActionType::Command, u"format");
    refused.command = u"format c:";
    refused.enabled = false;
    refused.disabledReason = u"非只读";
    refused.disabledReasonEn = u"not read-only";
    PlaybookStep link = step(u"s4", StepActionType::OpenUrl, u"docs");
    link.ref = u"https://example.org/";
    p.steps = {tool, command, refused, link};
    return p;
}

class PlaybookWalk : public ::testing::Test {
protected:
    void SetUp() override { setUiLanguage(1); }
    void TearDown() override { setUiLanguage(0); }
    Playbook p = sample();
    const WalkTexts texts{[](int id) { return uiText(id); }, uiEnglish};
    WalkContext withTexts() const {
        WalkContext context;
        context.texts = texts;
        return context;
    }
};

TEST_F(PlaybookWalk, LinesOfFirstStep) {
    const WalkContent c = buildWalkContent(p, 0, 0x111111, withTexts());
    std::vector<std::u16string> texts;
    std::vector<uint32_t> colors;  // title, current step, its tool, hint, a refused step not current
    for (const auto& line : c.lines) texts.push_back(line.text);
    for (size_t i : {0u, 3u, 4u, 5u, 7u}) colors.push_back(c.lines[i].color);
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"No internet", u"Summary", u"", u"▶ 1. 打开网络连接 en",
                                                  u"      [Tool] builtin.ncpa", u"      [Hint] Look", u"   2. ping en",
                                                  u"   3. format en", u"   4. docs en", u"", uiText(kTextWalkTip)}));
    EXPECT_EQ(colors, (std::vector<uint32_t>{kWalkTitleColor, kWalkTitleColor, kWalkGreen, 0x111111, kWalkRed}));
}

// A command step's detail lines and Run: as written, filled from the session's values (a fill the
// allowlist refuses is never filled and says why), with a reading and its suggested branch.
TEST_F(PlaybookWalk, CommandStepDetailsWithCapturesAndReading) {
    const std::u16string refusal = checkCommand(u"", u"ping -n 4 10.0.0.1&shutdown").reasonEn;
    const std::u16string ping = u"      [Command:cmd] ping -n 4 {gateway}";
    struct Case {
        int current;
        std::u16string value;
        bool read;
        std::vector<std::u16string> lines;
        WalkActionKind run;
    };
    const Case cases[] = {
        {1, u"", false, {ping}, WalkActionKind::FillCommand},
        {1,
         u"10.0.0.1",
         true,
         {ping, u"      [Command] Fills as: ping -n 4 10.0.0.1", u"      [Reading] ✗ fail — Request timed out.",
          u"      [Reading] Suggested branch: 不通 (the choice is yours)",
          u"      [Captured] gateway = 10.0.0.1, from step 1"},
         WalkActionKind::FillCommand},
        {1,
         u"10.0.0.1&shutdown",
         false,
         {ping, u"      [Command] " + withValues(uiText(kTextFillRefused), {refusal}),
          u"      [Captured] gateway = 10.0.0.1&shutdown, from step 1"},
         WalkActionKind::None},
        {2, u"", false, {u"      [Command:cmd] format c:", u"      [Disabled] not read-only"}, WalkActionKind::None}};
    for (const auto& c : cases) {
        SessionCaptures captures;
        if (!c.value.empty()) keepCapture(captures, {u"gateway", c.value, u"net", u"s1"});
        const StepReading reading{StepOutcome::Fail, u"Request timed out.", 0, {}};
        WalkContext context = withTexts();
        context.captures = &captures;
        context.reading = c.read ? &reading : nullptr;
        const WalkContent content = buildWalkContent(p, c.current, 0, context);
        std::vector<std::u16string> lines;  // the current step's detail lines
        for (size_t i = size_t(c.current) + 4;
             i < content.lines.size() && content.lines[i].text.rfind(u"      [", 0) == 0; ++i)
            lines.push_back(content.lines[i].text);
        EXPECT_EQ(lines, c.lines) << c.current << " " << wideToUtf8(c.value);
        EXPECT_EQ(content.buttons[2].enabled, c.run != WalkActionKind::None) << wideToUtf8(c.value);
        EXPECT_EQ(content.buttons[5].suggested, c.read);
        EXPECT_EQ(walkButtonAction(p, c.current, 2, context).kind, c.run) << wideToUtf8(c.value);
    }
}

TEST_F(PlaybookWalk, ButtonRules) {
    // enabled flags of slots 0..4 and the visible branch labels, per step
    // A table packed several rows to a line.
    // clang-format off
    struct Case { int current; bool enabled[5]; std::vector<std::u16string> branches; };
    const Case cases[] = {
        {0, {false, true, true, false, true}, {}}, {1, {true, true, true, true, true}, {u"不通", u"ok", u"X"}},
        {2, {true, true, false, false, true}, {}}, {3, {true, false, true, false, true}, {}},
        {9, {true, false, false, false, true}, {}}
    };
    // clang-format on
    for (const auto& c : cases) {
        const WalkContent content = buildWalkContent(p, c.current, 0, withTexts());
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(content.buttons[i].enabled, c.enabled[i]) << c.current << " slot " << i;
            EXPECT_TRUE(content.buttons[i].visible);
        }
        std::vector<std::u16string> labels;
        for (int i = 5; i < 8; ++i) {
            EXPECT_EQ(content.buttons[i].visible, content.buttons[i].enabled);
            if (content.buttons[i].visible) labels.push_back(content.buttons[i].label);
        }
        EXPECT_EQ(labels, c.branches) << c.current;
    }
    const WalkContent none = buildWalkContent(Playbook{}, 0, 0, withTexts());
    EXPECT_FALSE(none.buttons[1].enabled || none.buttons[2].enabled);
}

TEST_F(PlaybookWalk, Actions) {
    // A table packed several rows to a line.
    // clang-format off
    struct Case { int current, slot; WalkActionKind kind; int step; std::u16string first, second; };
    const Case cases[] = {
        {0, 0, WalkActionKind::None, 0, u"", u""}, {0, 1, WalkActionKind::MoveTo, 1, u"", u""},
        {3, 1, WalkActionKind::None, 0, u"", u""}, {0, 2, WalkActionKind::RunTool, 0, u"builtin.ncpa", u""},
        {1, 2, WalkActionKind::FillCommand, 0, u"cmd", u"ping -n 4 {gateway}"},
        {2, 2, WalkActionKind::None, 0, u"", u""},
        {3, 2, WalkActionKind::OpenLink, 0, u"https://example.org/", u""},
        {1, 3, WalkActionKind::CopyCommand, 0, u"ping -n 4 {gateway}", u""},
        {2, 3, WalkActionKind::None, 0, u"", u""}, {1, 4, WalkActionKind::Close, 0, u"", u""},
        {1, 5, WalkActionKind::MoveTo, 0, u"", u""}, {1, 6, WalkActionKind::OpenPlaybook, 0, u"dns", u""},
        {1, 7, WalkActionKind::None, 0, u"", u""}, {0, 5, WalkActionKind::None, 0, u"", u""}
    };
    // clang-format on
    for (const auto& c : cases) {
        const WalkAction a = walkButtonAction(p, c.current, c.slot);
        EXPECT_EQ(std::tie(a.kind, a.step, a.first, a.second), std::tie(c.kind, c.step, c.first, c.second))
            << c.current << "/" << c.slot;
    }
}

TEST_F(PlaybookWalk, ToolStepsShowTheToolsNameAndRunOnlyAPresentTool) {
    // name: as the tool look-up answers; empty: no such tool
    struct Case {
        std::u16string_view name;
        bool present;
        std::u16string_view line;
        uint32_t color;
        bool runs;
    };
    const Case cases[] = {
        {u"Network Connections", true, u"      [Tool] Network Connections", kWalkGreen, true},
        {u"Sysinternals Process Explorer", false,
         u"      [Tool] Sysinternals Process Explorer (not on this machine; cannot run)", kWalkRed, false},
        {u"", false, u"      [Tool] builtin.ncpa (not on this machine; cannot run)", kWalkRed, false},  // unknown id
    };
    for (const Case& c : cases) {
        WalkContext context = withTexts();
        std::u16string asked;
        context.tool = [&](const std::u16string& id) {
            asked = id;
            return WalkTool{std::u16string(c.name), c.present};
        };
        const WalkContent content = buildWalkContent(p, 0, 0, context);
        EXPECT_EQ(asked, u"builtin.ncpa");
        ASSERT_GT(content.lines.size(), 4u);
        EXPECT_EQ(content.lines[4].text, c.line);
        EXPECT_EQ(content.lines[4].color, c.color);
        EXPECT_EQ(content.buttons[2].enabled, c.runs);
        EXPECT_EQ(walkButtonAction(p, 0, 2, context).kind, c.runs ? WalkActionKind::RunTool : WalkActionKind::None);
    }
}

// Previous retraces the steps taken: after the branch from step 2 back to step 1,
// Previous returns to step 2, then to step 1 (the first visit), as walked.
TEST_F(PlaybookWalk, PreviousRetracesThePathTakenThroughBranches) {
    WalkContext context = withTexts();
    int current = 0;
    auto press = [&](int slot) {
        const WalkAction a = walkButtonAction(p, current, slot, context);
        if (a.kind != WalkActionKind::MoveTo) return false;
        recordWalkMove(context.trail, current, slot == static_cast<int>(WalkButton::Prev));
        current = a.step;
        return true;
    };
    EXPECT_FALSE(buildWalkContent(p, current, 0, context).buttons[0].enabled);
    ASSERT_TRUE(press(1));  // Next: 0 -> 1
    ASSERT_TRUE(press(5) && current == 0);  // branch "不通" from step 2 goes to s1, index 0
    EXPECT_TRUE(buildWalkContent(p, current, 0, context).buttons[0].enabled);
    for (int expected : {1, 0}) {
        ASSERT_TRUE(press(0));
        EXPECT_EQ(current, expected);
    }
    EXPECT_TRUE(context.trail.empty());
    EXPECT_FALSE(press(0));
}

// The buttons sit below the text and never overlap, at any DPI and even on a page too short for them.
TEST_F(PlaybookWalk, LayoutHitTestAndPalette) {
    for (const auto& [height, dpi] : {std::pair{500, 96}, std::pair{500, 144}, std::pair{10, 96}}) {
        const WalkLayout layout = layoutWalkButtons(height, dpi);
        EXPECT_GE(layout.textBottom, mulDivRound(30, dpi, 96));
        for (const WalkRect& a : layout.buttons) {
            EXPECT_GT(a.top, layout.textBottom);
            for (const WalkRect& b : layout.buttons)
                EXPECT_TRUE(&a == &b || a.right <= b.left || b.right <= a.left || a.bottom <= b.top ||
                            b.bottom <= a.top);
        }
    }
    const WalkLayout at96 = layoutWalkButtons(500, 96);
    WalkContent c = buildWalkContent(p, 0, 0, withTexts());
    EXPECT_EQ(hitTestWalkButtons(at96, c.buttons, 10, at96.buttons[0].top + 1), 0);
    EXPECT_EQ(hitTestWalkButtons(at96, c.buttons, 10, at96.buttons[5].top + 1), -1);  // hidden branch
    EXPECT_EQ(hitTestWalkButtons(at96, c.buttons, 10, 5), -1);
    EXPECT_TRUE(isDarkColor(0x0C0C0C) && !isDarkColor(0xFFFFFF));
    EXPECT_EQ(playbookTabLabel(p, texts), u"Playbook/No internet");
}

}  // namespace
