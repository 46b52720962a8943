// Listing probes must give the answers of the direct probes: the shipped packs
// resolved both ways on machines with many folders, files in several of them,
// names in other cases, folders that cannot be listed and names a listing must
// not answer for.
#include <gtest/gtest.h>

#include "data/data_pack.h"
#include "data/text.h"
#include "launcher/catalog.h"
#include "tests/unit/fake_file_system.h"

namespace {

std::u16string upper(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
    }
    return text;
}

// The file a built-in record is looked for by (consoles name it in fileName first, programs in path).
std::u16string lookedUpFile(const ToolRecord& tool) {
    bool console = tool.type == ToolType::Msc || tool.type == ToolType::Cpl;
    const std::u16string& first = console ? tool.fileName : tool.path;
    return first.empty() ? (console ? tool.path : tool.fileName) : first;
}

const std::vector<std::u16string> kPathEntries = {
    u"D:\\p0", u"D:\\p1",      u"D:\\p2",  u"D:\\p3\\",   u"D:\\p4",  u"d:/P5",   u"D:\\p6",  u"C:\\Windows\\system32",
    u"D:\\p8", u"Z:\\missing", u"D:\\p10", u"D:\\locked", u"D:\\p12", u"D:\\p13", u"D:\\p14", u"D:\\p15",
    u"D:\\p16"};

// Seventeen PATH folders after the three system folders. `shift` moves every
// file to another kind of place, so that across five shifts each file of the
// packs has been in each.
FakeFileSystem machineFor(const std::vector<ToolRecord>& builtin, const std::vector<ToolRecord>& external,
                          size_t shift) {
    FakeFileSystem fs;
    std::u16string path;
    for (size_t k = 0; k < kPathEntries.size(); ++k) path += kPathEntries[k] + (k % 6 == 2 ? u";;" : u";");
    fs.path = path;
    fs.folder(u"D:\\locked").unreadable = true;
    fs.put(u"D:\\p4", u"decoy.dll");
    for (size_t i = 0; i < builtin.size(); ++i) {
        const std::u16string file = lookedUpFile(builtin[i]);
        if (file.empty() || !isPlainFileName(file)) continue;
        switch ((i + shift) % 5) {
            case 0: fs.put(fs.systemDir, upper(file)); break;
            case 1:  // a folder of that name first, the file in two PATH folders: the earlier one wins
                fs.put(fs.systemDir, file, true);
                fs.put(kPathEntries[(i + 3) % 6], file);
                fs.put(kPathEntries[(i + 3) % 6 + 10], upper(file));
                break;
            case 2:
                fs.put(u"D:\\locked", file);
                fs.put(fs.windowsDir, file);
                break;
            case 3: fs.put(fs.wow64Dir, file); break;
            case 4: break;  // nowhere
        }
    }
    const std::u16string tools = u"E:\\App\\Tools";
    for (const char16_t* sub : {u".hidden", u"pack", u"Locked", u"a"}) fs.put(tools, sub, true);
    fs.put(tools + u"\\a", u"b", true);
    fs.folder(tools + u"\\locked").unreadable = true;
    for (size_t i = 0; i < external.size(); ++i) {
        const std::u16string& file = external[i].fileName;
        switch ((i + shift) % 5) {
            case 0: fs.put(tools, upper(file)); break;
            case 1: fs.put(tools + u"\\pack", file); break;
            case 2: fs.put(tools + u"\\Locked", file); break;
            case 3: fs.put(tools + u"\\.hidden", file); break;
            case 4: fs.put(tools + u"\\a\\b", file); break;
        }
    }
    fs.families = std::vector<std::u16string>{u"microsoft.windowssoundrecorder_8wekyb3d8bbwe",
                                              u"Microsoft.Windows.Photos_8wekyb3d8bbwe"};
    if (shift % 2) fs.families.reset();
    if (shift % 2 == 0) fs.schemes.insert(u"ms-screenclip");
    if (shift == 4) fs.wow64Dir.clear();
    return fs;
}

// Records with names a listing must leave to the direct probe.
std::vector<ToolRecord> oddRecords(FakeFileSystem& fs) {
    auto exe = [](std::u16string fileName, std::u16string path) {
        ToolRecord t;
        t.id = u"odd." + fileName + path;
        t.type = ToolType::Exe;
        t.fileName = std::move(fileName);
        t.path = std::move(path);
        return t;
    };
    const std::u16string longName = std::u16string(250, u'n') + u".exe";  // too long beside D:\p2
    fs.put(u"E:\\App\\sub", u"t.exe");
    fs.put(u"D:\\p0\\sub", u"t.exe");
    fs.put(u"D:\\p1", u"工具.exe");
    fs.put(u"D:\\p2", u"PROGRA~1.EXE");
    fs.put(u"D:\\p2", longName);
    fs.put(u"D:\\p3", u"x.exe");
    ToolRecord shortcut = exe(u"notepad", u"");
    shortcut.type = ToolType::Other;
    return {exe(u"", u"sub\\t.exe"),
            exe(u"工具.exe", u""),
            exe(u"progra~1.exe", u""),
            exe(longName, u""),
            exe(u"x.exe.", u""),
            exe(u"", u"X:\\abs.exe"),
            shortcut};
}

std::string named(const ToolRecord& tool) { return wideToUtf8(tool.id); }

void expectSameAnswers(const std::vector<ToolRecord>& records, const ResolutionProbes& direct,
                       const ResolutionProbes& listed, size_t shift) {
    for (const ToolRecord& tool : records) {
        SCOPED_TRACE(named(tool) + " shift " + std::to_string(shift));
        EXPECT_EQ(isToolAvailable(tool, direct), isToolAvailable(tool, listed));
        EXPECT_EQ(resolveToolFile(tool, direct), resolveToolFile(tool, listed));
        for (const std::u16string& name : {tool.fileName, tool.path}) {
            EXPECT_EQ(findExecutable(name, direct), findExecutable(name, listed));
            EXPECT_EQ(resolveOnSearchPath(name, direct), resolveOnSearchPath(name, listed));
            EXPECT_EQ(findInToolsFolder(name, direct), findInToolsFolder(name, listed));
        }
    }
}

TEST(ListingProbes, AnswerAsTheDirectProbesOverTheShippedPacks) {
    const std::vector<ToolRecord> builtin = shippedTools(kBuiltinToolsPack);
    const std::vector<ToolRecord> external = shippedTools(kExternalToolsPack);
    ASSERT_GT(builtin.size(), 60u);
    ASSERT_GT(external.size(), 5u);
    ToolRecord custom;
    custom.id = u"custom";
    custom.isCustom = true;
    custom.path = u"Y:\\gone.exe";

    size_t presentSomewhere = 0;
    for (size_t shift = 0; shift < 5; ++shift) {
        FakeFileSystem fs = machineFor(builtin, external, shift);
        std::vector<ToolRecord> records = builtin;
        records.insert(records.end(), external.begin(), external.end());
        for (ToolRecord& odd : oddRecords(fs)) records.push_back(odd);
        const ResolutionProbes direct = fs.probes();
        expectSameAnswers(records, direct, listingProbes(direct), shift);

        const auto old = assembleToolList(builtin, external, {custom}, direct);
        const auto listed = assembleToolList(builtin, external, {custom}, listingProbes(direct));
        ASSERT_EQ(old.size(), listed.size()) << "shift " << shift;
        for (size_t i = 0; i < old.size(); ++i) {
            EXPECT_EQ(old[i].id, listed[i].id);
            EXPECT_EQ(old[i].path, listed[i].path);
            EXPECT_EQ(old[i].isInstalled, listed[i].isInstalled);
        }
        presentSomewhere += old.size();
    }
    // The machines are not trivially empty or full.
    EXPECT_GT(presentSomewhere, 5 * (external.size() + 1) + 100);
    EXPECT_LT(presentSomewhere, 5 * (external.size() + 1 + builtin.size()));
}

TEST(ListingProbes, ReadEachFolderAndTheRepositoryOnce) {
    const std::vector<ToolRecord> builtin = shippedTools(kBuiltinToolsPack);
    const std::vector<ToolRecord> external = shippedTools(kExternalToolsPack);
    FakeFileSystem fs = machineFor(builtin, external, 0);
    fs.folder(u"D:\\locked").unreadable = false;
    fs.folder(u"E:\\App\\Tools\\locked").unreadable = false;
    assembleToolList(builtin, external, {}, listingProbes(fs.probes()));
    for (const auto& [folder, count] : fs.listings) EXPECT_EQ(count, 1) << wideToUtf8(folder);
    // The search folders (one PATH entry repeats System32 in other letters),
    // Tools and the three sub-folders looked into.
    EXPECT_EQ(fs.listings.size(), 19u + 1u + 3u);
    EXPECT_EQ(fs.fileProbes, 0);
    EXPECT_EQ(fs.familyListings, 1);
    EXPECT_EQ(fs.familyProbes, 0);
}

}  // namespace
