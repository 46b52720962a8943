#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include "data/files.h"
#include "platform/platform.h"
#include "platform/win_text.h"
#endif

#include "data/text.h"
#include "playbooks/allowlist.h"

namespace {

// The Chinese start of each reason; the English one is checked to exist and to
// end in the same detail.
const char16_t* const kEmpty = u"命令为空";
const char16_t* const kTooLong = u"命令超过 2047 个字符";
const char16_t* const kHidden = u"命令含控制字符、换行或不可见字符";
const char16_t* const kTypographic = u"命令含排版用的破折号或引号";
const char16_t* const kOperator = u"命令含可串联、重定向或展开命令的字符：";
const char16_t* const kRemote = u"远程主机只能写成占位符";
const char16_t* const kProduct = u"查询 Win32_Product";
const char16_t* const kPath = u"命令名不得含路径或盘符：";
const char16_t* const kNotListed = u"命令不在只读命令白名单中：";
const char16_t* const kWrites = u"该参数会写文件、连接其他主机或携带凭据";
const char16_t* const kChkdsk = u"chkdsk 只允许只读扫描";
const char16_t* const kRoute = u"route 只允许 print";
const char16_t* const kSc = u"sc 只允许 query 或 qc";
const char16_t* const kScParameter = u"PowerShell 中 sc 是 Set-Content";
const char16_t* const kPsNotListed = u"该 PowerShell 命令不在只读命令表中：";
const char16_t* const kPsParameter = u"该参数不在此 PowerShell 命令允许的参数表中：";
const char16_t* const kPsStart = u"该命令只能作为管道的第一段";
const char16_t* const kPsExe = u"带 .exe 的名称是外部程序";
const char16_t* const kSort = u"在 cmd 中 sort 是 sort.exe";
const char16_t* const kCimClass = u"该 CIM/WMI 类不在只读类表中";

// Every command under the shell gets the same verdict; reason nullptr: allowed.
void expectAll(const char16_t* shell, const char16_t* reason, const std::vector<std::u16string>& commands) {
    for (const std::u16string& command : commands) {
        CommandVerdict v = checkCommand(shell, command);
        std::string label = wideToUtf8(std::u16string(shell) + u" | " + command.substr(0, 100));
        if (reason == nullptr) {
            EXPECT_TRUE(v.allowed) << label << " refused: " << wideToUtf8(v.reason);
            EXPECT_EQ(v.reason + v.reasonEn, u"") << label;
            continue;
        }
        EXPECT_FALSE(v.allowed) << label;
        EXPECT_EQ(v.reason.rfind(reason, 0), 0u) << label << " → " << wideToUtf8(v.reason);
        // Both languages, and a sentence or the same offending detail after the colon.
        ASSERT_FALSE(v.reasonEn.empty()) << label;
        size_t zhColon = v.reason.find(u'：');
        size_t enColon = v.reasonEn.find(u": ");
        if (zhColon == std::u16string::npos) {
            EXPECT_EQ(v.reason.back(), u'。') << label;
            EXPECT_EQ(v.reasonEn.back(), u'.') << label;
        } else {
            ASSERT_NE(enColon, std::u16string::npos) << label << " → " << wideToUtf8(v.reasonEn);
            EXPECT_EQ(v.reason.substr(zhColon + 1), v.reasonEn.substr(enColon + 2)) << label;
        }
    }
}

TEST(Allowlist, CmdProgramsAndTheirArguments) {
    expectAll(u"cmd", nullptr,
              {u"ipconfig", u"ipconfig /all", u"IPCONFIG /ALL", u"ipconfig /all /displaydns", u"ping -n 4 {gateway}",
               u"Ping.EXE 8.8.8.8", u"tracert -d x", u"pathping h", u"nslookup a.b", u"getmac /v", u"hostname", u"ver",
               u"ping C:\\x /y"});  // only the command name is path-tested
    expectAll(u"cmd", nullptr,
              {u"whoami /all", u"systeminfo", u"systeminfo /s {host}", u"tasklist /v /s {host}", u"driverquery /v",
               u"netstat -ano", u"arp", u"arp -a", u"route print", u"route print -4", u"route print 10.*"});
    expectAll(
        u"cmd", nullptr,
        {u"route print if", u"sc query spooler", u"sc qc spooler", u"sc query termservice", u"net view \\\\{host}",
         u"net statistics workstation", u"powercfg /list", u"powercfg /L", u"powercfg /q"});
    expectAll(
        u"cmd", nullptr,
        {u"net user", u"net user {user}", u"net user {user} /domain", u"net accounts", u"w32tm /query /status",
         u"w32tm /query /peers /verbose", u"w32tm /tz", u"netsh wlan show interfaces", u"netsh winhttp show proxy"});
    expectAll(u"cmd", u"ipconfig 只允许",
              {u"ipconfig /release", u"ipconfig /all /flushdns", u"ipconfig /all,/release"});
    expectAll(u"cmd", u"netstat 不允许 -b", {u"netstat -anob", u"netstat -B"});
    expectAll(u"cmd", u"arp 只允许 -a", {u"arp -d *", u"arp '-d'"});
    expectAll(u"cmd", kSc, {u"sc", u"sc stop spooler", u"sc \\\\{host} query x"});
    expectAll(u"cmd", u"net 只允许",
              {u"net user eve P4ss /add", u"net", u"net user eve *", u"net user eve /active:no", u"net user /del eve",
               u"net accounts /lockoutthreshold:0", u"net user eve /domain /add"});
    expectAll(u"cmd", u"w32tm 只允许",
              {u"w32tm /resync", u"w32tm /query /status /computer:{host}", u"w32tm /stripchart"});
    expectAll(
        u"cmd", u"netsh 只允许",
        {u"netsh wlan show profile name=x key=clear", u"netsh wlan show wlanreport", u"netsh winhttp reset proxy"});
    expectAll(u"cmd", u"powercfg 只允许", {u"powercfg /setactive x", u"powercfg /list /hibernate off"});
    // route print never flushes, wherever the switch hides, in either shell's quoting.
    expectAll(u"cmd", kRoute,
              {u"route", u"route delete 0.0.0.0", u"route print -f", u"route print -F", u"route print /f",
               u"route print -4 -pf", u"route print \"-f\"", u"route print '-f'", u"route print \"\"/f",
               u"route print,-f", u"route 'print' -f"});
    expectAll(u"cmd", kNotListed, {u"del C:\\windows\\x", u"FORMAT c:", u".exe", u"{host} x", u"\u0440ing x"});
    expectAll(u"cmd", kPath, {u"C:\\Windows\\System32\\cmd.exe /c dir", u"sub/ping x", u"c:ping x"});
}

TEST(Allowlist, ChkdskTakesAVolumeButNoRepairSwitch) {
    expectAll(u"cmd", nullptr,
              {u"chkdsk", u"chkdsk c:", u"chkdsk C: /v /i /c", u"chkdsk F:", u"chkdsk f:\\", u"chkdsk B:", u"chkdsk L:",
               u"chkdsk R:", u"chkdsk X:", u"chkdsk X:\\ /v", u"chkdsk 'F:'"});
    expectAll(
        u"cmd", kChkdsk,
        {u"chkdsk c: /F", u"chkdsk /r", u"chkdsk /x", u"chkdsk /b", u"chkdsk c:/f", u"chkdsk /f/r", u"chkdsk /v/f",
         u"chkdsk -f", u"chkdsk /L:5000", u"chkdsk /l", u"chkdsk /scan", u"chkdsk c: /spotfix",
         u"chkdsk /OfflineScanAndFix", u"chkdsk /forceofflinefix", u"chkdsk /sdcleanup", u"chkdsk /freeorphanedchains",
         u"chkdsk /markclean", u"chkdsk.exe d: /x", u"chkdsk c: \"/f\"", u"chkdsk \"c:/r\"",
         // PowerShell drops the quotes and splits at the comma.
         u"chkdsk D: '/x'", u"chkdsk D:,/x", u"chkdsk D: '/'x"});
}

TEST(Allowlist, ScUnderPowerShellIsSetContent) {
    expectAll(u"cmd", nullptr, {u"sc query spooler", u"sc query audiosrv", u"sc qc spooler"});
    expectAll(u"cmd", kScParameter,
              {u"sc query -Path C:\\Users\\Public\\Documents\\*", u"sc query x -Value y", u"sc qc x '-Path' y",
               u"sc query,-Path x", u"sc query x -Encoding"});
}

TEST(Allowlist, OperatorsOfEitherShellInEitherFamily) {
    for (const char16_t* shell : {u"cmd", u"powershell"}) {
        expectAll(shell, kOperator,
                  {u"ping 1.1.1.1 & del y", u"ping x > C:\\out.txt", u"ping `a`", u"ping x < y", u"ping %PATH%",
                   u"ping ^x", u"ping (x)", u"ping {1.1.1.1}", u"ping {}", u"ping {name}", u"ping {host x}",
                   u"whoami ;Remove-Item -Recurse C:\\x", u"ping $env:x", u"ping @x",
                   // Delayed expansion, when on by policy, builds /f out of nothing.
                   u"chkdsk c: !x:~0,0!/f", u"Get-Process !x!"});
    }
    expectAll(u"cmd", kOperator, {u"tasklist | findstr x", u"ping {host} | x"});
    // The reason names the first character of a fixed set that occurs, not the first by position.
    EXPECT_EQ(checkCommand(u"cmd", u"ping < a > b").reason.back(), u'>');
    EXPECT_EQ(checkCommand(u"cmd", u"ping x | y & z").reason.back(), u'&');
    expectAll(u"cmd", nullptr, {u"ping {gateway} {host} {printer}"});
}

TEST(Allowlist, RemoteHostsOnlyAsPlaceholders) {
    expectAll(u"cmd", nullptr, {u"net view \\\\{host}", u"net view //{host}", u"ping {host}"});
    expectAll(u"powershell", nullptr,
              {u"Test-NetConnection {host} -Port 3389", u"Test-NetConnection -ComputerName {host}",
               u"Resolve-DnsName a.b -Server {gateway}", u"Test-Connection -ComputerName:{host} -Count 2",
               u"Get-ChildItem C:\\Windows"});
    expectAll(u"cmd", kRemote,
              {u"net view \\\\203.0.113.7", u"net view //host/share", u"net view \\/host", u"net view \\\\?\\UNC\\h\\s",
               u"net view \\\\{host}x", u"systeminfo /s 203.0.113.7", u"tasklist /S host", u"driverquery -s h",
               u"getmac /s", u"systeminfo /s:h", u"ping x \\\\{host}\\\\h"});
    expectAll(u"cmd", kWrites, {u"systeminfo /s {host} /u DOMAIN\\Administrator", u"tasklist /p x", u"tasklist /u:x"});
    expectAll(u"powershell", kRemote,
              {u"Resolve-DnsName a.b -Server 203.0.113.7", u"Test-NetConnection -ComputerName x -Port 1",
               u"Test-Connection -TargetName:h", u"Get-ChildItem \\\\host\\share", u"Get-Item //host/c",
               u"Get-ChildItem -Path '\\\\?\\UNC\\host\\share'", u"Test-NetConnection -ComputerName"});
    expectAll(u"powershell", kWrites,
              {u"Get-Service -ComputerName {host}", u"Get-HotFix -Credential x", u"Get-Process -CimSession s",
               u"Get-NetIPConfiguration -CimSession x", u"Test-Connection -Source h -ComputerName {host}",
               u"Get-NetFirewallProfile -PolicyStore d\\g", u"Get-Printer -ComputerName {printer}"});
}

TEST(Allowlist, PowerShellTableOfReadOnlyCommands) {
    EXPECT_GE(powerShellTableSize(), 40u);
    expectAll(u"powershell", nullptr,
              {u"Get-NetIPConfiguration", u"Test-NetConnection 1.1.1.1 -Port 443", u"tnc x | ft",
               u"Get-Process | Sort-Object CPU | Select-Object -First 5", u"Resolve-DnsName a.b | fl",
               u"GET-SERVICE | sort Name | select -First 3 | Out-String", u"Get-Process | Measure-Object | Format-List",
               u"Get-Service | Where-Object Status -eq Running", u"Get-Process {host} | fl",
               u"Test-NetConnection {gateway} -Port {printer}", u"Get-WinEvent -LogName System -MaxEvents 20",
               u"Get-CimInstance Win32_OperatingSystem | Select-Object Caption",
               u"Get-CimInstance -ClassName Win32_LogicalDisk -Filter \"DriveType=3\"",
               u"Get-WmiObject -Class win32_bios", u"Get-HotFix -ErrorAction SilentlyContinue", u"Get-Date -Format o",
               u"Get-LocalGroupMember -Group Administrators", u"Select-Object -InputObject x -Last 1"});
    expectAll(u"powershell", kPsNotListed,
              {u"Remove-Item x", u"Invoke-Expression evil", u"ipconfig /all", u"get-", u"Get-Certificate -Template x",
               u"Get-Help Get-Process", u"Get-InstalledModule", u"Get-PSSessionConfiguration", u"Get-Content x",
               u"Get-WindowsImage -LogPath x", u"Get-StorageDiagnosticInfo", u"Get-ClusterLog", u"Get-BitLockerVolume",
               u"Out-File x", u"where Name -eq x", u"Process", u"Get-Process | Remove-Item"});
    expectAll(u"powershell", kWrites,
              {u"Get-WinEvent -LogName x -ComputerName h", u"Get-ChildItem -OutFile x", u"Get-Process -FilePath x",
               u"Test-NetConnection {host} -AsJob", u"Get-Process -cn h"});
    expectAll(u"powershell", kPsParameter,
              {u"Get-Process -Comp h", u"Get-Process -OutVariable v", u"Sort-Object --", u"Get-WmiObject -Query x",
               u"Get-CimInstance -Namespace root\\x Win32_BIOS", u"Select-Object '-Wait'"});
    expectAll(u"powershell", kProduct,
              {u"Get-WmiObject -Class Win32_Product", u"Get-CimInstance win32_PRODUCT",
               u"Get-WmiObject 'Win32_'Product", u"Get-Process | Select-Object Win32_Product", u"ping Win32_Product"});
    expectAll(u"powershell", kCimClass,
              {u"Get-CimInstance CIM_Product", u"Get-CimInstance Win32_Prod*", u"Get-WmiObject Win32_UserAccount",
               u"Get-CimInstance -Filter x Win32_BIOS", u"Get-CimInstance"});
    // Only formatting follows the first segment: nothing later can bind a piped ComputerName.
    expectAll(u"powershell", kPsStart,
              {u"Test-NetConnection 203.0.113.7 | Get-Service", u"Get-Process | Resolve-DnsName",
               u"Get-NetIPConfiguration | Test-NetConnection", u"Select-Object x | Get-Process"});
    expectAll(u"powershell", kEmpty, {u"Get-Process |", u"| Get-Process", u"Get-Process || fl", u"\t"});
    expectAll(u"powershell", kPath,
              {u"C:\\x\\Get-Thing.ps1", u"Get-Process | .\\run", u"Microsoft.PowerShell.Management\\Get-Process"});
    expectAll(u"powershell", kPsExe,
              {u"Get-ChildItem | sort.exe /o x", u"SORT.EXE /o x", u"Get-Process.exe", u"Get-Process | select.Exe"});
    // cmd runs the segment after a pipe as sort.exe, which writes its /o file.
    expectAll(u"powershell", kSort,
              {u"Get-ChildItem | sort /+1 /o C:\\path\\report.docx", u"Get-Process | sort '/o' x"});
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

TEST(Allowlist, LengthCapAndBlanks) {
    std::u16string longest = u"ping " + std::u16string(kMaxCommandLength - 5, u'a');
    expectAll(u"cmd", nullptr, {longest, u"\tipconfig /all\t "});
    expectAll(u"cmd", kTooLong, {longest + u"a", longest + u" & del x" + std::u16string(8191, u' ')});
    expectAll(u"powershell", kTooLong, {u"Get-Process " + std::u16string(kMaxCommandLength, u'x')});
    expectAll(u"cmd", kEmpty, {u"", u" \t "});
}

TEST(Allowlist, CharactersThatHideOrChangeText) {
    // Each range of the default-ignorable set at both ends, the controls, the
    // separators, the private-use area and unpaired surrogates.
    const char16_t units[] = {0x01,   0x1F,   0x7F,   0x80,   0x85,   0x9F,   0xAD,   0x34F,  0x61C,  0x115F,
                              0x1160, 0x17B4, 0x17B5, 0x180B, 0x180E, 0x180F, 0x200B, 0x200F, 0x2028, 0x2029,
                              0x202A, 0x202E, 0x2060, 0x2065, 0x206A, 0x206F, 0x3164, 0xE000, 0xF8FF, 0xFE00,
                              0xFE0F, 0xFEFF, 0xFFA0, 0xFFF0, 0xFFF8, 0xD800, 0xDFFF};
    for (char16_t unit : units) {
        std::u16string c(1, unit);
        expectAll(u"cmd", kHidden, {u"ping x" + c, c + u"ipconfig /all", u"chkdsk " + c + u"/f"});
        expectAll(u"powershell", kHidden, {u"Get-Process " + c + u"x", u"Get-Process {host}" + c});
    }
    // Outside the BMP: shorthand format controls, musical beams, tags and the supplementary variation selectors.
    for (const char16_t* pair :
         {u"\U0001BCA0", u"\U0001D173", u"\U0001D17A", u"\U000E0001", u"\U000E007F", u"\U000E0100", u"\U000E0FFF"})
        expectAll(u"cmd", kHidden, {u"ping x" + std::u16string(pair)});
    expectAll(u"cmd", kHidden,
              {u"ping 1.1.1.1\ndel C:\\x", u"ipconfig /all\r\nformat c:", u"ipconfig /all\n", u"ipconfig\t/all",
               std::u16string(u"ping x\0y", 8)});
    // PowerShell reads these as - and as quotes.
    expectAll(u"cmd", kTypographic,
              {u"chkdsk c: \u2013f", u"route print \u2014f", u"sc query x \u2013Path y", u"ping \u201cx\u201d",
               u"ping \u2018x\u2019"});
    expectAll(u"powershell", kTypographic, {u"Get\u2010Process", u"Get-Process \u2015ComputerName h"});
    // Their neighbours are plain text.
    expectAll(u"cmd", nullptr,
              {u"ping x\u00a0y", u"ping x\u2030", u"ping x\u200a", u"ping x\u3165", u"ping x\uffa1",
               u"ping x\U0001F600", u"ping x\U000E1000", u"ping x\u2016"});
    // Look-alikes are no listed name and no listed switch.
    expectAll(u"cmd", kNotListed, {u"\uff50ing x", u"PİNG x", u"whoami\u00a0x"});
    expectAll(u"cmd", u"ipconfig 只允许", {u"ipconfig \uff0frelease", u"ipconfig /all\u2003/release"});
}

#ifdef _WIN32
// What the system's cmd.exe prints for a line, run in `folder` (through a file there).
std::string cmdOutput(const std::wstring& line, const std::wstring& folder) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring program = std::wstring(system) + L"\\cmd.exe";
    std::wstring commandLine = L"cmd.exe /d /c " + line + L" > wrout.txt 2>&1";
    STARTUPINFOW start = {};
    start.cb = sizeof(start);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        folder.c_str(), &start, &info))
        return "(cmd.exe did not start)";
    WaitForSingleObject(info.hProcess, 30000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    const std::u16string out = fromWide((folder + L"\\wrout.txt").c_str());
    const std::string printed = readWholeFile(out).value_or("(nothing printed)");
    platform::removeFile(out);
    return printed;
}

// A PowerShell step pasted into cmd, and cmd's delayed expansion: the refused
// forms really reach a program with their switch, against the system's cmd.exe.
TEST(Allowlist, CmdRunsWhatTheRefusedFormsHide) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"wr-allowlist-cmd";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring source = folder + L"\\wrsrc.txt";
    std::wstring copied = folder + L"\\wrcopy\\wrsrc.txt";
    ASSERT_TRUE(writeWholeFile(fromWide(source.c_str()), ""));
    DeleteFileW(copied.c_str());

    // The first segment is no program under cmd, yet the one after the pipe runs
    // (xcopy stands in for sort.exe /o, which writes its file the same way).
    EXPECT_FALSE(checkCommand(u"powershell", u"Get-ChildItem | sort /o wrcopy\\wrsrc.txt").allowed);
    cmdOutput(L"Get-ChildItem | xcopy wrsrc.txt wrcopy\\", folder);
    EXPECT_NE(GetFileAttributesW(copied.c_str()), INVALID_FILE_ATTRIBUTES) << "the program after the pipe did not run";

    // With delayed expansion on (by policy for every cmd, here by setlocal), an
    // empty variable joins text into a switch. Wine's cmd takes neither /v:on
    // nor substrings such as !x:~0,0!; an unset variable shows the same.
    EXPECT_FALSE(checkCommand(u"cmd", u"chkdsk c: !WRNONE!/f").allowed);
    std::wstring batch = folder + L"\\wrdelayed.bat";
    ASSERT_TRUE(writeWholeFile(fromWide(batch.c_str()), "@setlocal EnableDelayedExpansion\r\n@echo WR!WRNONE!/f\r\n"));
    EXPECT_NE(cmdOutput(L"wrdelayed.bat", folder).find("WR/f"), std::string::npos);
    DeleteFileW(batch.c_str());

    DeleteFileW(copied.c_str());
    RemoveDirectoryW((folder + L"\\wrcopy").c_str());
    DeleteFileW(source.c_str());
    RemoveDirectoryW(folder.c_str());
}
#endif

}  // namespace
