#include <gtest/gtest.h>

#include "launcher/launch_command.h"

namespace {

ToolRecord tool(ToolType type, std::u16string fileName, std::u16string path, std::u16string args) {
    ToolRecord record;
    record.id = u"t";
    record.name = u"工具";
    record.type = type;
    record.fileName = std::move(fileName);
    record.path = std::move(path);
    record.args = std::move(args);
    return record;
}

struct Case {
    const char* what;
    ToolRecord record;
    std::u16string systemDir;
    std::u16string file;
    std::u16string parameters;
};

TEST(LaunchCommand, EveryToolType) {
    const std::u16string sys = u"C:\\Windows\\System32";
    const std::u16string appx = u"shell:AppsFolder\\Microsoft.WindowsSoundRecorder_8wekyb3d8bbwe!App";
    const Case cases[] = {
        {"msc in the system directory", tool(ToolType::Msc, u"services.msc", u"", u""), sys, u"mmc.exe",
         u"\"C:\\Windows\\System32\\services.msc\""},
        {"msc with args", tool(ToolType::Msc, u"gpedit.msc", u"", u"/a"), sys, u"mmc.exe",
         u"\"C:\\Windows\\System32\\gpedit.msc\" /a"},
        {"msc, dir with separator", tool(ToolType::Msc, u"", u"x.msc", u""), u"C:\\S\\", u"mmc.exe",
         u"\"C:\\S\\x.msc\""},
        {"msc without system dir", tool(ToolType::Msc, u"services.msc", u"", u""), u"", u"mmc.exe",
         u"\"services.msc\""},
        {"cpl", tool(ToolType::Cpl, u"ncpa.cpl", u"", u""), sys, u"control.exe", u"ncpa.cpl"},
        {"cpl with args", tool(ToolType::Cpl, u"main.cpl", u"", u"@1"), sys, u"control.exe", u"main.cpl @1"},
        {"cpl named by args", tool(ToolType::Cpl, u"", u"", u"/name Microsoft.NetworkAndSharingCenter"), sys,
         u"control.exe", u"/name Microsoft.NetworkAndSharingCenter"},
        {"exe prefers path", tool(ToolType::Exe, u"sfc.exe", u"C:\\x\\sfc.exe", u"/scannow"), sys,
         u"C:\\x\\sfc.exe", u"/scannow"},
        {"exe by file name", tool(ToolType::Exe, u"sfc.exe", u"", u"/scannow"), sys, u"sfc.exe", u"/scannow"},
        {"bat", tool(ToolType::Bat, u"a.bat", u"", u""), sys, u"a.bat", u""},
        {"other", tool(ToolType::Other, u"", u"b.cmd", u"-q"), sys, u"b.cmd", u"-q"},
        {"url drops args", tool(ToolType::Url, u"", u"ms-screenclip:", u"ignored"), sys, u"ms-screenclip:", u""},
        {"ps1", tool(ToolType::Ps1, u"", u"C:\\s\\a b.ps1", u"-Verbose"), sys, u"powershell.exe",
         u"-NoProfile -ExecutionPolicy RemoteSigned -File \"C:\\s\\a b.ps1\" -Verbose"},
        {"powershell drops args", tool(ToolType::PowerShell, u"", u"Get-NetAdapter", u"x"), sys, u"powershell.exe",
         u"-NoExit -NoProfile -Command \"Get-NetAdapter\""},
        {"packaged app wins over type", tool(ToolType::Msc, u"x.msc", u"", appx), sys, u"explorer.exe", appx},
        {"no target at all", tool(ToolType::Exe, u"", u"", u""), sys, u"", u""},
    };
    for (const Case& c : cases) {
        LaunchCommand command = buildLaunchCommand(c.record, c.systemDir);
        EXPECT_EQ(command.file, c.file) << c.what;
        EXPECT_EQ(command.parameters, c.parameters) << c.what;
    }
}

TEST(LaunchCommand, ShownTargetAndWebAddresses) {
    EXPECT_EQ(shownLaunchTarget(tool(ToolType::Exe, u"f.exe", u"C:\\p.exe", u"")), u"f.exe");
    EXPECT_EQ(shownLaunchTarget(tool(ToolType::Exe, u"", u"C:\\p.exe", u"")), u"C:\\p.exe");
    EXPECT_EQ(shownLaunchTarget(tool(ToolType::Exe, u"", u"", u"")), u"工具");

    EXPECT_TRUE(isWebAddress(u"https://example.org/x"));
    EXPECT_TRUE(isWebAddress(u"HTTP://example.org"));
    EXPECT_TRUE(isWebAddress(u"hTtPs://a"));
    EXPECT_FALSE(isWebAddress(u"C:\\Windows\\System32\\calc.exe"));
    EXPECT_FALSE(isWebAddress(u"file:///C:/x.exe"));
    EXPECT_FALSE(isWebAddress(u" https://leading.blank"));
    EXPECT_FALSE(isWebAddress(u"https:/"));
    EXPECT_FALSE(isWebAddress(u""));
}

}  // namespace
