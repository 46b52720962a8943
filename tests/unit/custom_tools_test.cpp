#include <gtest/gtest.h>

#include <cstring>

#include "data/custom_tools.h"
#include "tests/unit/sandbox.h"

namespace {

ToolRecord custom(const std::u16string& id, const std::u16string& name, const std::u16string& path,
                  const std::u16string& args = u"") {
    ToolRecord tool;
    tool.id = id;
    tool.name = name;
    tool.path = path;
    tool.args = args;
    tool.isCustom = true;
    return tool;
}

const char kHeader[] = "{\n  \"version\": \"1.0\",\n  \"tools\": [\n";
const char kFooter[] = "  ]\n}\n";

TEST(CustomTools, FileLayoutWithAndWithoutArguments) {
    EXPECT_EQ(serializeCustomTools({}), std::string(kHeader) + kFooter);
    std::vector<ToolRecord> tools = {custom(u"custom.ext-1", u"my \"tool\"", u"C:\\Tools\\my.exe"),
                                     custom(u"custom.ext-2", u"run", u"D:\\run.bat", u"-v \"x\"")};
    tools[1].icon = u"🔧";
    EXPECT_EQ(serializeCustomTools(tools),
              std::string(kHeader) +
                  "    { \"id\": \"custom.ext-1\", \"name\": \"my \\\"tool\\\"\", \"type\": \"exe\", "
                  "\"path\": \"C:\\\\Tools\\\\my.exe\", \"category\": \"custom\", \"icon\": \"🧩\" },\n"
                  "    { \"id\": \"custom.ext-2\", \"name\": \"run\", \"type\": \"exe\", "
                  "\"path\": \"D:\\\\run.bat\", \"args\": \"-v \\\"x\\\"\", \"category\": \"custom\", "
                  "\"icon\": \"🔧\" }\n" +
                  kFooter);
}

TEST(CustomTools, NameComesFromTheFileName) {
    const std::pair<std::u16string, std::u16string> cases[] = {{u"C:\\Tools\\my.app.exe", u"my.app"},
                                                               {u"C:\\Tools\\runme", u"runme"},
                                                               {u"C:\\Users\\me\\.profile", u".profile"},
                                                               {u"C:/Tools/x.cmd", u"x"},
                                                               {u"tool.exe", u"tool"},
                                                               {u"C:\\dotted.dir\\plain", u"plain"}};
    for (const auto& [path, name] : cases) EXPECT_EQ(customToolName(path), name);
}

TEST(CustomTools, NewRecordAndIdsFromTheTickCount) {
    ToolRecord tool = makeCustomTool(u"C:\\Tools\\my.app.exe", u"--fast", 123456789, {});
    EXPECT_TRUE(tool.isCustom);
    EXPECT_EQ(serializeCustomTools({tool}),
              std::string(kHeader) +
                  "    { \"id\": \"custom.ext-123456789\", \"name\": \"my.app\", \"type\": \"exe\", "
                  "\"path\": \"C:\\\\Tools\\\\my.app.exe\", \"args\": \"--fast\", \"category\": \"custom\", "
                  "\"icon\": \"🧩\" }\n" +
                  kFooter);
    // two adds in the same millisecond must not share an id
    std::vector<ToolRecord> existing = {custom(u"custom.ext-500", u"a", u"a.exe"),
                                        custom(u"custom.ext-501", u"b", u"b.exe")};
    EXPECT_EQ(makeCustomTool(u"c.exe", u"", 500, existing).id, u"custom.ext-502");
    EXPECT_EQ(makeCustomTool(u"c.exe", u"", 499, existing).id, u"custom.ext-499");
}

using CustomToolsFile = Sandbox;

// A file written by hand, with every member a tool may have, every type and
// members the program does not know: an add or a remove changes only the
// tool it concerns, byte for byte.
TEST_F(CustomToolsFile, HandWrittenFileChangesOnlyWhereAToolIsAddedOrRemoved) {
    REQUIRE_PER_USER_REDIRECT();
    const std::string head =
        "\xEF\xBB\xBF{\"version\":\"2\", \"note\": {\"by\": [\"me\", 1e3, null]},\r\n \"tools\" : [";
    const std::string entries[] = {
        "{\"id\":\"dup\",\"name\":\"One\",\"type\":\"msc\",\"fileName\":\"services.msc\",\"extra\":{\"a\":[1,{\"b\":\"]"
        "\"}]}}",
        "{\"id\":\"url\",\"name\":\"Docs "
        "\\\"here\\\"\",\"nameEn\":\"Docs\",\"type\":\"url\",\"path\":\"https://x.example/"
        "?a=1&b=[2]\",\"category\":\"links\"}",
        "{ \"id\": \"dup\", \"name\": \"Two\", \"type\": \"ps1\", \"path\": \"C:\\\\s\\\\x.ps1\", \"tags\": [\"a\", "
        "\"b\"], \"requiresAdmin\": true }",
        "\n\t{\"id\":\"cpl\",\"name\":\"\xE7\xBD\x91\xE7\xBB\x9C\",\"type\":\"cpl\",\"fileName\":\"ncpa.cpl\","
        "\"description\":\"d\",\"descriptionEn\":\"e\",\"homepage\":\"h\",\"icon\":\"\xF0\x9F\x94\xA7\"}",
        "{\"id\":\"bat\",\"name\":\"B\",\"type\":\"bat\",\"path\":\"b.bat\",\"args\":\"/q\"}",
        "{\"id\":\"ps\",\"name\":\"P\",\"type\":\"powershell\",\"fileName\":\"powershell.exe\",\"runAsAdmin\":true}",
        "{\"id\":\"wmi\",\"name\":\"W\",\"type\":\"wmi\",\"args\":\"Get-Service\"} ,{\"name\":\"no id\"}",
    };
    std::string start = head;
    for (const std::string& entry : entries) start += (start == head ? "" : ", ") + entry;
    start += "\n ] , \"after\": true}\n";
    ASSERT_TRUE(writeWholeFile(customToolsPath(), start));
    std::vector<ToolRecord> tools = loadCustomTools();
    ASSERT_EQ(tools.size(), 7u);
    EXPECT_EQ(tools[0].type, ToolType::Msc);
    EXPECT_EQ(tools[1].type, ToolType::Url);
    EXPECT_TRUE(tools[2].requiresAdmin);

    ToolRecord added;
    ASSERT_EQ(addCustomTool(u"C:\\new.exe", u"", &added), SaveOutcome::Saved);
    std::string expected = start;
    const std::string fresh = serializeCustomTools({added});
    const size_t entryAt = std::strlen(kHeader) + 4;  // after the indent
    const std::string entry = fresh.substr(entryAt, fresh.size() - entryAt - 1 - std::strlen(kFooter));
    expected.insert(expected.rfind("{\"name\":\"no id\"}") + 16, ",\n    " + entry);
    EXPECT_EQ(read(customToolsPath()), expected);

    // Both tools of the id go, each with the separator before it (the first with the one after it).
    ASSERT_EQ(removeCustomTool(u"dup"), SaveOutcome::Saved);
    std::string removed = expected;
    for (const std::string& cut : {", " + entries[2], entries[0] + ", "}) removed.erase(removed.find(cut), cut.size());
    EXPECT_EQ(read(customToolsPath()), removed);
    ASSERT_EQ(removeCustomTool(added.id), SaveOutcome::Saved);
    ASSERT_EQ(removeCustomTool(u"url"), SaveOutcome::Saved);
    for (const char16_t* id : {u"cpl", u"bat", u"ps", u"wmi"}) ASSERT_EQ(removeCustomTool(id), SaveOutcome::Saved);
    ASSERT_EQ(removeCustomTool(u"nothing"), SaveOutcome::Saved);
    std::string left = read(customToolsPath());
    EXPECT_EQ(left.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(left.find("\"after\": true}\n"), std::string::npos);
    EXPECT_NE(left.find("{\"name\":\"no id\"}"), std::string::npos);
    EXPECT_FALSE(platform::fileExists(customToolsPath() + u".bad"));
}

TEST_F(CustomToolsFile, BrokenFileIsCopiedAsideUnderAFreeNameBeforeAnAdd) {
    REQUIRE_PER_USER_REDIRECT();
    const std::u16string path = customToolsPath();
    const std::string broken[] = {
        "{\"tools\": [ {\"id\":\"mine\",\"name\":\"Mine\",\"path\":\"m.exe\"}, ]}",  // trailing comma
        "{\"tool\": []}",  // no tools array
    };
    const std::u16string copies[] = {path + u".bad", path + u".bad-2"};
    for (size_t i = 0; i < 2; ++i) {
        ASSERT_TRUE(writeWholeFile(path, broken[i]));
        DocumentOutcome outcome;
        EXPECT_TRUE(loadCustomTools(&outcome).empty());
        EXPECT_EQ(outcome.state, DocumentState::Unusable);
        EXPECT_EQ(outcome.keptAs, copies[i]);
        ToolRecord added;
        ASSERT_EQ(addCustomTool(u"C:\\new.exe", u"", &added), SaveOutcome::Saved);
        std::vector<ToolRecord> tools = loadCustomTools(&outcome);
        EXPECT_EQ(outcome.state, DocumentState::Loaded);
        ASSERT_EQ(tools.size(), 1u);
        EXPECT_EQ(tools[0].id, added.id);
    }
    // the second broken file did not replace the first one's copy
    EXPECT_EQ(read(copies[0]), broken[0]);
    EXPECT_EQ(read(copies[1]), broken[1]);
    EXPECT_FALSE(platform::fileExists(path + u".bad-3"));
}

// A file that is there but cannot be read (here: a folder of that name) is
// neither taken for an empty list nor saved over.
TEST_F(CustomToolsFile, UnreadableFileIsNeverSavedOver) {
    REQUIRE_PER_USER_REDIRECT();
    const std::u16string path = customToolsPath();
    ASSERT_TRUE(platform::createDirectories(path));
    DocumentOutcome outcome;
    EXPECT_TRUE(loadCustomTools(&outcome).empty());
    EXPECT_EQ(outcome.state, DocumentState::Unreadable);
    EXPECT_EQ(addCustomTool(u"C:\\new.exe", u""), SaveOutcome::NotRead);
    EXPECT_EQ(removeCustomTool(u"custom.ext-1"), SaveOutcome::NotRead);
    EXPECT_FALSE(saveCustomTools({}));
    EXPECT_TRUE(platform::directoryExists(path));
    EXPECT_FALSE(platform::fileExists(path + u".tmp"));
}

}  // namespace
