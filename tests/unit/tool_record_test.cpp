#include <gtest/gtest.h>

#include "data/text.h"
#include "data/tool_record.h"

namespace {

std::vector<ToolRecord> parsePack(const std::string& toolsArray, bool isCustom = false) {
    auto doc = parseJson(utf8ToWide("{\"tools\":" + toolsArray + "}"));
    return doc ? parseToolPack(*doc, isCustom) : std::vector<ToolRecord>{};
}

TEST(ToolPack, DocumentsWithoutToolArrayGiveNothing) {
    EXPECT_TRUE(parseToolPack(*parseJson(u"[]"), false).empty());
    EXPECT_TRUE(parseToolPack(*parseJson(u"{\"tools\":{}}"), false).empty());
    EXPECT_TRUE(parsePack("[1, \"x\", {\"id\":\"a\"}, {\"name\":\"n\"}, {\"id\":\"\",\"name\":\"n\"}]").empty());
}

TEST(ToolPack, FieldsDefaultsAndOverrides) {
    auto tools = parsePack(R"([
      {"id":"a","name":"甲","exe":"a.exe","tags":["x",1,"y"],"runAsAdmin":true},
      {"id":"b","name":"乙","exe":"b.exe","fileName":"f.exe","requiresAdmin":false,"runAsAdmin":true,
       "category":"system","type":"msc","args":"-q","nameEn":"B","icon":"🔧"},
      {"id":"a","name":"dup","category":5}
    ])", true);
    ASSERT_EQ(tools.size(), 3u);
    EXPECT_EQ(tools[0].fileName, u"a.exe");
    EXPECT_EQ(tools[0].category, u"custom");
    EXPECT_EQ(tools[0].tags, (std::vector<std::u16string>{u"x", u"y"}));
    EXPECT_TRUE(tools[0].requiresAdmin);
    EXPECT_EQ(tools[0].type, ToolType::Other);
    EXPECT_TRUE(tools[0].isCustom);
    EXPECT_FALSE(tools[0].isExternal);
    EXPECT_TRUE(tools[0].isInstalled);
    EXPECT_EQ(tools[1].fileName, u"f.exe");
    EXPECT_FALSE(tools[1].requiresAdmin);
    EXPECT_EQ(tools[1].type, ToolType::Msc);
    EXPECT_EQ(tools[1].icon, u"🔧");
    EXPECT_EQ(tools[2].category, u"custom");  // wrong kind counts as missing
}

TEST(ToolPack, TypeStrings) {
    EXPECT_EQ(toolTypeFromString(u"EXE", u""), ToolType::Other);
    EXPECT_EQ(toolTypeFromString(u"cpl", u""), ToolType::Cpl);
    EXPECT_EQ(toolTypeFromString(u"bat", u""), ToolType::Bat);
    EXPECT_EQ(toolTypeFromString(u"url", u""), ToolType::Url);
    EXPECT_EQ(toolTypeFromString(u"ps1", u""), ToolType::Ps1);
    EXPECT_EQ(toolTypeFromString(u"wmi", u"x.ps1"), ToolType::PowerShell);
    EXPECT_EQ(toolTypeFromString(u"powershell", u"C:\\S\\RUN.PS1"), ToolType::Ps1);
    EXPECT_EQ(toolTypeFromString(u"powershell", u"Get-Process"), ToolType::PowerShell);
    EXPECT_EQ(toolTypeFromString(u"powershell", u"ps1"), ToolType::PowerShell);
    // path wins over fileName when deciding the PowerShell kind
    auto tools = parsePack(R"([{"id":"p","name":"p","type":"powershell","fileName":"a.ps1","path":"Get-Date"}])");
    EXPECT_EQ(tools[0].type, ToolType::PowerShell);
}

}  // namespace
