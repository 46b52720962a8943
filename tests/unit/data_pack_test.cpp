#include <gtest/gtest.h>

#include "data/data_pack.h"
#include "tests/unit/sandbox.h"

namespace {

const char kProbe[] = R"({"dataVersion":"9.9.9","tools":[{"id":"probe.one","name":"Probe"}]})";
const char kSecond[] = R"({"dataVersion":"1.2.3","tools":[{"id":"probe.two","name":"Second"}]})";

class DataPack : public Sandbox {
protected:
    // A fresh folder named by TOOLKEEP_DATA_DIR.
    std::u16string dataDir() {
        std::u16string dir = makeDir(u"data");
        platform::setEnv(u"TOOLKEEP_DATA_DIR", dir);
        return dir;
    }
};

std::vector<std::u16string> ids(const std::vector<ToolRecord>& tools) {
    std::vector<std::u16string> out;
    for (const ToolRecord& tool : tools) out.push_back(tool.id);
    return out;
}

TEST_F(DataPack, EmbeddedCopyWhenNoFileAnywhere) {
    REQUIRE_EMBEDDED_PACKS();
    std::u16string label = u"unset";
    auto document = loadDataPack(kBuiltinToolsPack, &label);
    ASSERT_TRUE(document);
    EXPECT_EQ(label, kEmbeddedSourceLabel);
    EXPECT_EQ(packDataVersion(kBuiltinToolsPack), u"0.0.4");
    EXPECT_EQ(packDataVersion(kExternalToolsPack), u"0.0.4");
    EXPECT_EQ(builtinToolsSource(), kEmbeddedSourceLabel);
    EXPECT_EQ(loadBuiltinTools().size(), 72u);
}

TEST_F(DataPack, DataDirFileWinsAndIsLabelledWithItsPath) {
    REQUIRE_EMBEDDED_PACKS();
    std::u16string file = platform::joinPath(dataDir(), u"builtin-tools.json");
    ASSERT_TRUE(writeWholeFile(file, kProbe));
    EXPECT_EQ(packDataVersion(kBuiltinToolsPack), u"9.9.9");
    EXPECT_EQ(builtinToolsSource(), file);
    EXPECT_EQ(ids(loadBuiltinTools()), std::vector<std::u16string>{u"probe.one"});
    // every load goes back to disk
    ASSERT_TRUE(writeWholeFile(file, kSecond));
    EXPECT_EQ(packDataVersion(kBuiltinToolsPack), u"1.2.3");
    platform::unsetEnv(u"TOOLKEEP_DATA_DIR");
    EXPECT_EQ(packDataVersion(kBuiltinToolsPack), u"0.0.4");
    EXPECT_EQ(builtinToolsSource(), kEmbeddedSourceLabel);
}

// A file is taken when it is a JSON object with the pack's array key, of any
// kind; anything else falls back to the embedded copy.
TEST_F(DataPack, WhichFilesAreAccepted) {
    REQUIRE_EMBEDDED_PACKS();
    const std::pair<const char*, bool> cases[] = {{"", false},
                                                  {"{\"tools\": [", false},
                                                  {"[1,2]", false},
                                                  {R"({"dataVersion":"9.9.9","playbooks":[]})", false},
                                                  {"\xEF\xBB\xBF{\"tools\":[]}", true},
                                                  {R"({"tools":7,"dataVersion":3})", true}};
    const std::u16string file = platform::joinPath(dataDir(), u"builtin-tools.json");
    for (const auto& [bytes, accepted] : cases) {
        ASSERT_TRUE(writeWholeFile(file, bytes));
        std::u16string label;
        auto document = loadDataPack(kBuiltinToolsPack, &label);
        ASSERT_TRUE(document) << bytes;
        EXPECT_EQ(label, accepted ? file : kEmbeddedSourceLabel) << bytes;
        EXPECT_EQ(packDataVersion(kBuiltinToolsPack), accepted ? u"0.0.0" : u"0.0.4") << bytes;
        EXPECT_EQ(loadBuiltinTools().empty(), accepted) << bytes;
        EXPECT_EQ(unusableToolPackCopies(), accepted ? std::vector<std::u16string>{} : std::vector{file}) << bytes;
    }
}

TEST_F(DataPack, OverlongOrEmptyDataDirIsIgnored) {
    size_t withoutDataDir = platform::executableDir().empty() ? 1u : 2u;
    platform::setEnv(u"TOOLKEEP_DATA_DIR", std::u16string(260, u'a'));
    EXPECT_EQ(dataDirectoryChain().size(), withoutDataDir);
    platform::setEnv(u"TOOLKEEP_DATA_DIR", u"");
    EXPECT_EQ(dataDirectoryChain().size(), withoutDataDir);
    platform::setEnv(u"TOOLKEEP_DATA_DIR", std::u16string(259, u'a'));
    EXPECT_EQ(dataDirectoryChain().front(), std::u16string(259, u'a'));
}

// Data folder, per-user folder, program folder: the first candidate that exists
// decides. A usable file is taken, a broken one falls back to the embedded copy
// without looking further, a folder is skipped.
TEST_F(DataPack, ChainOrderAndFirstExistingCandidateDecides) {
    REQUIRE_EMBEDDED_PACKS();
    REQUIRE_PER_USER_REDIRECT();
    std::u16string dir = dataDir();
    auto chain = dataDirectoryChain();
    ASSERT_GE(chain.size(), 2u);
    EXPECT_EQ(chain[0], dir);
    EXPECT_EQ(chain[1], userFolder());
    EXPECT_TRUE(chain.size() == 2 || chain[2] == platform::executableDir());
    EXPECT_FALSE(platform::directoryExists(userFolder()));  // looking creates nothing
    ASSERT_TRUE(platform::createDirectories(userFolder()));
    const std::u16string inDataDir = platform::joinPath(dir, u"builtin-tools.json");
    const std::u16string userFile = platform::joinPath(userFolder(), u"builtin-tools.json");
    ASSERT_TRUE(writeWholeFile(userFile, kSecond));
    EXPECT_EQ(builtinToolsSource(), userFile);  // the data folder has none
    EXPECT_EQ(ids(loadBuiltinTools()), std::vector<std::u16string>{u"probe.two"});
    ASSERT_TRUE(platform::createDirectories(inDataDir));
    EXPECT_EQ(builtinToolsSource(), userFile);
    ASSERT_TRUE(std::filesystem::remove(std::filesystem::path(inDataDir)));
    ASSERT_TRUE(writeWholeFile(inDataDir, "not json"));
    EXPECT_EQ(builtinToolsSource(), kEmbeddedSourceLabel);
    EXPECT_EQ(packDataVersion(kBuiltinToolsPack), u"0.0.4");
}

TEST_F(DataPack, ProgramFolderIsTheLastPlaceLooked) {
    std::u16string exeDir = platform::executableDir();
    std::u16string exeFile = platform::joinPath(exeDir, u"external-tools.json");
    if (exeDir.empty() || platform::fileExists(exeFile)) GTEST_SKIP() << "program folder not usable";
    ASSERT_TRUE(writeWholeFile(exeFile, R"({"tools":[{"id":"ext.beside","name":"Beside","category":"x"}]})"));
    std::u16string label;
    loadDataPack(kExternalToolsPack, &label);
    auto tools = loadExternalTools();
    platform::removeFile(exeFile);
    EXPECT_EQ(label, exeFile);
    ASSERT_EQ(tools.size(), 1u);
    EXPECT_EQ(tools[0].id, u"ext.beside");
}

TEST_F(DataPack, ExternalRecordsAreForcedExternalAndNotInstalled) {
    std::u16string dir = dataDir();
    ASSERT_TRUE(writeWholeFile(platform::joinPath(dir, u"external-tools.json"),
                               R"({"tools":[{"id":"ext.a","name":"A","exe":"a.exe","category":"system"},
                                            {"id":"ext.b","name":"B"}]})"));
    auto tools = loadExternalTools();
    ASSERT_EQ(tools.size(), 2u);
    for (const ToolRecord& tool : tools) {
        EXPECT_TRUE(tool.isExternal);
        EXPECT_FALSE(tool.isInstalled);
        EXPECT_FALSE(tool.isCustom);
        EXPECT_EQ(tool.category, u"external");
    }
    EXPECT_EQ(tools[0].fileName, u"a.exe");
}

TEST_F(DataPack, PlaybooksPackNeedsItsOwnArrayKey) {
    std::u16string dir = dataDir();
    ASSERT_TRUE(writeWholeFile(platform::joinPath(dir, u"playbooks.json"), R"({"dataVersion":"9.9.9","tools":[]})"));
    EXPECT_NE(packDataVersion(kPlaybooksPack), u"9.9.9");
    ASSERT_TRUE(
        writeWholeFile(platform::joinPath(dir, u"playbooks.json"), R"({"dataVersion":"9.9.9","playbooks":[]})"));
    EXPECT_EQ(packDataVersion(kPlaybooksPack), u"9.9.9");
}

}  // namespace
