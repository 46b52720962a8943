#include <gtest/gtest.h>

#include <algorithm>
#include <map>
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
        {"id":"a","title":"甲","extra":1},
        {"id":"no-title"},
        {"title":"no id"},
        {"id":"","title":"empty id"},
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
    ASSERT_EQ(steps.size(), 7u);
    EXPECT_EQ(steps[0].textEn, u"Read");
    EXPECT_EQ(steps[0].hintEn, u"Hint");
    EXPECT_EQ(steps[0].actionType, StepActionType::Note);
    EXPECT_EQ(steps[1].actionType, StepActionType::Tool);
    EXPECT_EQ(steps[1].ref, u"builtin.ncpa");
    EXPECT_FALSE(steps[1].mutates);  // only a JSON true counts
    EXPECT_EQ(steps[2].actionType, StepActionType::Command);
    EXPECT_EQ(steps[2].shell, u"cmd");
    EXPECT_EQ(steps[2].command, u"ping -n 4 {gateway}");
    EXPECT_TRUE(steps[2].mutates);
    EXPECT_TRUE(steps[2].enabled);
    ASSERT_EQ(steps[2].branches.size(), 2u);
    EXPECT_EQ(steps[2].branches[0].labelEn, u"Fails");
    EXPECT_EQ(steps[2].branches[0].gotoTarget, u"s1");
    EXPECT_EQ(steps[2].branches[1].when, u"");
    EXPECT_EQ(steps[2].branches[1].gotoTarget, u"s2");
    EXPECT_EQ(steps[3].actionType, StepActionType::Note);  // action not an object
    EXPECT_TRUE(steps[3].enabled);
    EXPECT_EQ(steps[4].shell, u"powershell");
    EXPECT_EQ(steps[5].shell, u"cmd");
    EXPECT_TRUE(steps[5].enabled);

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
        {R"({"type":"command","command":"ipconfig /release"})", false, u"ipconfig 仅允许 /all /displaydns"},
        {R"({"type":"command","command":"Get-Process"})", false, u"命令不在白名单: Get-Process"},
        {R"({"type":"command","shell":"powershell","command":"Get-Process"})", true, u""},
        {R"({"type":"command","shell":"pwsh","command":"Get-Process | Stop-Process"})", false,
         u"PowerShell 仅允许只读命令(Get-*/Test-*/Resolve-*/...): Stop-Process"},
        {R"({"type":"command","shell":"","command":"ping {host}"})", true, u""},
        {R"({"type":"command"})", false, u"空命令"},
    };
    for (const Case& c : cases) {
        auto steps = parseSteps(std::string(R"([{"id":"s","action":)") + c.action + "}]");
        ASSERT_EQ(steps.size(), 1u) << c.action;
        EXPECT_EQ(steps[0].enabled, c.enabled) << c.action;
        EXPECT_EQ(steps[0].disabledReason, c.reason) << c.action;
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
        u"a/s1 → 本剧本无步骤: s9",
        u"a/s1 → 本剧本无步骤: S1",
        u"a/s2 → 剧本 b 无步骤 t9",
        u"a/s2 → 未知剧本: zz",
        u"a/s2 → 未知剧本: zz",
        u"a/s2 → 未知剧本: ",
    };
    EXPECT_EQ(checkBranchTargets(playbooks), expected);
    playbooks.pop_back();
    EXPECT_EQ(checkBranchTargets(playbooks).size(), expected.size() + 3);  // b is gone
    EXPECT_TRUE(checkBranchTargets({}).empty());
}

// The pack that ships inside the program.
std::optional<JsonValue> shippedDocument() {
    return parseJson(utf8ToWide(platform::embeddedResource(103)));
}

TEST(ShippedPlaybookPack, MatchesTheTable) {
    auto document = shippedDocument();
    ASSERT_TRUE(document.has_value());
    EXPECT_EQ(getString(*document, u"dataVersion"), u"0.0.3");
    auto playbooks = parsePlaybooks(*document);
    struct Row {
        const char16_t* id;
        const char16_t* title;
        const char16_t* titleEn;
        const char16_t* category;
        size_t steps, tools, commands, urls, notes, branches;
    } rows[] = {
        {u"net.no-internet", u"上不了网", u"No internet", u"network", 6, 2, 4, 0, 0, 4},
        {u"perf.slow", u"电脑很卡", u"PC running slow", u"diagnostics", 6, 4, 2, 0, 0, 0},
        {u"print.cannot-print", u"打印机连不上", u"Cannot print", u"diagnostics", 5, 3, 2, 0, 0, 3},
        {u"share.access-denied", u"共享访问不了", u"Cannot access share", u"network", 5, 2, 3, 0, 0, 2},
        {u"bsod.triage", u"蓝屏排查", u"Blue screen triage", u"diagnostics", 7, 3, 3, 1, 0, 0},
        {u"net.slow", u"网速慢", u"Slow network", u"network", 6, 1, 5, 0, 0, 0},
        {u"storage.lowspace", u"磁盘空间不足", u"Low disk space", u"storage", 5, 4, 1, 0, 0, 0},
        {u"net.rdp", u"远程桌面连不上", u"Cannot RDP", u"network", 6, 3, 3, 0, 0, 1},
        {u"hw.nosound", u"没声音", u"No sound", u"hardware", 4, 3, 1, 0, 0, 1},
        {u"hw.usb", u"U盘/移动硬盘不识别", u"USB drive not recognized", u"hardware", 4, 2, 1, 0, 1, 0},
        {u"perf.slowboot", u"开机很慢", u"Slow boot", u"diagnostics", 4, 4, 0, 0, 0, 0},
        {u"storage.diskbusy", u"磁盘占用 100%", u"Disk at 100%", u"storage", 4, 3, 1, 0, 0, 0},
        {u"diag.corrupt", u"系统频繁报错", u"System errors / corruption", u"diagnostics", 5, 4, 1, 0, 0, 0},
    };
    ASSERT_EQ(playbooks.size(), std::size(rows));
    size_t hints = 0, totalSteps = 0;
    for (size_t i = 0; i < playbooks.size(); ++i) {
        const Playbook& p = playbooks[i];
        const Row& r = rows[i];
        SCOPED_TRACE(wideToUtf8(r.id));
        EXPECT_EQ(p.id, r.id);
        EXPECT_EQ(p.title, r.title);
        EXPECT_EQ(p.titleEn, r.titleEn);
        EXPECT_EQ(p.category, r.category);
        EXPECT_FALSE(p.summary.empty());
        EXPECT_FALSE(p.summaryEn.empty());
        EXPECT_FALSE(p.tags.empty());
        std::map<StepActionType, size_t> counts;
        size_t branches = 0;
        ASSERT_EQ(p.steps.size(), r.steps);
        for (size_t s = 0; s < p.steps.size(); ++s) {
            const PlaybookStep& step = p.steps[s];
            std::u16string expectedId = u"s";
            expectedId.append(asciiToWide(std::to_string(s + 1)));
            EXPECT_EQ(step.id, expectedId);
            EXPECT_FALSE(step.text.empty());
            EXPECT_FALSE(step.textEn.empty());
            EXPECT_EQ(step.hint.empty(), step.hintEn.empty()) << wideToUtf8(step.id);
            EXPECT_TRUE(step.enabled) << wideToUtf8(step.id) << ": " << wideToUtf8(step.disabledReason);
            EXPECT_FALSE(step.mutates);
            // A hint that names a placeholder tells the user to replace it.
            for (const char16_t* ph : {u"{gateway}", u"{host}", u"{printer}"}) {
                if (step.hint.find(ph) != std::u16string::npos) {
                    EXPECT_NE(step.hint.find(std::u16string(u"把 ") + ph + u" 换成"), std::u16string::npos);
                }
                if (step.hintEn.find(ph) != std::u16string::npos) {
                    EXPECT_NE(step.hintEn.find(std::u16string(u"Replace ") + ph + u" with"), std::u16string::npos);
                }
                if (step.command.find(ph) != std::u16string::npos) {
                    EXPECT_NE(step.hint.find(ph), std::u16string::npos);
                }
            }
            counts[step.actionType]++;
            branches += step.branches.size();
            hints += step.hint.empty() ? 0 : 1;
        }
        totalSteps += p.steps.size();
        EXPECT_EQ(counts[StepActionType::Tool], r.tools);
        EXPECT_EQ(counts[StepActionType::Command], r.commands);
        EXPECT_EQ(counts[StepActionType::OpenUrl], r.urls);
        EXPECT_EQ(counts[StepActionType::Note], r.notes);
        EXPECT_EQ(counts[StepActionType::Unrecognised], 0u);
        EXPECT_EQ(branches, r.branches);
    }
    EXPECT_EQ(totalSteps, 67u);
    EXPECT_GE(hints * 3, totalSteps);  // about half the steps carry a hint
    EXPECT_LE(hints * 3, totalSteps * 2);
    EXPECT_TRUE(checkBranchTargets(playbooks).empty());
}

TEST(ShippedPlaybookPack, StepsAsListed) {
    auto document = shippedDocument();
    ASSERT_TRUE(document.has_value());
    auto playbooks = parsePlaybooks(*document);
    ASSERT_EQ(playbooks.size(), 13u);
    // Each step as "tool:<ref>", "<shell>:<command>", "url" or "note", plus its branches.
    auto describe = [](const Playbook& p) {
        std::u16string out;
        for (const PlaybookStep& s : p.steps) {
            switch (s.actionType) {
                case StepActionType::Tool: out += u"tool:" + s.ref; break;
                case StepActionType::Command: out += s.shell + u":" + s.command; break;
                case StepActionType::OpenUrl: out += u"url"; break;
                default: out += u"note"; break;
            }
            for (const StepBranch& b : s.branches) out += u" " + b.when + u">" + b.gotoTarget;
            out += u"\n";
        }
        return wideToUtf8(out);
    };
    const Playbook& first = playbooks[0];
    const std::u16string resolver = first.steps[4].command.substr(10);  // after "ping -n 4 "
    const std::u16string probe = first.steps[3].command.substr(9);     // after "nslookup "
    EXPECT_EQ(std::count(resolver.begin(), resolver.end(), u'.'), 3);
    EXPECT_NE(probe.find(u'.'), std::u16string::npos);
    EXPECT_EQ(describe(first),
              wideToUtf8(u"tool:builtin.ncpa\ncmd:ipconfig /all\ncmd:ping -n 4 {gateway} fail>s1 ok>s4\n"
                         u"cmd:nslookup " + probe + u" fail>s5 ok>s5\ncmd:ping -n 4 " + resolver +
                         u"\ntool:builtin.ncpa\n"));
    EXPECT_EQ(first.summaryEn, u"Trace no-internet from physical link to DNS, layer by layer.");
    const char16_t* firstTexts[] = {u"Check whether the adapter is disabled or unplugged", u"Check local IP and gateway",
                                    u"Ping the default gateway", u"Test DNS resolution",
                                    u"Ping a public IP directly (bypass DNS)",
                                    u"If DNS is the issue, set a public DNS in adapter properties"};
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(first.steps[i].textEn, firstTexts[i]);
    EXPECT_EQ(first.steps[2].branches[0].labelEn, u"Ping fails");
    EXPECT_EQ(first.steps[2].branches[1].labelEn, u"OK");
    EXPECT_EQ(first.steps[3].branches[0].labelEn, u"Resolve fails");
    EXPECT_EQ(first.steps[3].branches[1].labelEn, u"Resolves");

    EXPECT_EQ(describe(playbooks[1]), "tool:builtin.taskmgr\ncmd:tasklist /v\ntool:builtin.resmon\ncmd:powercfg /list\n"
                                      "tool:builtin.msconfig\ntool:builtin.cleanmgr\n");
    EXPECT_EQ(describe(playbooks[2]), "tool:builtin.printmanagement\ncmd:sc query spooler fail>s3 ok>s4\n"
                                      "tool:builtin.services\ncmd:ping -n 4 {printer} fail>s1\ntool:builtin.devmgmt\n");
    EXPECT_EQ(describe(playbooks[3]), "cmd:ping -n 4 {host} fail>s2 ok>s3\ntool:builtin.ncpa\ncmd:net view \\\\{host}\n"
                                      "cmd:net statistics workstation\ntool:builtin.services\n");
    EXPECT_EQ(describe(playbooks[4]), "tool:builtin.eventvwr\ncmd:systeminfo\ntool:builtin.mdsched\ncmd:chkdsk\n"
                                      "tool:builtin.devmgmt\ncmd:driverquery\nurl\n");
    EXPECT_EQ(playbooks[4].steps[6].ref.compare(0, 8, u"https://"), 0);
    EXPECT_EQ(describe(playbooks[5]),
              wideToUtf8(u"cmd:ping -n 20 {gateway}\ncmd:ping -n 20 " + resolver + u"\ncmd:pathping {host}\n" +
                         u"cmd:nslookup " + probe + u"\ntool:builtin.resmon\ncmd:netstat -ano\n"));
    EXPECT_EQ(describe(playbooks[6]), "tool:builtin.cleanmgr\ntool:builtin.diskmgmt\ntool:builtin.resmon\ncmd:chkdsk\n"
                                      "tool:builtin.dfrgui\n");
    EXPECT_EQ(describe(playbooks[7]), "cmd:ping -n 4 {host} fail>s5\npowershell:Test-NetConnection {host} -Port 3389\n"
                                      "cmd:sc query termservice\ntool:builtin.services\ntool:builtin.wf\n"
                                      "tool:builtin.mstsc\n");
    EXPECT_EQ(describe(playbooks[8]), "tool:builtin.mmsys\ncmd:sc query audiosrv fail>s3\ntool:builtin.services\n"
                                      "tool:builtin.devmgmt\n");
    EXPECT_EQ(describe(playbooks[9]), "tool:builtin.devmgmt\ntool:builtin.diskmgmt\ncmd:driverquery\nnote\n");
    EXPECT_EQ(describe(playbooks[10]), "tool:builtin.taskmgr\ntool:builtin.msconfig\ntool:builtin.eventvwr\n"
                                       "tool:builtin.cleanmgr\n");
    EXPECT_EQ(describe(playbooks[11]), "tool:builtin.resmon\ntool:builtin.taskmgr\ntool:builtin.eventvwr\ncmd:chkdsk\n");
    EXPECT_EQ(describe(playbooks[12]), "tool:builtin.eventvwr\ncmd:systeminfo\ntool:builtin.sfc\ntool:builtin.dism\n"
                                       "tool:builtin.mdsched\n");
}

TEST(ShippedPlaybookPack, ToolStepsNameShippedTools) {
    auto playbookDocument = shippedDocument();
    auto toolDocument = parseJson(utf8ToWide(platform::embeddedResource(101)));
    ASSERT_TRUE(playbookDocument && toolDocument);
    std::set<std::u16string> toolIds;
    for (const ToolRecord& t : parseToolPack(*toolDocument, false)) toolIds.insert(t.id);
    for (const Playbook& p : parsePlaybooks(*playbookDocument)) {
        for (const PlaybookStep& s : p.steps) {
            if (s.actionType == StepActionType::Tool) {
                EXPECT_EQ(toolIds.count(s.ref), 1u) << wideToUtf8(s.ref);
            }
        }
    }
}

}  // namespace
