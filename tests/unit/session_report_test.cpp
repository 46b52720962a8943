#include <gtest/gtest.h>

#include "data/text.h"
#include "report/session_log.h"
#include "report/session_report.h"

namespace {

OutputRun themed(const std::u16string& text) { return {text, Rgb{204, 204, 204}, false, false, true}; }
OutputRun colored(const std::u16string& text, Rgb color, bool bold = false) {
    return {text, color, bold, false, false};
}

TEST(ReportHtml, HostileTextNeverBecomesMarkup) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"<script>alert(1)</script>", u"&lt;script&gt;alert(1)&lt;/script&gt;"},
        {u"</pre><img src=x onerror=alert(1)>", u"&lt;/pre&gt;&lt;img src=x onerror=alert(1)&gt;"},
        {u"&amp; \"q\" 'a'", u"&amp;amp; &quot;q&quot; &#39;a&#39;"},
        {std::u16string(u"a\0b", 3), u"a\u2400b"},
        {u"\x1b[31mred\x07", u"\u241b[31mred\u2407"},
        {u"one\r\ntwo\rthree\n\tfour\x7f", u"one\ntwo\nthree\n\tfour\u2421"},
        {u"x\x85y\u202Ereversed", u"x\uFFFDy\uFFFDreversed"},
        {std::u16string(u"lone \xD800 high, lone \xDC00 low, pair \xD83D\xDE00"),
         std::u16string(u"lone \uFFFD high, lone \uFFFD low, pair \xD83D\xDE00")}};
    for (const auto& [in, out] : cases) EXPECT_EQ(escapeHtml(in), out) << wideToUtf8(in);
}

TEST(ReportHtml, ColourRunsBecomeSpansLegibleOnWhite) {
    std::u16string html =
        runsToHtml({themed(u"plain "), colored(u"RED", {197, 15, 31}), colored(u" too", {197, 15, 31}),
                    colored(u" grey", {204, 204, 204}), colored(u"<b>", {19, 161, 14}, true), themed(u" end")});
    EXPECT_EQ(html,
              u"plain <span style=\"color:#c50f1f\">RED too</span><span style=\"color:#949494\"> grey</span>"
              u"<span style=\"color:#13a10e;font-weight:bold\">&lt;b&gt;</span> end");
}

TranscriptMirror mirrorOf(const std::vector<OutputRun>& runs) {
    TranscriptMirror mirror;
    mirrorAppend(mirror, runs);
    return mirror;
}

TEST(ReportSections, TranscriptsAreCutAtTheCommandsEntered) {
    // As the terminal writes it: output, the entered line, its line break, the output that follows.
    TranscriptMirror mirror = mirrorOf({themed(u"Microsoft Windows\r\n\r\nC:\\>")});
    std::vector<EnteredCommand> entered;
    auto enter = [&](const std::u16string& line, const std::u16string& time, const std::vector<OutputRun>& output) {
        entered.push_back({mirror.dropped + mirror.runs.size(), line, time});
        mirrorAppend(mirror, {themed(line)});
        mirrorAppend(mirror, {themed(u"\r\n")});
        mirrorAppend(mirror, output);
    };
    enter(u"echo <script>", u"10:00:01", {themed(u"<script>\r\n\r\nC:\\>")});
    enter(u"color", u"10:00:02", {colored(u"ERROR", {197, 15, 31}), themed(u"\r\nC:\\>")});

    std::vector<CommandBlock> blocks = transcriptBlocks(mirror, entered);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_TRUE(blocks[0].command.empty());
    EXPECT_EQ(blocks[1].command, u"echo <script>");
    EXPECT_EQ(blocks[1].time, u"10:00:01");
    ASSERT_FALSE(blocks[1].output.empty());
    EXPECT_EQ(blocks[1].output.front().text, u"<script>\r\n");  // the command's own line is the heading
    EXPECT_EQ(blocks[2].output.front().text, u"ERROR");

    // Lines dropped from the top take their commands with them.
    mirrorDropOldest(mirror, 2);
    blocks = transcriptBlocks(mirror, entered);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].output.front().text, u"C:\\>");  // the prompt the kept command was typed at
    EXPECT_EQ(blocks[1].command, u"color");
}

SessionReport sampleReport() {
    SessionReport report;
    ReportLabels& l = report.labels;
    l.title = u"Session report";
    l.activity = u"Activity";
    l.playbooks = u"Playbooks";
    l.terminals = u"Terminals";
    l.contents = u"Contents";
    l.caution = u"Review it before sharing.";
    l.allowed = u"allowed";
    l.usedFilled = u"Filled";
    l.kindCommand = u"Command";
    l.reading = u"reading";
    l.readOk = u"ok";
    l.captured = u"captured";
    report.header.computer = u"PC<1>";
    report.activity.push_back({u"10:00:00", u"> [Launch] Notepad & co", {36, 104, 220}});

    Playbook playbook;
    playbook.id = u"net";
    playbook.title = u"网络";
    playbook.titleEn = u"Network";
    PlaybookStep step;
    step.actionType = StepActionType::Command;
    step.command = u"ipconfig /all";
    step.textEn = u"Look at the addresses";
    step.hasReading = true;
    step.reading.captures = {{u"gateway", CaptureKind::IPv4, {u"Default Gateway"}}};
    PlaybookStep ping = step;
    ping.command = u"ping -n 4 {gateway}";
    ping.reading = {{u"time="}, {u"timed out"}, StepOutcome::Fail, {}};
    playbook.steps = {step, ping};
    SessionLog log;
    notePlaybookOpened(log, playbook, u"10:00:05");
    noteStepUsed(log, playbook, 0, WalkActionKind::FillCommand, u"10:00:06");
    noteStepUsed(log, playbook, 0, WalkActionKind::MoveTo, u"10:00:07");  // moving is not using
    noteStepUsed(log, playbook, 1, WalkActionKind::CopyCommand, u"10:00:09");
    l.language = u"en";
    report.playbooks = playbookRecords(log, l);

    TerminalRecord terminal;
    terminal.name = u"CMD";
    terminal.shell = u"CMD";
    terminal.state = u"open";
    terminal.blocks = {{u"", u"", {themed(u"C:\\>")}},
                       {u"IPCONFIG /all", u"10:00:07", {themed(u" Default Gateway . : 10.0.0.1\r\n")}},
                       {u"type evil.txt", u"10:00:08", {themed(u"</pre><script>alert(1)</script>\r\n")}},
                       {u"ping -n 4 10.0.0.1", u"10:00:10", {themed(u"Reply from 10.0.0.1: time=1ms\r\n")}}};
    report.terminals = {terminal};
    l.launchFailed = u"failed";
    report.questions = {{u"10:00:01", u"no <internet>", 3}};
    report.launches = {{u"10:00:02", u"Notepad", true, u"Access is denied."}};
    addStepReadings(report.playbooks, log, report.terminals, l);
    return report;
}

TEST(ReportSections, TheWholePageAndItsTextVariant) {
    SessionReport report = sampleReport();
    ASSERT_EQ(report.playbooks.size(), 1u);
    EXPECT_EQ(report.playbooks[0].title, u"Network");
    ASSERT_EQ(report.playbooks[0].steps.size(), 2u);
    const StepRecord& step = report.playbooks[0].steps[0];
    EXPECT_EQ(step.kind, u"Command");
    EXPECT_EQ(step.detail, u"cmd> ipconfig /all");
    EXPECT_EQ(step.verdict, u"allowed");
    ASSERT_EQ(step.uses.size(), 1u);
    EXPECT_EQ(step.uses[0].what, u"Filled");
    // Each step read from the output of its command, filled placeholders and all.
    EXPECT_EQ(step.captures, u"gateway = 10.0.0.1");
    EXPECT_EQ(report.playbooks[0].steps[1].reading, u"ok — Reply from 10.0.0.1: time=1ms");

    std::string html = reportHtml(report);
    for (const char* expected :
         {"<section id=\"activity\">", "<section id=\"playbooks\">", "<section id=\"terminals\">",
          "<a href=\"#t1-c2\">", "<h4 id=\"t1-c2\">", "PC&lt;1&gt;", "Notepad &amp; co",
          "&lt;/pre&gt;&lt;script&gt;alert(1)&lt;/script&gt;", "ipconfig /all", "Network",
          "captured: gateway = 10.0.0.1", "no &lt;internet&gt;", "failed: Access is denied."})
        EXPECT_NE(html.find(expected), std::string::npos) << expected;
    // Nothing that runs or loads: no script, no external address, no embedded resource.
    for (const char* absent : {"<script", "http:", "https:", "src=", "<link", "@import", "url("})
        EXPECT_EQ(html.find(absent), std::string::npos) << absent;

    std::string text = reportText(report);
    EXPECT_EQ(text.compare(0, 3, "\xEF\xBB\xBF"), 0);
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        ASSERT_EQ(text[at - 1], '\r') << "a bare line feed at " << at;
    for (const char* expected : {">>> 10:00:08  type evil.txt", "</pre><script>alert(1)</script>", "Filled", "Network",
                                 "     reading: ok — Reply from 10.0.0.1: time=1ms", "10:00:01  no <internet>  (3)",
                                 "10:00:02  Notepad  failed: Access is denied."})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;

    EXPECT_EQ(reportFileName(u"PC:1/2", u"20261207-0930"), u"wrenly-report-PC_1_2-20261207-0930.html");
}

}  // namespace
