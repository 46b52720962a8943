#include <gtest/gtest.h>

#include <tuple>

#include "data/text.h"
#include "data/tool_record.h"

namespace {

std::vector<ToolRecord> parsePack(const std::string& toolsArray, bool isCustom = false) {
    auto doc = parseJson(utf8ToWide("{\"tools\":" + toolsArray + "}"));
    return doc ? parseToolPack(*doc, isCustom) : std::vector<ToolRecord>{};
}

// A tool as "fileName category type tags,", then " admin", " custom", " external", " installed" and the icon.
std::string describe(const ToolRecord& t) {
    std::u16string d = t.fileName + u" " + t.category + u" " + asciiToWide(std::to_string(int(t.type))) + u" ";
    for (const std::u16string& tag : t.tags) d += tag + u",";
    d += std::u16string(t.requiresAdmin ? u" admin" : u"") + (t.isCustom ? u" custom" : u"") +
         (t.isExternal ? u" external" : u"") + (t.isInstalled ? u" installed" : u"") + u" " + t.icon;
    return wideToUtf8(d);
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
    ])",
                           true);
    std::string described;
    for (const ToolRecord& t : tools) described += describe(t) + "\n";
    // runAsAdmin stands in for requiresAdmin only when that is missing; a wrong kind counts as missing.
    EXPECT_EQ(described,
              "a.exe custom 7 x,y, admin custom installed \nf.exe system 0  custom installed 🔧\n"
              " custom 7  custom installed \n");
}

TEST(ToolPack, TypeStrings) {
    const std::tuple<const char16_t*, const char16_t*, ToolType> cases[] = {
        {u"EXE", u"", ToolType::Other},
        {u"cpl", u"", ToolType::Cpl},
        {u"bat", u"", ToolType::Bat},
        {u"url", u"", ToolType::Url},
        {u"ps1", u"", ToolType::Ps1},
        {u"wmi", u"x.ps1", ToolType::PowerShell},
        {u"powershell", u"C:\\S\\RUN.PS1", ToolType::Ps1},
        {u"powershell", u"Get-Process", ToolType::PowerShell},
        {u"powershell", u"ps1", ToolType::PowerShell}};
    for (const auto& [type, file, kind] : cases) EXPECT_EQ(toolTypeFromString(type, file), kind) << wideToUtf8(type);
    // path wins over fileName when deciding the PowerShell kind
    auto tools = parsePack(R"([{"id":"p","name":"p","type":"powershell","fileName":"a.ps1","path":"Get-Date"}])");
    EXPECT_EQ(tools[0].type, ToolType::PowerShell);
}

}  // namespace
