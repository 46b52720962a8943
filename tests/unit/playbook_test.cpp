#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "data/text.h"
#include "data/tool_record.h"
#include "platform/platform.h"
#include "playbooks/playbook.h"

namespace {

std::vector<Playbook> parse(const std::string& json) {
    auto document = parseJson(utf8ToWide(json));
    EXPECT_TRUE(document.has_value()) << json;
    return document ? parsePlaybooks(*document) : std::vector<Playbook>{};
}

// One playbook "p" holding the given steps array.
std::vector<PlaybookStep> parseSteps(const std::string& steps) {
    auto playbooks = parse(R"({"playbooks":[{"id":"p","title":"T","steps":)" + steps + "}]}");
    return playbooks.empty() ? std::vector<PlaybookStep>{} : playbooks[0].steps;
}

bool has(const std::u16string& text, const std::u16string& piece) { return text.find(piece) != std::u16string::npos; }

// A step as "id type shell:command ref", then " m" when it mutates, " off" when
// disabled and each branch as " when>goto/labelEn".
std::string describe(const PlaybookStep& s) {
    std::u16string d = s.id + u" " + asciiToWide(std::to_string(int(s.actionType))) + u" " + s.shell + u":" +
                       s.command + u" " + s.ref + (s.mutates ? u" m" : u"") + (s.enabled ? u"" : u" off");
    for (const StepBranch& b : s.branches) d += u" " + b.when + u">" + b.gotoTarget + u"/" + b.labelEn;
    return wideToUtf8(d);
}

std::vector<std::u16string> ids(const std::vector<Playbook>& playbooks) {
    std::vector<std::u16string> out;
    for (const Playbook& p : playbooks) out.push_back(p.id);
    return out;
}

TEST(PlaybookParse, DocumentsWithoutPlaybookArrayGiveNothing) {
    EXPECT_TRUE(parse("[]").empty());
    EXPECT_TRUE(parse("{}").empty());
    EXPECT_TRUE(parse(R"({"playbooks":{"id":"a","title":"b"}})").empty());
    EXPECT_TRUE(parse(R"({"playbooks":[1,"x",null,[]]})").empty());
}

TEST(PlaybookParse, RequiredKeysAndDefaults) {
    auto playbooks = parse(R"({"playbooks":[
        {"id":"a","title":"甲","extra":1}, {"id":"no-title"}, {"title":"no id"}, {"id":"","title":"empty id"},
        {"id":"b","title":5},
        {"id":"c","title":"丙","titleEn":"C","category":"network","summary":"摘","summaryEn":"S",
         "tags":["x",2,"y",{}],"steps":"nope"},
        {"id":"a","title":"dup"}]})");
    ASSERT_EQ(ids(playbooks), (std::vector<std::u16string>{u"a", u"c", u"a"}));
    EXPECT_EQ(playbooks[0].category, u"playbooks");
    EXPECT_EQ(playbooks[0].titleEn, u"");
    EXPECT_TRUE(playbooks[0].tags.empty());
    EXPECT_TRUE(playbooks[0].steps.empty());  // a playbook without steps stays
    EXPECT_EQ(playbooks[1].category, u"network");
    EXPECT_EQ(playbooks[1].summaryEn, u"S");
    EXPECT_EQ(playbooks[1].tags, (std::vector<std::u16string>{u"x", u"y"}));
    EXPECT_EQ(findPlaybookIndex(playbooks, u"a"), 0);  // the first of two wins
    EXPECT_EQ(findPlaybook(playbooks, u"a")->title, u"甲");
    EXPECT_EQ(findPlaybookIndex(playbooks, u"A"), -1);
    EXPECT_EQ(findPlaybook(playbooks, u"zzz"), nullptr);
}

TEST(PlaybookParse, StepsActionsAndBranches) {
    auto steps = parseSteps(R"([
        {"id":"s1","text":"读","textEn":"Read","hint":"提示","hintEn":"Hint"},
        {"text":"no id"},
        7,
        {"id":"s2","action":{"type":"tool","ref":"builtin.ncpa","mutates":"true"}},
        {"id":"s3","action":{"type":"command","command":"ping -n 4 {gateway}","mutates":true},
         "branches":[{"when":"fail","label":"不通","labelEn":"Fails","goto":"s1"},{"when":"ok"},3,
                     {"goto":"s2","when":1}]},
        {"id":"s4","action":"tool"},
        {"id":"s5","action":{"type":"note","shell":"powershell"}},
        {"id":"s6","action":{"shell":7,"type":"command","command":"ipconfig"}},
        {"id":"s1","text":"dup"}])");
    std::string described;
    for (const PlaybookStep& step : steps) described += describe(step) + "\n";
    // Steps without an id or not objects are dropped; only a JSON true mutates; a non-object action is a note.
    EXPECT_EQ(described,
              "s1 0 cmd: \ns2 1 cmd: builtin.ncpa\ns3 2 cmd:ping -n 4 {gateway}  m fail>s1/Fails >s2/\n"
              "s4 0 cmd: \ns5 0 powershell: \ns6 2 cmd:ipconfig \ns1 0 cmd: \n");
    EXPECT_EQ(steps[0].textEn + steps[0].hintEn, u"ReadHint");
    Playbook p;
    p.steps = steps;
    EXPECT_EQ(findStepIndex(p, u"s1"), 0);
    EXPECT_EQ(findStep(p, u"s1")->textEn, u"Read");
    EXPECT_EQ(findStepIndex(p, u"s3"), 2);
    EXPECT_EQ(findStep(p, u"S3"), nullptr);
}

TEST(PlaybookParse, StepVerdicts) {
    struct Case {
        const char* action;
        bool enabled;
        const char16_t* reason;
    } cases[] = {
        {R"({"type":"open-url","ref":"http://example.com"})", false, u"仅允许 https 链接"},
        {R"({"type":"open-url","ref":"https://example.com"})", true, u""},
        {R"({"type":"url","ref":"https://example.com"})", true, u""},
        {R"({"type":"url","ref":"HTTPS://example.com"})", false, u"仅允许 https 链接"},
        {R"({"type":"open-url","ref":"example.com"})", false, u"仅允许 https 链接"},
        {R"({"type":"open-url"})", false, u"仅允许 https 链接"},
        {R"({"type":"Tool","ref":"builtin.ncpa"})", false, u"未知动作类型"},
        {R"({"type":"run","command":"ipconfig"})", false, u"未知动作类型"},
        {R"({"type":"","command":"format c:"})", true, u""},  // empty type is a note
        {R"({"type":"tool","ref":""})", true, u""},
        {R"({"type":"command","command":"ipconfig /release"})", false, u"ipconfig 只允许 /all 和 /displaydns。"},
        {R"({"type":"command","command":"Get-Process"})", false, u"命令不在只读命令白名单中：Get-Process"},
        {R"({"type":"command","shell":"powershell","command":"Get-Process"})", true, u""},
        {R"({"type":"command","shell":"pwsh","command":"Get-Process | Stop-Process"})", false,
         u"该 PowerShell 命令不在只读命令表中：Stop-Process"},
        {R"({"type":"command","shell":"","command":"ping {host}"})", true, u""},
        {R"({"type":"command"})", false, u"命令为空。"},
    };
    for (const Case& c : cases) {
        auto steps = parseSteps(std::string(R"([{"id":"s","action":)") + c.action + "}]");
        ASSERT_EQ(steps.size(), 1u) << c.action;
        EXPECT_EQ(steps[0].enabled, c.enabled) << c.action;
        EXPECT_EQ(steps[0].disabledReason, c.reason) << c.action;
        // Every disabled step says why in English too.
        EXPECT_EQ(steps[0].disabledReasonEn.empty(), c.enabled) << c.action;
    }
}

TEST(PlaybookBranches, ParseTarget) {
    BranchTarget same = parseBranchTarget(u"s4");
    EXPECT_FALSE(same.otherPlaybook);
    EXPECT_EQ(same.stepId, u"s4");
    BranchTarget other = parseBranchTarget(u"playbook:net.slow#s2#x");
    EXPECT_TRUE(other.otherPlaybook);
    EXPECT_EQ(other.playbookId, u"net.slow");
    EXPECT_EQ(other.stepId, u"s2#x");
    EXPECT_FALSE(parseBranchTarget(u"Playbook:net.slow").otherPlaybook);
    EXPECT_FALSE(parseBranchTarget(u" playbook:x").otherPlaybook);
}

TEST(PlaybookBranches, ProblemLines) {
    auto playbooks = parse(R"({"playbooks":[
      {"id":"a","title":"A","steps":[
        {"id":"s1","branches":[{"goto":"s2"},{"goto":"s9"},{"goto":"S1"}]},
        {"id":"s2","branches":[{"goto":"playbook:b"},{"goto":"playbook:b#t1"},{"goto":"playbook:b#"},
                               {"goto":"playbook:b#t9"},{"goto":"playbook:zz"},{"goto":"playbook:zz#t1"},
                               {"goto":"playbook:"}]}]},
      {"id":"b","title":"B","steps":[{"id":"t1","branches":[{"goto":"playbook:a#s1"},{"goto":"t1"}]}]}]})");
    std::vector<std::u16string> expected = {
        u"a/s1 → 本剧本无步骤: s9", u"a/s1 → 本剧本无步骤: S1", u"a/s2 → 剧本 b 无步骤 t9",
        u"a/s2 → 未知剧本: zz",     u"a/s2 → 未知剧本: zz",     u"a/s2 → 未知剧本: ",
    };
    EXPECT_EQ(checkBranchTargets(playbooks), expected);
    playbooks.pop_back();
    EXPECT_EQ(checkBranchTargets(playbooks).size(), expected.size() + 3);  // b is gone
    EXPECT_TRUE(checkBranchTargets({}).empty());
}

TEST(PlaybookIds, DuplicatesAreFoundAndTheFirstIsUsed) {
    auto playbooks = parse(R"({"playbooks":[
      {"id":"a","title":"First","steps":[{"id":"s1","text":"one"},{"id":"s2"},{"id":"s1","text":"two"}]},
      {"id":"b","title":"B","steps":[{"id":"s1"}]},
      {"id":"a","title":"Second","steps":[{"id":"s1"},{"id":"s1"}]}]})");
    std::vector<std::pair<std::u16string, std::u16string>> found;
    for (const DuplicateId& d : findDuplicateIds(playbooks)) found.push_back({d.playbookId, d.stepId});
    EXPECT_EQ(found,
              (std::vector<std::pair<std::u16string, std::u16string>>{{u"a", u"s1"}, {u"a", u""}, {u"a", u"s1"}}));
    EXPECT_EQ(findPlaybook(playbooks, u"a")->title, u"First");
    EXPECT_EQ(findStep(playbooks[0], u"s1")->text, u"one");
}

// The pack that ships inside the program: every step usable as written and
// every reference resolvable; the first playbook step by step. (Its version,
// branch targets and unique ids are the playbook self-test's.)
TEST(ShippedPlaybookPack, StepsAreWellFormedAndResolve) {
    auto playbookDocument = parseJson(utf8ToWide(platform::embeddedResource(103)));
    auto toolDocument = parseJson(utf8ToWide(platform::embeddedResource(101)));
    ASSERT_TRUE(playbookDocument && toolDocument);
    std::set<std::u16string> toolIds;
    for (const ToolRecord& t : parseToolPack(*toolDocument, false)) toolIds.insert(t.id);
    const auto playbooks = parsePlaybooks(*playbookDocument);
    EXPECT_EQ(ids(playbooks), (std::vector<std::u16string>{
                                  u"net.no-internet", u"perf.slow", u"print.cannot-print", u"share.access-denied",
                                  u"bsod.triage", u"net.slow", u"storage.lowspace", u"net.rdp", u"hw.nosound",
                                  u"hw.usb", u"perf.slowboot", u"storage.diskbusy", u"diag.corrupt", u"net.wifi-drops",
                                  u"sys.update-fails", u"sys.time-sync", u"sec.account-locked", u"diag.app-crash"}));
    size_t hints = 0, totalSteps = 0;
    for (const Playbook& p : playbooks) {
        SCOPED_TRACE(wideToUtf8(p.id));
        EXPECT_FALSE(p.title.empty() || p.titleEn.empty() || p.summary.empty() || p.summaryEn.empty());
        EXPECT_FALSE(p.tags.empty());
        for (size_t s = 0; s < p.steps.size(); ++s) {
            const PlaybookStep& step = p.steps[s];
            std::u16string expectedId = u"s";
            EXPECT_EQ(step.id, expectedId.append(asciiToWide(std::to_string(s + 1))));
            EXPECT_FALSE(step.text.empty() || step.textEn.empty()) << wideToUtf8(step.id);
            EXPECT_EQ(step.hint.empty(), step.hintEn.empty()) << wideToUtf8(step.id);
            // The allowlist only ever tightens: every shipped step must still pass it.
            EXPECT_TRUE(step.enabled) << wideToUtf8(step.id + u": " + step.command + u" → " + step.disabledReason);
            EXPECT_FALSE(step.mutates);
            EXPECT_NE(step.actionType, StepActionType::Unrecognised);
            EXPECT_TRUE(step.actionType != StepActionType::Tool || toolIds.count(step.ref) == 1)
                << wideToUtf8(step.ref);
            EXPECT_TRUE(step.actionType != StepActionType::OpenUrl || step.ref.rfind(u"https://", 0) == 0);
            // A placeholder in a command is explained by the hint, which says what to replace it with.
            for (const std::u16string ph : {u"{gateway}", u"{host}", u"{printer}", u"{user}"}) {
                EXPECT_TRUE(!has(step.command, ph) || has(step.hint, ph)) << wideToUtf8(step.id);
                EXPECT_TRUE(!has(step.hint, ph) || has(step.hint, u"把 " + ph + u" 换成")) << wideToUtf8(step.id);
                EXPECT_TRUE(!has(step.hintEn, ph) || has(step.hintEn, u"Replace " + ph + u" with"))
                    << wideToUtf8(step.id);
            }
            hints += step.hint.empty() ? 0 : 1;
        }
        totalSteps += p.steps.size();
    }
    EXPECT_EQ(totalSteps, 102u);
    EXPECT_GE(hints * 3, totalSteps);  // about half the steps carry a hint
    EXPECT_LE(hints * 3, totalSteps * 2);

    // The first playbook step by step (its resolver and probe addresses may change).
    const Playbook& first = playbooks.at(0);
    std::string described;
    for (const PlaybookStep& s : first.steps) described += describe(s) + "\n";
    const std::u16string resolver = first.steps[4].command.substr(10);  // after "ping -n 4 "
    const std::u16string probe = first.steps[3].command.substr(9);  // after "nslookup "
    EXPECT_EQ(std::count(resolver.begin(), resolver.end(), u'.'), 3);
    EXPECT_NE(probe.find(u'.'), std::u16string::npos);
    EXPECT_EQ(described,
              "s1 1 cmd: builtin.ncpa\ns2 2 cmd:ipconfig /all \n"
              "s3 2 cmd:ping -n 4 {gateway}  fail>s1/Ping fails ok>s4/OK\ns4 2 cmd:nslookup " +
                  wideToUtf8(probe) + "  fail>s5/Resolve fails ok>s5/Resolves\ns5 2 cmd:ping -n 4 " +
                  wideToUtf8(resolver) + " \ns6 1 cmd: builtin.ncpa\n");
}

}  // namespace
