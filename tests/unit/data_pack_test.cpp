#include <gtest/gtest.h>

#include "data/data_pack.h"
#include "tests/unit/sandbox.h"

namespace {

const char kProbe[] = R"({"dataVersion":"9.9.9","tools":[{"id":"probe.one","name":"Probe"}]})";
const char kSecond[] = R"({"dataVersion":"1.2.3","tools":[{"id":"probe.two","name":"Second"}]})";

using DataPack = Sandbox;

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
    std::u16string dir = makeDir(u"data");
    std::u16string file = platform::joinPath(dir, u"builtin-tools.json");
    ASSERT_TRUE(writeWholeFile(file, kProbe));
    platform::setEnv(u"TOOLKEEP_DATA_DIR", dir);
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

TEST_F(DataPack, UnusableCandidatesFallBackToTheEmbeddedCopy) {
    REQUIRE_EMBEDDED_PACKS();
    struct Case {
        const char* bytes;
        const char* why;
    };
    const Case cases[] = {
        {"", "empty file"},
        {"{\"tools\": [", "not JSON"},
        {"[1,2]", "not an object"},
        {R"({"dataVersion":"9.9.9","playbooks":[]})", "no tools key"},
    };
    std::u16string dir = makeDir(u"data");
    platform::setEnv(u"TOOLKEEP_DATA_DIR", dir);
    for (const Case& c : cases) {
        ASSERT_TRUE(writeWholeFile(platform::joinPath(dir, u"builtin-tools.json"), c.bytes));
        std::u16string label;
        auto document = loadDataPack(kBuiltinToolsPack, &label);
        ASSERT_TRUE(document) << c.why;
        EXPECT_EQ(label, kEmbeddedSourceLabel) << c.why;
        EXPECT_EQ(getString(*document, u"dataVersion"), u"0.0.4") << c.why;
    }
}

TEST_F(DataPack, AcceptedFilesNeedOnlyTheArrayKey) {
    std::u16string dir = makeDir(u"data");
    platform::setEnv(u"TOOLKEEP_DATA_DIR", dir);
    ASSERT_TRUE(writeWholeFile(platform::joinPath(dir, u"builtin-tools.json"), "\xEF\xBB\xBF{\"tools\":[]}"));
    EXPECT_TRUE(loadBuiltinTools().empty());
    EXPECT_EQ(packDataVersion(kBuiltinToolsPack), u"0.0.0");
    EXPECT_NE(builtinToolsSource(), kEmbeddedSourceLabel);
    // a "tools" member of any kind makes the document acceptable
    ASSERT_TRUE(writeWholeFile(platform::joinPath(dir, u"builtin-tools.json"), R"({"tools":7,"dataVersion":3})"));
    EXPECT_NE(builtinToolsSource(), kEmbeddedSourceLabel);
    EXPECT_EQ(packDataVersion(kBuiltinToolsPack), u"0.0.0");
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

TEST_F(DataPack, ChainOrderDataDirThenPerUserThenProgramFolder) {
    REQUIRE_PER_USER_REDIRECT();
    std::u16string dir = makeDir(u"data");
    platform::setEnv(u"TOOLKEEP_DATA_DIR", dir);
    auto chain = dataDirectoryChain();
    ASSERT_GE(chain.size(), 2u);
    EXPECT_EQ(chain[0], dir);
    EXPECT_EQ(chain[1], userFolder());
    if (chain.size() == 3) {
        EXPECT_EQ(chain[2], platform::executableDir());
    }
    EXPECT_FALSE(platform::directoryExists(userFolder()));  // a pack load creates nothing
}

TEST_F(DataPack, PerUserFileIsUsedWhenTheDataDirHasNone) {
    REQUIRE_PER_USER_REDIRECT();
    std::u16string dir = makeDir(u"data");
    platform::setEnv(u"TOOLKEEP_DATA_DIR", dir);
    ASSERT_TRUE(platform::createDirectories(userFolder()));
    std::u16string userFile = platform::joinPath(userFolder(), u"builtin-tools.json");
    ASSERT_TRUE(writeWholeFile(userFile, kSecond));
    EXPECT_EQ(builtinToolsSource(), userFile);
    EXPECT_EQ(ids(loadBuiltinTools()), std::vector<std::u16string>{u"probe.two"});
}

TEST_F(DataPack, BrokenFirstCandidateDoesNotReachTheSecond) {
    REQUIRE_EMBEDDED_PACKS();
    REQUIRE_PER_USER_REDIRECT();
    std::u16string dir = makeDir(u"data");
    platform::setEnv(u"TOOLKEEP_DATA_DIR", dir);
    ASSERT_TRUE(writeWholeFile(platform::joinPath(dir, u"builtin-tools.json"), "not json"));
    ASSERT_TRUE(platform::createDirectories(userFolder()));
    ASSERT_TRUE(writeWholeFile(platform::joinPath(userFolder(), u"builtin-tools.json"), kSecond));
    EXPECT_EQ(builtinToolsSource(), kEmbeddedSourceLabel);
    EXPECT_EQ(packDataVersion(kBuiltinToolsPack), u"0.0.4");
}

TEST_F(DataPack, DirectoryNamedLikeThePackIsSkipped) {
    REQUIRE_PER_USER_REDIRECT();
    std::u16string dir = makeDir(u"data");
    platform::setEnv(u"TOOLKEEP_DATA_DIR", dir);
    ASSERT_TRUE(platform::createDirectories(platform::joinPath(dir, u"builtin-tools.json")));
    ASSERT_TRUE(platform::createDirectories(userFolder()));
    std::u16string userFile = platform::joinPath(userFolder(), u"builtin-tools.json");
    ASSERT_TRUE(writeWholeFile(userFile, kSecond));
    EXPECT_EQ(builtinToolsSource(), userFile);
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
    std::u16string dir = makeDir(u"data");
    platform::setEnv(u"TOOLKEEP_DATA_DIR", dir);
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
    std::u16string dir = makeDir(u"data");
    platform::setEnv(u"TOOLKEEP_DATA_DIR", dir);
    ASSERT_TRUE(writeWholeFile(platform::joinPath(dir, u"playbooks.json"), R"({"dataVersion":"9.9.9","tools":[]})"));
    EXPECT_NE(packDataVersion(kPlaybooksPack), u"9.9.9");
    ASSERT_TRUE(writeWholeFile(platform::joinPath(dir, u"playbooks.json"), R"({"dataVersion":"9.9.9","playbooks":[]})"));
    EXPECT_EQ(packDataVersion(kPlaybooksPack), u"9.9.9");
}

}  // namespace
