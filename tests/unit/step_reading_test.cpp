#include <gtest/gtest.h>

#include "data/text.h"
#include "platform/platform.h"
#include "playbooks/playbook.h"

namespace {

const std::vector<Playbook>& shipped() {
    static const std::vector<Playbook> playbooks = [] {
        auto document = parseJson(utf8ToWide(platform::embeddedResource(103)));
        return document ? parsePlaybooks(*document) : std::vector<Playbook>{};
    }();
    return playbooks;
}

std::vector<PlaybookStep> parseSteps(const std::string& steps) {
    auto document = parseJson(utf8ToWide(R"({"playbooks":[{"id":"p","title":"T","steps":)" + steps + "}]}"));
    std::vector<Playbook> playbooks = document ? parsePlaybooks(*document) : std::vector<Playbook>{};
    return playbooks.empty() ? std::vector<PlaybookStep>{} : playbooks[0].steps;
}

// Output as Windows prints it, English and Chinese, read by the shipped steps.
TEST(StepReading, ShippedStepsReadRealOutput) {
    struct Case {
        const char* playbook;
        const char* step;
        const char* output;
        StepOutcome outcome;
        const char* branchGoto;  // "" when no branch is suggested
        const char* matched;
        const char* gateway;  // "" when nothing is captured
    } cases[] = {
        {"net.no-internet", "s3",
         "Pinging 192.168.1.1 with 32 bytes of data:\r\nReply from 192.168.1.1: bytes=32 time=1ms TTL=64\r\n"
         "Ping statistics for 192.168.1.1:\r\n    Packets: Sent = 4, Received = 4, Lost = 0 (0% loss),",
         StepOutcome::Ok, "s4", "Reply from 192.168.1.1: bytes=32 time=1ms TTL=64", ""},
        {"net.no-internet", "s3",
         "正在 Ping 192.168.1.1 具有 32 字节的数据:\n来自 192.168.1.1 的回复: 字节=32 时间<1ms TTL=64", StepOutcome::Ok,
         "s4", "来自 192.168.1.1 的回复: 字节=32 时间<1ms TTL=64", ""},
        // Counted as received by the statistics, yet nothing answered.
        {"net.no-internet", "s3",
         "Reply from 192.168.1.23: Destination host unreachable.\nReply from 192.168.1.23: Destination host "
         "unreachable.\n"
         "    Packets: Sent = 4, Received = 4, Lost = 0 (0% loss),",
         StepOutcome::Fail, "s1", "Reply from 192.168.1.23: Destination host unreachable.", ""},
        {"net.no-internet", "s3",
         "来自 192.168.1.23 的回复: 无法访问目标主机。\n    数据包: 已发送 = 4，已接收 = 4，丢失 = 0 (0% 丢失)，",
         StepOutcome::Fail, "s1", "来自 192.168.1.23 的回复: 无法访问目标主机。", ""},
        {"net.no-internet", "s3", "请求超时。\n请求超时。", StepOutcome::Fail, "s1", "请求超时。", ""},
        {"net.no-internet", "s3", "Request timed out.\nReply from 192.168.1.1: bytes=32 time=3ms TTL=64",
         StepOutcome::Ok, "s4", "Reply from 192.168.1.1: bytes=32 time=3ms TTL=64", ""},  // some loss, but it answers
        {"share.access-denied", "s1", "Pinging ::1 with 32 bytes of data:\nReply from ::1: time<1ms", StepOutcome::Ok,
         "s3", "Reply from ::1: time<1ms", ""},  // IPv6 replies carry no TTL
        {"print.cannot-print", "s4", "Ping request could not find host printer1. Please check the name and try again.",
         StepOutcome::Fail, "s1", "Ping request could not find host printer1. Please check the name and try again.",
         ""},
        {"net.rdp", "s1", "Ping 请求找不到主机 srv01。请检查该名称，然后重试。", StepOutcome::Fail, "s5",
         "Ping 请求找不到主机 srv01。请检查该名称，然后重试。", ""},
        {"net.no-internet", "s4",
         "*** Can't find server name for address 192.168.1.1: Non-existent domain\nServer:  UnKnown\n"
         "Address:  192.168.1.1\n\nNon-authoritative answer:\nName:    a-0003.dc-msedge.net",
         StepOutcome::Ok, "s5", "Non-authoritative answer:", ""},
        {"net.no-internet", "s4",
         "服务器:  UnKnown\nAddress:  192.168.1.1\n\n非权威应答:\n名称:    a-0003.dc-msedge.net", StepOutcome::Ok, "s5",
         "非权威应答:", ""},
        {"net.no-internet", "s4",
         "Server:  UnKnown\nAddress:  192.168.1.1\n\n*** UnKnown can't find www.msftconnecttest.com: Server failed",
         StepOutcome::Fail, "s5", "*** UnKnown can't find www.msftconnecttest.com: Server failed", ""},
        {"net.slow", "s4", "*** UnKnown 找不到 www.msftconnecttest.com: Non-existent domain", StepOutcome::Fail, "",
         "*** UnKnown 找不到 www.msftconnecttest.com: Non-existent domain", ""},
        {"net.slow", "s4", "DNS request timed out.\n    timeout was 2 seconds.\n*** Request to UnKnown timed-out",
         StepOutcome::Fail, "", "DNS request timed out.", ""},
        {"print.cannot-print", "s2",
         "SERVICE_NAME: spooler\n        STATE              : 4  RUNNING\n"
         "                                (STOPPABLE, NOT_PAUSABLE, ACCEPTS_SHUTDOWN)",
         StepOutcome::Ok, "s4", "STATE              : 4  RUNNING", ""},
        {"print.cannot-print", "s2", "        STATE              : 1  STOPPED", StepOutcome::Fail, "s3",
         "STATE              : 1  STOPPED", ""},
        {"hw.nosound", "s2",
         "        STATE              : 2  START_PENDING\n                                (NOT_STOPPABLE)",
         StepOutcome::Unknown, "", "", ""},  // still starting: run it again
        {"hw.nosound", "s2", "[SC] EnumQueryServicesStatus:OpenService 失败 1060:\n\n指定的服务未安装。",
         StepOutcome::Fail, "s3", "[SC] EnumQueryServicesStatus:OpenService 失败 1060:", ""},
        {"share.access-denied", "s3", "发生系统错误 53。\n\n找不到网络路径。", StepOutcome::Fail, "",
         "发生系统错误 53。", ""},
        {"sys.time-sync", "s2",
         "Leap Indicator: 3(not synchronized)\r\nStratum: 0 (unspecified)\r\nSource: Local CMOS Clock",
         StepOutcome::Fail, "s3", "Leap Indicator: 3(not synchronized)", ""},
        {"sys.time-sync", "s2", "闰秒指示符: 0(无警告)\n层次: 4 (次引用 - 与(S)NTP 同步)\n源: time.windows.com,0x9",
         StepOutcome::Ok, "s5", "闰秒指示符: 0(无警告)", ""},
        {"net.wifi-drops", "s1", "    Name                   : Wi-Fi\n    State                  : disconnected",
         StepOutcome::Fail, "s3", "State                  : disconnected", ""},
        {"net.wifi-drops", "s1",
         "    名称                   : WLAN\n    状态                   : 已连接\n    信号                   : 92%",
         StepOutcome::Ok, "s2", "状态                   : 已连接", ""},
        {"sec.account-locked", "s1",
         "User name                    eve\nAccount active               Locked\n"
         "The command completed successfully.",
         StepOutcome::Fail, "s3", "Account active               Locked", ""},
        {"net.no-internet", "s3", "", StepOutcome::Unknown, "", "", ""},
        // ipconfig: the IPv6 gateway first, the IPv4 one on a continuation line.
        {"net.no-internet", "s2",
         "   DHCP Enabled. . . . . . . . . . . : Yes\n   Default Gateway . . . . . . . . . : fe80::1%12\n"
         "                                       192.168.1.1\n   DHCP Server . . . . . . . . . . . : 192.168.1.1",
         StepOutcome::Unknown, "", "", "192.168.1.1"},
        {"net.no-internet", "s2",
         "以太网适配器 以太网:\n   默认网关. . . . . . . . . . . . . :\n无线局域网适配器 WLAN:\n"
         "   默认网关. . . . . . . . . . . . . : 192.168.0.1\n   DHCP 服务器 . . . . . . . . . . . : 192.168.0.1",
         StepOutcome::Unknown, "", "", "192.168.0.1"},
        // Hostile or malformed values never reach a command.
        {"net.no-internet", "s2", "   Default Gateway . . . : 192.168.1.1 & shutdown /s", StepOutcome::Unknown, "", "",
         ""},
        {"net.no-internet", "s2", "   Default Gateway . . . : 192.168.1.256\n   Default Gateway . . . : 192.168.01.1",
         StepOutcome::Unknown, "", "", ""},
        {"net.no-internet", "s2",
         "   Default Gateway . . . . . . . . . :\n   DNS Servers . . . . . . . . . . . : 8.8.8.8", StepOutcome::Unknown,
         "", "", ""},  // no gateway at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.playbook) + "/" + c.step + ": " + c.output);
        const Playbook* playbook = findPlaybook(shipped(), asciiToWide(c.playbook));
        ASSERT_TRUE(playbook);
        const PlaybookStep* step = findStep(*playbook, asciiToWide(c.step));
        ASSERT_TRUE(step && step->hasReading);
        SessionCaptures captures;
        StepReading reading = readStepAndKeep(*playbook, *step, splitOutputLines(utf8ToWide(c.output)), captures);
        EXPECT_EQ(reading.outcome, c.outcome);
        EXPECT_EQ(wideToUtf8(reading.matched), c.matched);
        EXPECT_EQ(reading.branch < 0 ? "" : wideToUtf8(step->branches[size_t(reading.branch)].gotoTarget),
                  c.branchGoto);
        const CapturedValue* gateway = findCapture(captures, u"gateway");
        EXPECT_EQ(gateway ? wideToUtf8(gateway->value) : "", c.gateway);
    }
}

TEST(StepReading, ValuesMustBeExactlyOfTheirKind) {
    // A table packed several rows to a line.
    // clang-format off
    struct Case {
        CaptureKind kind;
        const char16_t* text;
        bool valid;
    } cases[] = {
        {CaptureKind::IPv4, u"0.0.0.0", true},         {CaptureKind::IPv4, u"255.255.255.255", true},
        {CaptureKind::IPv4, u"1.2.3", false},          {CaptureKind::IPv4, u"1.2.3.4.5", false},
        {CaptureKind::IPv4, u"010.0.0.1", false},      {CaptureKind::IPv4, u" 1.2.3.4", false},
        {CaptureKind::IPv4, u"1.2.3.4(Preferred)", false},
        {CaptureKind::IPv6, u"fe80::1%12", true},      {CaptureKind::IPv6, u"::1", true},
        {CaptureKind::IPv6, u"2001:db8:0:0:0:0:0:1", true}, {CaptureKind::IPv6, u"::ffff:192.168.1.1", true},
        {CaptureKind::IPv6, u"1::2::3", false},        {CaptureKind::IPv6, u"fe80::1%", false},
        {CaptureKind::IPv6, u"fe80::1%1&x", false},    {CaptureKind::IPv6, u"1:2:3:4:5:6:7:8:9", false},
        {CaptureKind::IPv6, u"12345::1", false},       {CaptureKind::HostName, u"srv-01.corp.example", true},
        {CaptureKind::HostName, u"-t", false},         {CaptureKind::HostName, u"a..b", false},
        {CaptureKind::HostName, u"a b", false},        {CaptureKind::HostName, u"主机", false},
        {CaptureKind::Number, u"3389", true},          {CaptureKind::Number, u"-1", false},
        {CaptureKind::Number, u"12345678901", false},  {CaptureKind::Number, u"", false}
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(isValueOfKind(c.kind, c.text), c.valid) << wideToUtf8(c.text);
}

// A captured value fills later steps of any playbook, and the filled text is judged again.
TEST(StepReading, CapturesFillLaterStepsAndAreJudgedAgain) {
    const Playbook* noInternet = findPlaybook(shipped(), u"net.no-internet");
    const Playbook* slow = findPlaybook(shipped(), u"net.slow");
    ASSERT_TRUE(noInternet && slow);
    SessionCaptures captures;
    FilledCommand before = fillStepCommand(noInternet->steps[2], captures);
    EXPECT_EQ(before.command, u"ping -n 4 {gateway}");
    EXPECT_FALSE(before.complete);
    readStepAndKeep(*noInternet, noInternet->steps[1], {u"   默认网关. . . . . : 10.0.0.1"}, captures);
    FilledCommand filled = fillStepCommand(slow->steps[0], captures);
    EXPECT_EQ(filled.command, u"ping -n 20 10.0.0.1");
    EXPECT_TRUE(filled.complete && filled.verdict.allowed);
    EXPECT_EQ(findCapture(captures, u"gateway")->stepId, u"s2");
    // Whatever a value holds, the allowlist has the last word on the command.
    keepCapture(captures, {u"gateway", u"1.1.1.1 & shutdown /s", u"x", u"y"});
    ASSERT_EQ(captures.values.size(), 1u);
    EXPECT_FALSE(fillStepCommand(noInternet->steps[2], captures).verdict.allowed);
}

// Broken rules leave the step usable without them and say why in both
// languages; members a reader does not know are passed over.
TEST(StepReading, BrokenRulesGiveAProblem) {
    struct Case {
        const char* step;
        bool reads;
    } cases[] = {
        {R"({"type":"command","command":"ver"},"reading":{"ok":["Windows"],"future":{"x":1}})", true},
        {R"({"type":"command","command":"ver"},"reading":{"captures":[{"name":"n","kind":"number","after":["N:"]}]})",
         true},
        {R"({"type":"command","command":"ver"})", false},
        {R"({"type":"command","command":"ver"},"reading":"ok")", false},
        {R"({"type":"command","command":"ver"},"reading":{})", false},
        {R"({"type":"command","command":"ver"},"reading":{"ok":"Windows"})", false},
        {R"({"type":"command","command":"ver"},"reading":{"ok":["  "]})", false},
        {R"({"type":"command","command":"ver"},"reading":{"ok":["a"],"decides":"maybe"})", false},
        {R"({"type":"command","command":"ver"},"reading":{"captures":[{"name":"n","kind":"regex","after":["N:"]}]})",
         false},
        {R"({"type":"command","command":"ver"},"reading":{"captures":[{"name":"{n}","kind":"number","after":["N:"]}]})",
         false},
        {R"({"type":"command","command":"ver"},"reading":{"captures":[{"name":"n","kind":"number"}]})", false},
        {R"({"type":"tool","ref":"builtin.ncpa"},"reading":{"ok":["a"]})", false},
        {R"({"type":"command","command":"ver"},"reading":{"ok":["a"]},"branches":[{"goto":"s","on":"maybe"}])", false},
    };
    for (const Case& c : cases) {
        std::vector<PlaybookStep> steps = parseSteps(std::string(R"([{"id":"s","action":)") + c.step + "}]");
        ASSERT_EQ(steps.size(), 1u) << c.step;
        EXPECT_EQ(steps[0].hasReading, c.reads) << c.step;
        EXPECT_TRUE(steps[0].enabled) << c.step;
        bool broken = !c.reads && std::string(c.step).find("\"reading\"") != std::string::npos;
        EXPECT_EQ(!steps[0].readingProblem.empty(), broken) << c.step;
        EXPECT_EQ(!steps[0].readingProblemEn.empty(), broken) << c.step;
    }
}

// Every shipped command step with branches can be read, and no shipped rule is broken.
TEST(StepReading, ShippedRulesCoverTheBranchingSteps) {
    for (const Playbook& p : shipped()) {
        for (const PlaybookStep& step : p.steps) {
            SCOPED_TRACE(wideToUtf8(p.id + u"/" + step.id));
            EXPECT_TRUE(step.readingProblem.empty());
            EXPECT_TRUE(step.hasReading || step.actionType != StepActionType::Command || step.branches.empty());
        }
    }
}

}  // namespace
