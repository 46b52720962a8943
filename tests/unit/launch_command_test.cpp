#include <gtest/gtest.h>

#include "data/text.h"
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

// A machine with its system folders and a few programs found on the search path.
ResolutionProbes machine(std::u16string systemDir, std::u16string windowsDir = u"C:\\Windows") {
    ResolutionProbes p;
    p.systemDir = [systemDir] { return systemDir; };
    p.windowsDir = [windowsDir] { return windowsDir; };
    p.pathVariable = [] { return std::optional<std::u16string>(u"D:\\Bin"); };
    p.programDir = [] { return std::u16string(u"E:\\App"); };
    p.fileExists = [](const std::u16string& f) {
        return f == u"C:\\Windows\\System32\\sfc.exe" || f == u"D:\\Bin\\a.bat" || f == u"E:\\App\\sub\\b.cmd";
    };
    return p;
}

struct Case {
    const char* what;
    ToolRecord record;
    std::u16string systemDir, file, parameters;
};

TEST(LaunchCommand, EveryToolTypeByFullPath) {
    const std::u16string sys = u"C:\\Windows\\System32";
    const std::u16string appx = u"shell:AppsFolder\\Microsoft.WindowsSoundRecorder_8wekyb3d8bbwe!App";
    const std::u16string mmc = u"C:\\Windows\\System32\\mmc.exe";
    const std::u16string control = u"C:\\Windows\\System32\\control.exe";
    const std::u16string powershell = u"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe";
    const Case cases[] = {
        {"msc in the system directory", tool(ToolType::Msc, u"services.msc", u"", u""), sys, mmc,
         u"\"C:\\Windows\\System32\\services.msc\""},
        {"msc with args", tool(ToolType::Msc, u"gpedit.msc", u"", u"/a"), sys, mmc,
         u"\"C:\\Windows\\System32\\gpedit.msc\" /a"},
        {"msc, dir with separator", tool(ToolType::Msc, u"", u"x.msc", u""), u"C:\\S\\", u"C:\\S\\mmc.exe",
         u"\"C:\\S\\x.msc\""},
        {"msc without system dir", tool(ToolType::Msc, u"services.msc", u"", u""), u"", u"", u""},
        {"cpl", tool(ToolType::Cpl, u"ncpa.cpl", u"", u""), sys, control, u"ncpa.cpl"},
        {"cpl with args", tool(ToolType::Cpl, u"main.cpl", u"", u"@1"), sys, control, u"main.cpl @1"},
        {"cpl named by args", tool(ToolType::Cpl, u"", u"", u"/name Microsoft.NetworkAndSharingCenter"), sys, control,
         u"/name Microsoft.NetworkAndSharingCenter"},
        {"exe prefers path", tool(ToolType::Exe, u"sfc.exe", u"C:\\x\\sfc.exe", u"/scannow"), sys, u"C:\\x\\sfc.exe",
         u"/scannow"},
        {"exe by file name", tool(ToolType::Exe, u"sfc.exe", u"", u"/scannow"), sys, u"C:\\Windows\\System32\\sfc.exe",
         u"/scannow"},
        {"bat on PATH", tool(ToolType::Bat, u"a.bat", u"", u""), sys, u"D:\\Bin\\a.bat", u""},
        {"other beside the program", tool(ToolType::Other, u"", u"sub\\b.cmd", u"-q"), sys, u"E:\\App\\sub\\b.cmd",
         u"-q"},
        {"program found nowhere", tool(ToolType::Exe, u"", u"gone.exe", u""), sys, u"", u""},
        {"url drops args", tool(ToolType::Url, u"", u"ms-screenclip:", u"ignored"), sys, u"ms-screenclip:", u""},
        {"ps1", tool(ToolType::Ps1, u"", u"C:\\s\\a b.ps1", u"-Verbose"), sys, powershell,
         u"-NoProfile -ExecutionPolicy RemoteSigned -File \"C:\\s\\a b.ps1\" -Verbose"},
        {"powershell drops args", tool(ToolType::PowerShell, u"", u"Get-NetAdapter", u"x"), sys, powershell,
         u"-NoExit -NoProfile -Command \"Get-NetAdapter\""},
        {"packaged app wins over type", tool(ToolType::Msc, u"x.msc", u"", appx), sys, u"C:\\Windows\\explorer.exe",
         appx},
        {"no target at all", tool(ToolType::Exe, u"", u"", u""), sys, u"", u""},
        // A file name that is not a plain name runs nothing.
        {"file name with a folder", tool(ToolType::Exe, u"sub\\sfc.exe", u"", u""), sys, u"", u""},
        {"file name climbing out", tool(ToolType::Msc, u"..\\..\\x.msc", u"", u""), sys, u"", u""},
        {"file name with a drive", tool(ToolType::Exe, u"C:sfc.exe", u"", u""), sys, u"", u""},
        {"applet from a path with a folder", tool(ToolType::Cpl, u"", u"x\\y.cpl", u""), sys, u"", u""}};
    for (const Case& c : cases) {
        LaunchCommand command = buildLaunchCommand(c.record, machine(c.systemDir));
        EXPECT_EQ(command.file, c.file) << c.what;
        if (!command.file.empty()) {
            EXPECT_EQ(command.parameters, c.parameters) << c.what;
        }
    }
}

TEST(LaunchCommand, ActivityNamesWhatRunsAndWebAddresses) {
    EXPECT_EQ(launchedCommandText({u"C:\\W\\mmc.exe", u"\"C:\\W\\a.msc\""}), u"C:\\W\\mmc.exe \"C:\\W\\a.msc\"");
    EXPECT_EQ(launchedCommandText({u"C:\\p.exe", u""}), u"C:\\p.exe");

    for (const char16_t* web : {u"https://example.org/x", u"HTTP://example.org", u"hTtPs://a"})
        EXPECT_TRUE(isWebAddress(web)) << wideToUtf8(web);
    for (const char16_t* other :
         {u"C:\\Windows\\System32\\calc.exe", u"file:///C:/x.exe", u" https://leading.blank", u"https:/", u""})
        EXPECT_FALSE(isWebAddress(other)) << wideToUtf8(other);
}

}  // namespace
