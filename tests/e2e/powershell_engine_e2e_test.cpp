// The PowerShell half of the terminal against a real engine: typed commands,
// the shipped playbooks' PowerShell steps, and the allowlist's verdicts set
// against what PowerShell really runs. Wine's powershell.exe is a stub that
// prints nothing, so these run only where TOOLKEEP_REAL_POWERSHELL says the
// system's powershell.exe is a real engine (scripts/powershell-fixture.sh puts
// PowerShell 7's there).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "data/text.h"
#include "platform/win_text.h"
#include "playbooks/allowlist.h"
#include "playbooks/playbook.h"
#include "terminal/console_rules.h"
#include "terminal/shell_session.h"
#include "terminal/terminal_tabs.h"

#include "tests/e2e/local_window.h"
#include "tests/e2e/message_loop.h"
#include "tests/e2e/terminal_host.h"

namespace {

// The engine's first start under Wine compiles much of it: far slower than a command.
constexpr DWORD kStartMs = 60000;
constexpr DWORD kCommandMs = 30000;

bool realPowerShell() { return GetEnvironmentVariableW(L"TOOLKEEP_REAL_POWERSHELL", nullptr, 0) > 0; }

std::u16string replaceAll(std::u16string text, const std::u16string& what, const std::u16string& with) {
    for (size_t at = text.find(what); at != std::u16string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

class PowerShellE2E : public ::testing::Test {
protected:
    TerminalHost host;
    TerminalTabs& tabs = host.tabs;

    void SetUp() override {
        if (!realPowerShell())
            GTEST_SKIP() << "Wine's powershell.exe is a stub: scripts/powershell-fixture.sh installs a real engine "
                            "and TOOLKEEP_REAL_POWERSHELL=1 says so";
        ASSERT_TRUE(createTerminalHost(host, L"powershell-e2e"));
    }
    void TearDown() override { destroyTerminalHost(host); }

    Terminal& openReadyPowerShell() {
        openTerminalTab(tabs, ShellKind::PowerShell);
        Terminal& t = *tabs.terminals.back().terminal;
        tabs.layoutRightPane();
        EXPECT_TRUE(waitUntil(kStartMs, [&] {
            return probeTerminal(t).outputChunks > 0 && probeTerminal(t).atShellPrompt &&
                   !probeTerminal(t).substitutePrompt;
        })) << "no prompt from PowerShell";
        return t;
    }

    // Puts the command on the input line and presses Enter; returns what the
    // shell printed before its next prompt, or a note that none came.
    std::u16string run(Terminal& t, const std::u16string& command) {
        replaceInput(t, command);
        std::u16string prompt = u"PS " + promptDirectoryOf(t) + u"> ";
        size_t prompts = countOf(terminalText(t), prompt);
        pressEnter(t.editor);
        bool back = waitUntil(kCommandMs, [&] {
            // A quiet cmdlet gets a stand-in prompt from the terminal: wait for PowerShell's own.
            return probeTerminal(t).atShellPrompt && !probeTerminal(t).substitutePrompt &&
                   countOf(terminalText(t), prompt) > prompts;
        });
        std::u16string text = terminalText(t);
        if (!back) return u"(no prompt came back) " + text;
        size_t start = text.rfind(prompt + command);
        size_t end = text.rfind(prompt);
        if (start == std::u16string::npos || end <= start) return u"(the command line is missing) " + text;
        start += prompt.size() + command.size();
        return text.substr(start, end - start);
    }
};

TEST_F(PowerShellE2E, CommandsShowOnceWithTheirOutputOrErrorAndThePromptComesBack) {
    struct Case {
        const char16_t* command;
        const char16_t* expected;
    };
    const Case cases[] = {{u"Write-Output WRPSOUT", u"WRPSOUT"},
                          {u"1..3 | ForEach-Object { \"WRLINE$_\" }", u"WRLINE1\r\nWRLINE2\r\nWRLINE3"},
                          {u"Get-Item C:\\wr-not-there", u"Cannot find path"},  // errors come on the same pipe
                          {u"Get-ChildItem C:\\windows -Filter win.ini | Format-List Name", u"win.ini"}};
    Terminal& t = openReadyPowerShell();
    for (const Case& c : cases) {
        std::u16string output = run(t, c.command);
        EXPECT_NE(output.find(c.expected), std::u16string::npos) << wideToUtf8(c.command) << "\n" << wideToUtf8(output);
        // PowerShell echoes what it reads from a pipe; the terminal shows the line once.
        EXPECT_EQ(countOf(terminalText(t), c.command), 1u) << wideToUtf8(terminalText(t));
    }
    replaceInput(t, u"Set-Location C:\\windows");
    pressEnter(t.editor);
    EXPECT_TRUE(waitUntil(kCommandMs, [&] { return promptDirectoryOf(t) == u"C:\\windows"; }))
        << wideToUtf8(terminalText(t));
}

TEST_F(PowerShellE2E, ShippedPlaybookStepsFilledIntoTheTerminalRunAndGiveOutput) {
    std::vector<const PlaybookStep*> steps;
    useTheExesDataPacks();
    std::vector<Playbook> playbooks = loadPlaybookPack();
    for (const Playbook& playbook : playbooks)
        for (const PlaybookStep& step : playbook.steps)
            if (step.actionType == StepActionType::Command && step.enabled &&
                shellKindForName(step.shell) == ShellKind::PowerShell)
                steps.push_back(&step);
    ASSERT_FALSE(steps.empty()) << "the shipped playbooks have no PowerShell step";

    Terminal& t = openReadyPowerShell();
    std::vector<std::string> missing;
    for (const PlaybookStep* step : steps) {
        fillCommand(tabs, step->shell, step->command);
        ASSERT_EQ(tabs.terminals.size(), 1u) << "the step opened another terminal";
        EXPECT_EQ(terminalInputLine(t), step->command);
        // What the step's hint asks of the user: the placeholders filled in.
        std::u16string filled = step->command;
        for (const char16_t* placeholder : {u"{host}", u"{gateway}", u"{printer}"})
            filled = replaceAll(filled, placeholder, u"127.0.0.1");
        std::u16string output = run(t, filled);
        EXPECT_NE(output.find_first_not_of(u" \r\n"), std::u16string::npos) << wideToUtf8(filled) << ": no output";
        EXPECT_EQ(output.find(u"(no prompt"), std::u16string::npos) << wideToUtf8(filled) << "\n" << wideToUtf8(output);
        if (output.find(u"is not recognized") != std::u16string::npos) missing.push_back(wideToUtf8(filled));
    }
    if (!missing.empty()) {
        std::string list;
        for (const std::string& command : missing) list += "\n  " + command;
        GTEST_SKIP() << "these steps name cmdlets of Windows' own modules, which PowerShell 7's engine lacks:" << list;
    }
}

// Each probe leaves a file of its name in the shell's folder when PowerShell
// runs it: the harmless stand-in for logoff.
TEST_F(PowerShellE2E, WhatTheAllowlistRefusesWouldRunAndWhatItAllowsDoesNot) {
    struct Sample {
        const char16_t* command;
        const char16_t* probe;
        bool allowed;
        bool probeRuns;
        const char16_t* ranAs = nullptr;  // what PowerShell runs, when not the command itself
        const char16_t* shell = u"powershell";  // the family the command is judged by
    };
    const Sample samples[] = {
        // Script blocks: these cmdlets evaluate them.
        {u"Select-Object -InputObject x {New-Item wrprobe1}", u"wrprobe1", false, true},
        {u"Sort-Object -InputObject 1 {New-Item wrprobe2}", u"wrprobe2", false, true},
        {u"Get-Date | Format-Table {New-Item wrprobe3}", u"wrprobe3", false, true},
        {u"Get-Date | ForEach-Object {New-Item wrprobe4}", u"wrprobe4", false, true},
        {u"Get-Date | fl {New-Item wrprobe5}", u"wrprobe5", false, true},
        // ... and these do not: a string is formatted as itself, a name needs input.
        {u"Format-Table -InputObject x {New-Item wrprobe6}", u"wrprobe6", false, false},
        {u"Get-Process {New-Item wrprobe7}", u"wrprobe7", false, false},
        // Statements, subexpressions and cmdlets that write.
        {u"Get-Date; New-Item wrprobe8", u"wrprobe8", false, true},
        {u"Get-Date $(New-Item wrprobe9)", u"wrprobe9", false, true},
        {u"Get-Date (New-Item wrprobe10)", u"wrprobe10", false, true},
        {u"Get-Date @(New-Item wrprobe11)", u"wrprobe11", false, true},
        {u"Invoke-Expression 'New-Item wrprobe12'", u"wrprobe12", false, true},
        {u"Get-Date | Out-File wrprobe13", u"wrprobe13", false, true},
        // Allowed: the probe's words are only arguments.
        {u"Select-Object -InputObject x New-Item wrprobe14", u"wrprobe14", true, false},
        {u"Get-Date | Format-Table New-Item wrprobe15", u"wrprobe15", true, false},
        {u"Get-Process -Name New-Item wrprobe16", u"wrprobe16", true, false},
        {u"Get-Item wrprobe17", u"wrprobe17", true, false},
        {u"Get-Content wrprobe18", u"wrprobe18", false, false},  // not on the read-only list
        {u"Get-ChildItem | Sort-Object Name | Select-Object -First 3 | Format-List Name", u"wrprobe19", true, false},
        // cmd steps pasted into PowerShell. Windows PowerShell 5.1 runs "sc" as
        // Set-Content (PowerShell 7 dropped the alias, so the sample names it); every
        // PowerShell drops the quotes of an argument before a program sees its
        // arguments (cmd's echo stands in for chkdsk and route, which Wine lacks).
        {u"sc query -Path wrprobe20", u"wrprobe20", false, true, u"Set-Content query -Path wrprobe20", u"cmd"},
        {u"sc query wrprobe21", u"wrprobe21", true, false, u"Set-Content query wrprobe21", u"cmd"},
        {u"chkdsk D: '/x'", u"WRARGS D: /x", false, true,
         u"& \"$env:SystemRoot\\System32\\cmd.exe\" /d /c echo WRARGS D: '/x'", u"cmd"},
        {u"route print \"-f\"", u"WRARGS print -f", false, true,
         u"& \"$env:SystemRoot\\System32\\cmd.exe\" /d /c echo WRARGS print \"-f\"", u"cmd"},
        {u"chkdsk F:", u"WRARGS F: /", true, false, u"& \"$env:SystemRoot\\System32\\cmd.exe\" /d /c echo WRARGS F:",
         u"cmd"}};
    const std::u16string folder = sessionStartDirectory() + u"\\";
    for (const Sample& s : samples) DeleteFileW(wstr(folder + s.probe));
    Terminal& t = openReadyPowerShell();
    for (const Sample& s : samples) {
        std::string label = wideToUtf8(std::u16string(s.shell) + u" | " + s.command);
        CommandVerdict verdict = checkCommand(s.shell, s.command);
        EXPECT_EQ(verdict.allowed, s.allowed) << label << ": " << wideToUtf8(verdict.reason);
        std::u16string output = run(t, s.ranAs ? s.ranAs : s.command);
        EXPECT_EQ(output.find(u"(no prompt"), std::u16string::npos) << label;
        std::u16string probe = folder + s.probe;
        bool file = s.probe[0] == u'w';  // files are "wrprobe…", printed words "WRARGS…"
        bool seen = file ? GetFileAttributesW(wstr(probe)) != INVALID_FILE_ATTRIBUTES
                         : output.find(s.probe) != std::u16string::npos;
        EXPECT_EQ(seen, s.probeRuns) << label << (s.probeRuns ? ": the probe did not run\n" : ": the probe ran\n")
                                     << wideToUtf8(output);
        if (file) DeleteFileW(wstr(probe));
    }
    DeleteFileW(wstr(folder + u"query"));
}

}  // namespace
