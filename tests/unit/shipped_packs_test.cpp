// Invariants of the tool packs that ship inside the program.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "data/data_pack.h"
#include "data/text.h"
#include "platform/platform.h"
#include "tests/unit/sandbox.h"

namespace {

JsonValue shippedPack(const PackInfo& pack) {
    auto document = parseJson(utf8ToWide(platform::embeddedResource(pack.resourceId)));
    return document ? *document : JsonValue();
}

bool endsWith(const std::u16string& text, const std::u16string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool hasNonAscii(const std::u16string& text) {
    for (char16_t c : text) {
        if (c > 0x7F) return true;
    }
    return false;
}

const std::vector<std::pair<const char16_t*, std::vector<const char16_t*>>> kCategories = {
    {u"system",
     {u"compmgmt", u"devmgmt", u"services", u"eventvwr", u"taskschd", u"perfmon", u"fsmgmt", u"comexp", u"lusrmgr",
      u"wmimgmt", u"msinfo32", u"resmon", u"taskmgr", u"powershell", u"cmd", u"wt"}},
    {u"storage", {u"diskmgmt", u"storagespaces", u"cleanmgr", u"dfrgui", u"diskpart", u"sdclt"}},
    {u"network", {u"wf", u"ncpa", u"inetcpl", u"firewall", u"mstsc", u"msra", u"netcenter"}},
    {u"security", {u"secpol", u"gpedit", u"certmgr", u"tpm", u"rsop", u"certlm", u"wscui", u"bitlocker", u"credman"}},
    {u"hardware", {u"printmanagement", u"main", u"mmsys", u"joy", u"telephon", u"charmap", u"colorcpl"}},
    {u"diagnostics", {u"perfmon-rel", u"dxdiag", u"rstrui", u"mdsched", u"psr", u"sfc", u"dism"}},
    {u"config",
     {u"sysdm", u"powercfg", u"desk", u"timedate", u"appwiz", u"intl", u"access", u"msconfig", u"regedit",
      u"optionalfeatures", u"control", u"odbc"}},
    {u"apps",
     {u"mspaint", u"snip.new", u"snip.old", u"notepad", u"recorder.new", u"recorder.old", u"stickynotes", u"photos"}}};

const std::set<std::u16string> kAdmin = {
    u"compmgmt",        u"devmgmt",         u"services", u"fsmgmt",  u"comexp", u"lusrmgr", u"wmimgmt",  u"diskmgmt",
    u"storagespaces",   u"diskpart",        u"wf",       u"secpol",  u"gpedit", u"tpm",     u"rsop",     u"certlm",
    u"bitlocker",       u"printmanagement", u"rstrui",   u"mdsched", u"sfc",    u"dism",    u"msconfig", u"regedit",
    u"optionalfeatures"};

TEST(ShippedPacks, BuiltinToolsInOrderWithTheirTargetsAndTexts) {
    REQUIRE_EMBEDDED_PACKS();
    JsonValue doc = shippedPack(kBuiltinToolsPack);
    EXPECT_EQ(getString(doc, u"version"), u"1.0");
    const JsonValue* list = findMember(doc, u"tools");
    ASSERT_TRUE(isKind(list, JsonKind::Array));
    std::vector<ToolRecord> tools = parseToolPack(doc, false);
    ASSERT_EQ(tools.size(), 72u);
    ASSERT_EQ(list->items.size(), 72u);
    size_t i = 0;
    std::set<std::u16string> seen;
    for (const auto& [category, names] : kCategories) {
        for (const char16_t* name : names) {
            const ToolRecord& tool = tools[i++];
            EXPECT_EQ(tool.id, u"builtin." + std::u16string(name));
            EXPECT_EQ(tool.category, category) << wideToUtf8(tool.id);
            EXPECT_EQ(tool.requiresAdmin, kAdmin.count(name) == 1) << wideToUtf8(tool.id);
            seen.insert(tool.id);
        }
    }
    EXPECT_EQ(seen.size(), 72u);
    std::map<std::u16string, int> types;
    int fileNames = 0, args = 0;
    for (size_t i = 0; i < tools.size(); ++i) {
        const JsonValue& entry = list->items[i];
        std::string id = wideToUtf8(getString(entry, u"id"));
        std::u16string type = getString(entry, u"type");
        std::u16string fileName = getString(entry, u"fileName");
        std::u16string path = getString(entry, u"path");
        ++types[type];
        EXPECT_NE(fileName.empty(), path.empty()) << id << ": exactly one of fileName and path";
        fileNames += !fileName.empty();
        args += findMember(entry, u"args") != nullptr;
        std::u16string target = fileName.empty() ? path : fileName;
        EXPECT_TRUE(endsWith(target, type == u"url" ? u":" : u"." + type)) << id << ": " << wideToUtf8(type);
        EXPECT_EQ(getString(entry, u"source"), u"builtin") << id;
        EXPECT_TRUE(isKind(findMember(entry, u"requiresAdmin"), JsonKind::Bool)) << id;
        EXPECT_FALSE(getString(entry, u"name").empty() || getString(entry, u"nameEn").empty()) << id;
        EXPECT_FALSE(getString(entry, u"icon").empty()) << id;
        EXPECT_TRUE(hasNonAscii(getString(entry, u"description"))) << id;
        EXPECT_FALSE(hasNonAscii(getString(entry, u"descriptionEn"))) << id;
        EXPECT_GE(getString(entry, u"descriptionEn").size(), 30u) << id;
        bool chinese = false, latin = false;
        for (const std::u16string& tag : tools[i].tags) (hasNonAscii(tag) ? chinese : latin) = true;
        EXPECT_TRUE(chinese && latin) << id << ": tags in both scripts";
    }
    EXPECT_EQ(types, (std::map<std::u16string, int>{{u"exe", 36}, {u"msc", 20}, {u"cpl", 15}, {u"url", 1}}));
    EXPECT_EQ(fileNames, 63);
    EXPECT_EQ(args, 8);
}

TEST(ShippedPacks, ExternalToolsAreLinksOnly) {
    REQUIRE_EMBEDDED_PACKS();
    JsonValue doc = shippedPack(kExternalToolsPack);
    EXPECT_FALSE(getString(doc, u"note").empty());
    const JsonValue* list = findMember(doc, u"tools");
    ASSERT_TRUE(isKind(list, JsonKind::Array));
    ASSERT_EQ(list->items.size(), 7u);
    const char16_t* named[] = {u"ext.procexp", u"ext.procmon", u"ext.autoruns", u"ext.tcpview"};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(getString(list->items[i], u"id"), named[i]);
    for (const JsonValue& entry : list->items) {
        std::u16string id = getString(entry, u"id");
        EXPECT_EQ(id.rfind(u"ext.", 0), 0u);
        EXPECT_TRUE(endsWith(getString(entry, u"exe"), u".exe")) << wideToUtf8(id);
        EXPECT_EQ(getString(entry, u"homepage").rfind(u"https://", 0), 0u) << wideToUtf8(id);
        for (const char16_t* key : {u"name", u"license", u"icon", u"description", u"descriptionEn"})
            EXPECT_FALSE(getString(entry, key).empty()) << wideToUtf8(id) << " " << wideToUtf8(key);
        EXPECT_TRUE(isKind(findMember(entry, u"tags"), JsonKind::Array)) << wideToUtf8(id);
        for (const char16_t* key : {u"type", u"fileName", u"path"}) EXPECT_EQ(findMember(entry, key), nullptr);
    }
}

}  // namespace
