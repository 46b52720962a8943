#include <gtest/gtest.h>

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
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"C:\\Tools\\my.app.exe", u"my.app"}, {u"C:\\Tools\\runme", u"runme"}, {u"C:\\Users\\me\\.profile", u".profile"},
        {u"C:/Tools/x.cmd", u"x"},             {u"tool.exe", u"tool"},         {u"C:\\dotted.dir\\plain", u"plain"},
    };
    for (const auto& [path, name] : cases) EXPECT_EQ(customToolName(path), name);
}

TEST(CustomTools, NewRecordAndIdsFromTheTickCount) {
    ToolRecord tool = makeCustomTool(u"C:\\Tools\\my.app.exe", u"--fast", 123456789, {});
    EXPECT_EQ(tool.id, u"custom.ext-123456789");
    EXPECT_EQ(tool.name, u"my.app");
    EXPECT_EQ(tool.path, u"C:\\Tools\\my.app.exe");
    EXPECT_EQ(tool.args, u"--fast");
    EXPECT_EQ(tool.category, u"custom");
    EXPECT_EQ(tool.icon, u"\U0001F9E9");
    EXPECT_EQ(tool.type, ToolType::Exe);
    EXPECT_TRUE(tool.isCustom);
    // two adds in the same millisecond must not share an id
    std::vector<ToolRecord> existing = {custom(u"custom.ext-500", u"a", u"a.exe"), custom(u"custom.ext-501", u"b", u"b.exe")};
    EXPECT_EQ(makeCustomTool(u"c.exe", u"", 500, existing).id, u"custom.ext-502");
    EXPECT_EQ(makeCustomTool(u"c.exe", u"", 499, existing).id, u"custom.ext-499");
}

using CustomToolsFile = Sandbox;

TEST_F(CustomToolsFile, AddRemoveAndReloadThroughTheFile) {
    REQUIRE_PER_USER_REDIRECT();
    EXPECT_TRUE(loadCustomTools().empty());
    ToolRecord first, second;
    ASSERT_TRUE(addCustomTool(u"C:\\Tools\\probe.exe", u"", &first));
    ASSERT_TRUE(addCustomTool(u"C:\\Tools\\probe.exe", u"/x", &second));
    EXPECT_NE(first.id, second.id);
    EXPECT_EQ(customToolsPath(), platform::joinPath(userFolder(), u"custom-tools.json"));

    std::vector<ToolRecord> tools = loadCustomTools();
    ASSERT_EQ(tools.size(), 2u);
    EXPECT_EQ(tools[0].id, first.id);
    EXPECT_EQ(tools[0].name, u"probe");
    EXPECT_EQ(tools[0].type, ToolType::Exe);
    EXPECT_EQ(tools[0].category, u"custom");
    EXPECT_TRUE(tools[0].isCustom);
    EXPECT_EQ(tools[1].args, u"/x");

    ASSERT_TRUE(removeCustomTool(first.id));
    tools = loadCustomTools();
    ASSERT_EQ(tools.size(), 1u);
    EXPECT_EQ(tools[0].id, second.id);
    removeCustomTool(second.id);
    EXPECT_EQ(read(customToolsPath()), std::string(kHeader) + kFooter);
}

TEST_F(CustomToolsFile, HandEditsFollowThePackRules) {
    REQUIRE_PER_USER_REDIRECT();
    ASSERT_TRUE(writeWholeFile(customToolsPath(), R"({"tools":[
        {"id":"dup","name":"One","type":"msc","path":"a.msc","extra":1},
        {"id":"dup","name":"Two","path":"b.exe"},
        {"id":"keep","name":"Keep","path":"k.exe","icon":"🔧"},
        {"name":"no id"}]})"));
    std::vector<ToolRecord> tools = loadCustomTools();
    ASSERT_EQ(tools.size(), 3u);
    EXPECT_EQ(tools[0].type, ToolType::Msc);
    removeCustomTool(u"dup");
    EXPECT_EQ(read(customToolsPath()),
              std::string(kHeader) +
                  "    { \"id\": \"keep\", \"name\": \"Keep\", \"type\": \"exe\", \"path\": \"k.exe\", "
                  "\"category\": \"custom\", \"icon\": \"🔧\" }\n" +
                  kFooter);
    EXPECT_FALSE(platform::fileExists(customToolsPath() + u".bad"));
}

TEST_F(CustomToolsFile, BrokenFileIsKeptBesideBeforeAnAddReplacesIt) {
    REQUIRE_PER_USER_REDIRECT();
    const std::string broken[] = {
        "{\"tools\": [ {\"id\":\"mine\",\"name\":\"Mine\",\"path\":\"m.exe\"}, ]}",  // trailing comma
        "{\"tool\": []}",                                                         // no tools array
    };
    for (const std::string& bytes : broken) {
        ASSERT_TRUE(writeWholeFile(customToolsPath(), bytes));
        EXPECT_TRUE(loadCustomTools().empty());
        ToolRecord added;
        ASSERT_TRUE(addCustomTool(u"C:\\new.exe", u"", &added));
        EXPECT_EQ(read(customToolsPath() + u".bad"), bytes);
        std::vector<ToolRecord> tools = loadCustomTools();
        ASSERT_EQ(tools.size(), 1u);
        EXPECT_EQ(tools[0].id, added.id);
    }
}

}  // namespace
