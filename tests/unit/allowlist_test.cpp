#include <gtest/gtest.h>

#include "data/text.h"
#include "playbooks/allowlist.h"

namespace {

const std::u16string kPsReadOnly = u"PowerShell 仅允许只读命令(Get-*/Test-*/Resolve-*/...): ";

struct Case {
    const char16_t* shell;
    std::u16string command;
    const char16_t* reason;  // nullptr: allowed
};

void expectVerdicts(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        CommandVerdict v = checkCommand(c.shell, c.command);
        std::string label = wideToUtf8(std::u16string(c.shell) + u" | " + c.command);
        if (c.reason == nullptr) {
            EXPECT_TRUE(v.allowed) << label << " refused: " << wideToUtf8(v.reason);
            EXPECT_EQ(v.reason, u"") << label;
        } else {
            EXPECT_FALSE(v.allowed) << label;
            EXPECT_EQ(wideToUtf8(v.reason), wideToUtf8(c.reason)) << label;
        }
    }
}

// Every command under the shell gets the same verdict; reason nullptr: allowed.
void expectAll(const char16_t* shell, const char16_t* reason, const std::vector<std::u16string>& commands) {
    for (const std::u16string& command : commands) expectVerdicts({{shell, command, reason}});
}

TEST(Allowlist, CmdTable) {
    expectAll(u"cmd", nullptr,
              {u"ipconfig", u"ipconfig /all", u"IPCONFIG /ALL", u"ipconfig /all /displaydns", u"ping -n 4 {gateway}",
               u"Ping.EXE 8.8.8.8", u"tracert -d x", u"pathping h", u"nslookup a.b", u"getmac /v", u"hostname", u"ver",
               u"whoami /all", u"systeminfo", u"driverquery /v", u"tasklist /v", u"netstat -ano", u"arp", u"arp -a",
               u"route print", u"route print -4", u"route print -p", u"route print 10.*",
               u"route print if",  // not a switch
               u"sc query spooler", u"sc qc spooler", u"net view \\\\{host}", u"net statistics workstation",
               u"powercfg /list", u"powercfg /L", u"powercfg /query", u"powercfg /q",
               u"ping C:\\x /y"});  // only the command name is path-tested
    expectAll(u"cmd", u"ipconfig 仅允许 /all /displaydns", {u"ipconfig /release", u"ipconfig /all /flushdns"});
    expectAll(u"cmd", u"netstat -b 需管理员，禁用", {u"netstat -anob", u"netstat -B"});
    expectAll(u"cmd", u"arp 仅允许 -a", {u"arp -d *"});
    expectAll(u"cmd", u"sc 仅允许 query/qc", {u"sc", u"sc stop spooler"});
    expectAll(u"cmd", u"net 仅允许 view/statistics", {u"net user eve P4ss /add", u"net"});
    expectAll(u"cmd", u"powercfg 仅允许 /list /query", {u"powercfg /setactive x"});
    // route print never flushes, wherever the switch hides.
    expectAll(u"cmd", u"route 仅允许 print",
              {u"route", u"route delete 0.0.0.0", u"route print -f", u"route print -F", u"route print /f",
               u"route print -4 -pf", u"route print \"-f\"", u"route print \"\"/f"});
    expectVerdicts({
        {u"cmd", u"del C:\\windows\\x", u"命令不在白名单: del"},
        {u"cmd", u"FORMAT c:", u"命令不在白名单: FORMAT"},
        {u"cmd", u".exe", u"命令不在白名单: .exe"},
        {u"cmd", u"C:\\Windows\\System32\\cmd.exe /c dir", u"命令不得含路径/盘符: C:\\Windows\\System32\\cmd.exe"},
        {u"cmd", u"sub/ping x", u"命令不得含路径/盘符: sub/ping"},
        {u"cmd", u"c:ping x", u"命令不得含路径/盘符: c:ping"},
    });
}

TEST(Allowlist, ChkdskRefusesEveryRepairSwitch) {
    expectAll(u"cmd", nullptr, {u"chkdsk", u"chkdsk c:", u"chkdsk C: /v /i /c"});
    // Quotes are dropped before chkdsk sees them.
    expectAll(u"cmd", u"chkdsk 修复参数禁用(仅只读扫描)",
              {u"chkdsk c: /F", u"chkdsk /r", u"chkdsk /x", u"chkdsk /b", u"chkdsk c:/f", u"chkdsk /f/r",
               u"chkdsk /v/f", u"chkdsk -f", u"chkdsk /L:5000", u"chkdsk /l", u"chkdsk /scan", u"chkdsk c: /spotfix",
               u"chkdsk /OfflineScanAndFix", u"chkdsk /forceofflinefix", u"chkdsk /sdcleanup",
               u"chkdsk /freeorphanedchains", u"chkdsk /markclean", u"chkdsk.exe d: /x", u"chkdsk c: \"/f\"",
               u"chkdsk \"c:/r\""});
}

TEST(Allowlist, ForbiddenCharactersInFixedOrder) {
    // The reason names the first character of a fixed set that occurs, not the first by position.
    expectVerdicts({
        {u"cmd", u"ping 1.1.1.1 & del y", u"含禁止字符: &"},
        {u"cmd", u"tasklist | findstr x", u"含禁止字符: |"},
        {u"cmd", u"systeminfo > C:\\out.txt", u"含禁止字符: >"},
        {u"cmd", u"ping < a > b", u"含禁止字符: >"},
        {u"cmd", u"ping `a` <b", u"含禁止字符: `"},
        {u"cmd", u"ping x < y", u"含禁止字符: <"},
        {u"cmd", u"ping %PATH%", u"含禁止字符: %"},
        {u"cmd", u"ping ^& x", u"含禁止字符: &"},
        {u"cmd", u"ping ^x", u"含禁止字符: ^"},
        {u"cmd", u"ping (x)", u"含禁止字符: ("},
        {u"cmd", u"ping x)", u"含禁止字符: )"},
        {u"cmd", u"ping x | y & z", u"含禁止字符: |"},
        {u"cmd", u"ping {1.1.1.1}", u"含禁止字符: {"},  // PowerShell may be running in the CMD tab
        {u"cmd", u"ping x}", u"含禁止字符: }"},
        {u"cmd", u"ping {}", u"含禁止字符: {"},
        {u"cmd", u"whoami ;Remove-Item -Recurse -Force C:\\Users\\Public\\Documents", u"含禁止字符: ;"},
        {u"cmd", u"ping $env:x", u"含禁止字符: $"},
        {u"cmd", u"ping @x", u"含禁止字符: @"},
        {u"cmd", u"ping x ;$y", u"含禁止字符: ;"},
        {u"cmd", u"ping {gateway} {host} {printer}", nullptr},
        {u"powershell", u"Get-Process {1}", u"PowerShell 含禁止字符: {"},
        {u"powershell", u"Get-Process $x", u"PowerShell 含禁止字符: $"},
        {u"powershell", u"Get-Process; Stop-Process", u"PowerShell 含禁止字符: ;"},
        {u"powershell", u"Get-Process @a $b ;", u"PowerShell 含禁止字符: ;"},
        {u"powershell", u"Get-Process (x)", u"PowerShell 含禁止字符: ("},
        {u"powershell", u"Get-Process @args", u"PowerShell 含禁止字符: @"},
        {u"powershell", u"Get-Process & x", u"PowerShell 含禁止字符: &"},
        {u"powershell", u"Get-Process > x", u"含禁止字符: >"},
        {u"powershell", u"Get-Process `n", u"含禁止字符: `"},
    });
}

TEST(Allowlist, PowerShellSegments) {
    expectVerdicts({
        {u"powershell", u"Get-NetIPConfiguration", nullptr},
        {u"powershell", u"get-", nullptr},
        {u"POWERSHELL", u"Test-NetConnection 1.1.1.1 -Port 443", nullptr},
        {u"powershell", u"Test-NetConnection {host} -Port 3389", nullptr},
        {u"powershell", u"Get-Process | Sort-Object CPU | Select-Object -First 5", nullptr},
        {u"powershell", u"tnc x | ft", nullptr},
        {u"pwsh", u"Resolve-DnsName a.b | fl", nullptr},
        {u"PS", u"Get-Service | sort Name | select -First 3 | Out-String", nullptr},
        {u"powershell", u"Get-Process | Measure-Object | Format-List", nullptr},
        {u"powershell", u"Get-Process | Remove-Item", (kPsReadOnly + u"Remove-Item").c_str()},
        {u"powershell", u"Invoke-Expression evil", (kPsReadOnly + u"Invoke-Expression").c_str()},
        {u"powershell", u"Get-Process |", u"空命令"},
        {u"powershell", u"| Get-Process", u"空命令"},
        {u"powershell", u"Get-Process || fl", u"空命令"},
        {u"powershell", u"C:\\x\\Get-Thing.ps1", u"命令不得含路径/盘符: C:\\x\\Get-Thing.ps1"},
        {u"powershell", u"Get-Process | .\\run", u"命令不得含路径/盘符: .\\run"},
        {u"powershell", u"ipconfig /all", (kPsReadOnly + u"ipconfig").c_str()},
    });
}

TEST(Allowlist, PowerShellNativeExeIsNeverACmdlet) {
    expectVerdicts({
        {u"powershell", u"Get-ChildItem | sort.exe /o x", (kPsReadOnly + u"sort.exe").c_str()},
        {u"powershell", u"SORT.EXE /o x", (kPsReadOnly + u"SORT.EXE").c_str()},
        {u"powershell", u"Get-Process.exe", (kPsReadOnly + u"Get-Process.exe").c_str()},
        {u"powershell", u"Get-Process | select.Exe", (kPsReadOnly + u"select.Exe").c_str()},
        {u"powershell", u"C:\\bin\\sort.exe", u"命令不得含路径/盘符: C:\\bin\\sort.exe"},
    });
}

TEST(Allowlist, OnlyListedPlaceholdersAndOnlyBeforeFirstPipe) {
    // Under PowerShell a brace is a script block, and these cmdlets run it. Listed names are exact.
    expectAll(u"powershell", u"PowerShell 含禁止字符: {",
              {u"Select-Object -InputObject x {logoff}", u"Format-Table -InputObject x {calc}",
               u"Sort-Object -InputObject 1 {calc}", u"Get-Process {name}", u"Get-Process {Host}", u"Get-Process {host x}",
               u"Get-Process | ForEach-Object {logoff}", u"Get-Process | fl {host}", u"Get-Process {{host}}"});
    expectVerdicts({
        {u"powershell", u"Get-Process {host} | fl", nullptr},
        {u"powershell", u"Test-NetConnection {gateway} -Port {printer}", nullptr},
        {u"cmd", u"ping {calc}", u"含禁止字符: {"},
        {u"cmd", u"ping {host} | x", u"含禁止字符: |"},
    });
}

TEST(Allowlist, ShellFamilies) {
    // ping passes only the cmd rules, Get-Process only the PowerShell rules.
    for (const char16_t* shell : {u"", u"cmd", u"CMD", u"bash", u"powershell.exe"}) {
        EXPECT_TRUE(checkCommand(shell, u"ping x").allowed) << wideToUtf8(shell);
        EXPECT_FALSE(checkCommand(shell, u"Get-Process").allowed) << wideToUtf8(shell);
    }
    for (const char16_t* shell : {u"powershell", u"PowerShell", u"pwsh", u"PWSH", u"ps", u"Ps"}) {
        EXPECT_FALSE(checkCommand(shell, u"ping x").allowed) << wideToUtf8(shell);
        EXPECT_TRUE(checkCommand(shell, u"Get-Process").allowed) << wideToUtf8(shell);
    }
}

TEST(Allowlist, PlaceholdersBlanksAndControlCharacters) {
    expectAll(u"cmd", u"空命令", {u"", u" \t "});
    expectAll(u"cmd", u"含控制字符/换行（疑似命令注入）",
              {u"ping 1.1.1.1\ndel C:\\x", u"ipconfig /all\r\nformat c:", u"ipconfig /all\n", u"ipconfig /all\r",
               u"ipconfig\t/all",  // an inner tab is a control character
               std::u16string(u"ping x\0y", 8), u"ping \x1b[0m"});
    expectVerdicts({
        {u"powershell", u"\t", u"空命令"},
        {u"powershell", u"Get-Process\nRemove-Item x", u"含控制字符/换行（疑似命令注入）"},
        {u"cmd", u"\tipconfig /all\t ", nullptr},
        {u"cmd", u"{host} x", u"命令不在白名单: PH"},  // reasons quote the judged copy
        {u"cmd", u"ping\x7f", u"命令不在白名单: ping\x7f"},
    });
}

TEST(Allowlist, ExoticWhitespaceAndLookAlikesAreRefused) {
    expectVerdicts({
        {u"cmd", u"ipconfig\u00a0/all", u"命令不得含路径/盘符: ipconfig\u00a0/all"},
        {u"cmd", u"whoami\u00a0x", u"命令不在白名单: whoami\u00a0x"},
        {u"cmd", u"hostname\u3000x", u"命令不在白名单: hostname\u3000x"},
        {u"cmd", u"ipconfig /all\u2003/release", u"ipconfig 仅允许 /all /displaydns"},
        {u"cmd", u"\u00a0del x", u"命令不在白名单: \u00a0del"},
        {u"cmd", u"\u0440ing x", u"命令不在白名单: \u0440ing"},     // Cyrillic er
        {u"cmd", u"\uff50ing x", u"命令不在白名单: \uff50ing"},     // fullwidth p
        {u"cmd", u"PİNG x", u"命令不在白名单: PİNG"},               // only ASCII folds
        {u"cmd", u"ipconfig \uff0frelease", u"ipconfig 仅允许 /all /displaydns"},
        {u"cmd", u"arp -\u0430", u"arp 仅允许 -a"},                  // Cyrillic a
        {u"cmd", u"sc \u0455top x", u"sc 仅允许 query/qc"},
        {u"powershell", u"Get\u2010Process", (kPsReadOnly + u"Get\u2010Process").c_str()},
        {u"powershell", u"Get-Process |\u00a0Remove-Item", (kPsReadOnly + u"\u00a0Remove-Item").c_str()},
    });
}

TEST(Allowlist, InvisibleAndLineBreakingCharactersAreControlCharacters) {
    const char16_t* control = u"含控制字符/换行（疑似命令注入）";
    // Each class at both ends of its range, in a command that passes without it.
    const char16_t units[] = {0x80,   0x85,   0x9F,   0x2028, 0x2029, 0x202A, 0x202E, 0x2066, 0x2069,
                              0x200B, 0x200F, 0x2060, 0x2064, 0xFEFF};
    for (char16_t unit : units) {
        std::u16string c(1, unit);
        expectVerdicts({
            {u"cmd", u"ping x" + c, control},
            {u"cmd", c + u"ipconfig /all", control},
            {u"powershell", u"Get-Process " + c + u"x", control},
            {u"pwsh", u"Get-Process {host}" + c, control},
        });
    }
    // Their neighbours are plain text.
    expectVerdicts({
        {u"cmd", u"ping x\u00a0y", nullptr},    // a visible no-break space is only text
        {u"cmd", u"ping x\u2030", nullptr},     // per mille, just past the separators
        {u"cmd", u"ping x\u2065", nullptr},     // unassigned, between the two format runs
        {u"cmd", u"ping x\u200a", nullptr},     // hair space: visible width
    });
}

}  // namespace
