#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "data/files.h"
#include "data/text.h"
#include "launcher/catalog.h"
#include "launcher/tool_resolution.h"

namespace {

// A small Windows machine: files that exist, registry keys, PATH.
struct FakeMachine {
    std::set<std::u16string> files;
    std::set<std::u16string> schemes;
    std::optional<std::set<std::u16string>> families = std::set<std::u16string>{};
    std::optional<std::u16string> path = u"C:\\Bin;;D:\\More;";
    std::u16string wow64 = u"C:\\Windows\\SysWOW64";

    ResolutionProbes probes() const {
        ResolutionProbes p;
        p.fileExists = [this](const std::u16string& f) { return files.count(f) > 0; };
        p.systemDir = [] { return std::u16string(u"C:\\Windows\\System32"); };
        p.windowsDir = [] { return std::u16string(u"C:\\Windows"); };
        p.systemWow64Dir = [this] { return wow64; };
        p.pathVariable = [this] { return path; };
        p.programDir = [] { return std::u16string(u"E:\\App"); };
        p.listDirectory = [](const std::u16string&) { return std::vector<platform::DirEntry>{}; };
        p.uriSchemeRegistered = [this](const std::u16string& s) { return schemes.count(s) > 0; };
        p.packagedAppFamily = [this](const std::u16string& f) -> std::optional<bool> {
            if (!families) return std::nullopt;
            return families->count(f) > 0;
        };
        return p;
    }
};

ToolRecord tool(ToolType type, std::u16string fileName, std::u16string path = {}, std::u16string args = {}) {
    ToolRecord t;
    t.id = u"t";
    t.name = u"t";
    t.type = type;
    t.fileName = std::move(fileName);
    t.path = std::move(path);
    t.args = std::move(args);
    return t;
}

TEST(ToolResolution, PathUtilities) {
    const std::pair<std::u16string, bool> paths[] = {
        {u"C:\\x", true}, {u"c:", true},     {u"\\\\srv\\s", true}, {u"/\\x", true}, {u"//", true},
        {u"\\x", false},  {u"1:\\x", false}, {u"C", false},         {u"", false},    {u"sub\\x.exe", false}};
    for (const auto& [path, absolute] : paths) {
        EXPECT_EQ(isAbsolutePath(path), absolute) << std::string(path.begin(), path.end());
    }
    EXPECT_EQ(joinToolPath(u"", u"a"), u"a");
    EXPECT_EQ(joinToolPath(u"a", u""), u"a");
    EXPECT_EQ(joinToolPath(u"a/", u"b"), u"a/b");
    EXPECT_EQ(joinToolPath(u"a", u"b"), u"a\\b");
    EXPECT_EQ(parentDirectory(u"C:\\a/b.exe"), u"C:\\a");
    EXPECT_EQ(parentDirectory(u"x.exe"), u"");
}

TEST(ToolResolution, SearchDirectoriesInOrderSkippingEmptyEntries) {
    FakeMachine machine;
    EXPECT_EQ(searchDirectories(machine.probes()),
              (std::vector<std::u16string>{u"C:\\Windows\\System32", u"C:\\Windows", u"C:\\Windows\\SysWOW64",
                                           u"C:\\Bin", u"D:\\More"}));
    machine.wow64.clear();
    machine.path.reset();
    EXPECT_EQ(searchDirectories(machine.probes()).size(), 2u);
}

TEST(ToolResolution, FindingFiles) {
    FakeMachine machine;
    machine.files = {u"C:\\Windows\\System32\\sub\\t.exe",
                     u"E:\\App\\sub\\t.exe",
                     u"C:\\Windows\\notepad.exe",
                     u"D:\\More\\tool.exe",
                     u"X:\\abs.exe",
                     u"C:\\Windows\\System32\\compmgmt.msc"};
    ResolutionProbes p = machine.probes();
    const std::pair<const char16_t*, const char16_t*> found[] = {
        {u"", u""},
        {u"X:\\abs.exe", u"X:\\abs.exe"},
        {u"X:\\missing.exe", u""},
        {u"sub\\t.exe", u"E:\\App\\sub\\t.exe"},  // beside the program first
        {u"notepad.exe", u"C:\\Windows\\notepad.exe"},
        {u"tool.exe", u"D:\\More\\tool.exe"},
        {u"notepad", u""}};  // no extension is added
    for (const auto& [name, path] : found) EXPECT_EQ(findExecutable(name, p), path) << wideToUtf8(name);
    EXPECT_EQ(findInSystemDirectory(u"compmgmt.msc", p), u"C:\\Windows\\System32\\compmgmt.msc");
    EXPECT_EQ(findInSystemDirectory(u"tool.exe", p), u"");  // PATH is not searched
}

TEST(ToolResolution, ShortcutTargetsComeFromTheSystemFoldersOnly) {
    FakeMachine machine;
    machine.files = {u"C:\\Windows\\System32\\mmc.exe", u"C:\\Windows\\notepad.exe", u"C:\\Windows\\System32\\a.b",
                     u"E:\\App\\planted.exe", u"C:\\Bin\\onpath.exe"};
    ResolutionProbes p = machine.probes();
    const std::pair<const char16_t*, const char16_t*> resolved[] = {
        {u"mmc.exe", u"C:\\Windows\\System32\\mmc.exe"},
        {u"notepad", u"C:\\Windows\\notepad.exe"},  // ".exe" added
        {u"a.b", u"C:\\Windows\\System32\\a.b"},
        {u"C:\\x.exe", u"C:\\x.exe"},
        {u"nothing", u"nothing"},
        {u"planted.exe", u"planted.exe"},  // never beside the program
        {u"onpath.exe", u"onpath.exe"},
        {u"", u""}};
    for (const auto& [name, path] : resolved) EXPECT_EQ(resolveOnSearchPath(name, p), path) << wideToUtf8(name);
}

TEST(ToolResolution, FileNamesMustBePlain) {
    for (const std::u16string name : {u"sfc.exe", u"Procmon.exe", u"a b.msc", u"noext"})
        EXPECT_TRUE(isPlainFileName(name)) << std::string(name.begin(), name.end());
    for (const std::u16string name : {u"", u"sub\\x.exe", u"sub/x.exe", u"..", u"..\\x.exe", u"x..exe", u"C:x.exe",
                                      u"C:\\x.exe", u"\\\\srv\\s\\x.exe"})
        EXPECT_FALSE(isPlainFileName(name)) << std::string(name.begin(), name.end());
    FakeMachine machine;
    machine.files = {u"C:\\Windows\\System32\\x.msc", u"C:\\Windows\\x.msc",        u"C:\\Windows\\System32\\x.exe",
                     u"E:\\App\\sub\\x.exe",          u"E:\\App\\Tools\\..\\x.exe", u"C:\\x.exe"};
    ResolutionProbes p = machine.probes();
    // The same tools with a plain name are present; each other name makes them absent.
    EXPECT_TRUE(isToolAvailable(tool(ToolType::Msc, u"x.msc"), p));
    EXPECT_TRUE(isToolAvailable(tool(ToolType::Exe, u"x.exe"), p));
    for (const ToolRecord& bad :
         {tool(ToolType::Msc, u"..\\x.msc"), tool(ToolType::Msc, u"", u"..\\x.msc"), tool(ToolType::Exe, u"sub\\x.exe"),
          tool(ToolType::Exe, u"C:\\x.exe"), tool(ToolType::Exe, u"x:", u"x.exe"), tool(ToolType::Cpl, u"", u"")}) {
        EXPECT_FALSE(isToolAvailable(bad, p)) << std::string(bad.fileName.begin(), bad.fileName.end());
        EXPECT_EQ(resolveToolFile(bad, p), u"");
    }
    for (const char16_t* name : {u"..\\x.exe", u"C:\\x.exe", u""}) {
        ToolRecord ext = tool(ToolType::Other, name, u"kept");
        ext.isExternal = true;
        discoverExternalTool(ext, p);
        EXPECT_FALSE(ext.isInstalled);
        EXPECT_EQ(ext.path, u"kept");
    }
}

TEST(ToolResolution, Availability) {
    FakeMachine machine;
    machine.files = {u"C:\\Windows\\System32\\compmgmt.msc", u"C:\\Windows\\System32\\control.exe",
                     u"C:\\Windows\\explorer.exe", u"C:\\Windows\\System32\\ncpa.cpl"};
    machine.schemes = {u"ms-screenclip"};
    machine.families->insert(u"Microsoft.WindowsSoundRecorder_8wekyb3d8bbwe");
    const std::u16string recorder = u"shell:AppsFolder\\Microsoft.WindowsSoundRecorder_8wekyb3d8bbwe!App";
    ToolRecord custom = tool(ToolType::Exe, u"", u"Z:\\gone.exe");
    custom.isCustom = true;
    const std::tuple<ToolRecord, bool, const char*> cases[] = {
        {custom, true, "custom tools are always present"},
        {tool(ToolType::Exe, u"", u"explorer.exe", recorder), true, "packaged family registered"},
        {tool(ToolType::Exe, u"", u"explorer.exe", u"shell:AppsFolder\\Other_x!App"), false, "family missing"},
        {tool(ToolType::Msc, u"compmgmt.msc", u"", u"shell:AppsFolder\\Other_x!App\" "), false, "marker wins"},
        {tool(ToolType::Exe, u"", u"explorer.exe", u"shell:AppsFolder\\!App"), false, "empty family"},
        {tool(ToolType::Exe, u"", u"explorer.exe", u"shell:appsfolder\\Other_x!App"), true, "marker is exact"},
        {tool(ToolType::Msc, u"compmgmt.msc", u"missing.msc"), true, "consoles prefer fileName"},
        {tool(ToolType::Cpl, u"", u"ncpa.cpl"), true, "applet from path"},
        {tool(ToolType::Msc, u"gpedit.msc"), false, "console missing"},
        {tool(ToolType::Exe, u"missing.exe", u"control.exe"), true, "programs prefer path"},
        {tool(ToolType::Bat, u"control.exe", u"missing.bat"), false, "path wins even when missing"},
        {tool(ToolType::Url, u"", u"ms-screenclip:"), true, "registered scheme"},
        {tool(ToolType::Url, u"", u"ms-other:x"), false, "unregistered scheme"},
        {tool(ToolType::Url, u"https://example.org"), true, "https always"},
        {tool(ToolType::Url, u"", u"HTTP://x"), false, "scheme compared exactly"},
        {tool(ToolType::Url, u"", u":x"), false, "colon first"},
        {tool(ToolType::Url, u"", u"nocolon"), false, "no colon"},
        {tool(ToolType::PowerShell, u"", u"Get-Process"), true, "commands always"},
        {tool(ToolType::Other, u"nothing.exe"), true, "other always"}};
    for (const auto& [record, available, what] : cases)
        EXPECT_EQ(isToolAvailable(record, machine.probes()), available) << what;

    machine.families.reset();  // a repository that cannot be read rules nothing out
    EXPECT_TRUE(
        isToolAvailable(tool(ToolType::Exe, u"", u"explorer.exe", u"shell:AppsFolder\\Other_x!App"), machine.probes()));
}

TEST(ToolResolution, ToolFiles) {
    FakeMachine machine;
    machine.files = {u"C:\\Windows\\System32\\compmgmt.msc", u"C:\\Windows\\explorer.exe", u"Y:\\mine.exe"};
    ResolutionProbes p = machine.probes();
    ToolRecord custom = tool(ToolType::Exe, u"", u"Y:\\mine.exe");
    custom.isCustom = true;
    EXPECT_EQ(resolveToolFile(custom, p), u"Y:\\mine.exe");
    custom.path = u"Y:\\gone.exe";
    EXPECT_EQ(resolveToolFile(custom, p), u"");
    EXPECT_EQ(resolveToolFile(tool(ToolType::Exe, u"", u"explorer.exe", u"shell:AppsFolder\\A!B"), p), u"");
    EXPECT_EQ(resolveToolFile(tool(ToolType::Exe, u"", u"explorer.exe"), p), u"C:\\Windows\\explorer.exe");
    EXPECT_EQ(resolveToolFile(tool(ToolType::Msc, u"compmgmt.msc"), p), u"C:\\Windows\\System32\\compmgmt.msc");
    EXPECT_EQ(resolveToolFile(tool(ToolType::Url, u"https://x"), p), u"");
    EXPECT_EQ(resolveToolFile(tool(ToolType::Ps1, u"explorer.exe"), p), u"");
}

TEST(ToolResolution, ToolsFolderDiscoveryOnDisk) {
    std::u16string root = platform::tempDir() + u"wr-tools-discovery";
    std::u16string tools = platform::joinPath(root, u"Tools");
    auto put = [&](const std::u16string& relative) {
        std::u16string file = platform::joinPath(tools, relative);
        size_t cut = file.find_last_of(u"\\/");
        ASSERT_TRUE(platform::createDirectories(file.substr(0, cut)));
        ASSERT_TRUE(writeWholeFile(file, "x"));
    };
    put(u"flat.exe");
    put(platform::joinPath(u"pack", u"nested.exe"));
    put(platform::joinPath(u".hidden", u"dotted.exe"));
    put(platform::joinPath(platform::joinPath(u"a", u"b"), u"deep.exe"));

    ResolutionProbes probes = systemProbes();
    probes.programDir = [root] { return root; };
    ToolRecord ext = tool(ToolType::Other, u"nested.exe", u"https://pack.example");
    ext.isExternal = true;
    discoverExternalTool(ext, probes);
    EXPECT_TRUE(ext.isInstalled);
    EXPECT_EQ(ext.path, platform::joinPath(platform::joinPath(tools, u"pack"), u"nested.exe"));
    for (const char16_t* missing : {u"dotted.exe", u"deep.exe", u"none.exe", u""}) {
        ToolRecord other = tool(ToolType::Other, missing, u"kept");
        discoverExternalTool(other, probes);
        EXPECT_FALSE(other.isInstalled);
        EXPECT_EQ(other.path, u"kept");
    }

    // A file directly in Tools is taken without looking into sub-folders.
    probes.listDirectory = [](const std::u16string&) {
        ADD_FAILURE() << "enumerated";
        return std::vector<platform::DirEntry>{};
    };
    EXPECT_EQ(findInToolsFolder(u"flat.exe", probes), platform::joinPath(tools, u"flat.exe"));
}

TEST(Catalog, OrderIsPresentBuiltinThenExternalThenCustom) {
    FakeMachine machine;
    machine.files = {u"C:\\Windows\\System32\\a.msc", u"E:\\App\\Tools\\x.exe"};
    std::vector<ToolRecord> builtin = {tool(ToolType::Msc, u"a.msc"), tool(ToolType::Msc, u"b.msc"),
                                       tool(ToolType::Url, u"https://c")};
    builtin[0].id = u"a";
    builtin[2].id = u"c";
    std::vector<ToolRecord> external = {tool(ToolType::Other, u"x.exe"), tool(ToolType::Other, u"y.exe")};
    external[0].id = u"x";
    external[1].id = u"y";
    ToolRecord custom = tool(ToolType::Exe, u"", u"Z:\\gone.exe");
    custom.id = u"z";
    custom.isCustom = true;
    auto list = assembleToolList(builtin, external, {custom}, machine.probes());
    std::vector<std::u16string> ids;
    for (const ToolRecord& t : list) ids.push_back(t.id);
    EXPECT_EQ(ids, (std::vector<std::u16string>{u"a", u"c", u"x", u"y", u"z"}));
    EXPECT_TRUE(list[2].isInstalled);
    EXPECT_EQ(list[2].path, u"E:\\App\\Tools\\x.exe");
    EXPECT_FALSE(list[3].isInstalled);
}

}  // namespace
