#include <gtest/gtest.h>

#include "ui/ui_text.h"

namespace {

struct LanguageGuard {
    int saved = uiLanguage();
    ~LanguageGuard() { setUiLanguage(saved); }
};

TEST(UiText, EveryIdHasTextInBothLanguages) {
    for (int id = 0; id < kUiTextCount; ++id) {
        EXPECT_FALSE(uiTextIn(0, id).empty()) << id;
        EXPECT_FALSE(uiTextIn(1, id).empty()) << id;
    }
    EXPECT_TRUE(uiTextIn(1, -1).empty());
    EXPECT_TRUE(uiTextIn(1, kUiTextCount).empty());
}

TEST(UiText, FixedTexts) {
    struct Row {
        int id;
        const char16_t* zh;
        const char16_t* en;
    };
    const Row rows[] = {
        {0, u"Wrenly", u"Wrenly"}, {1, u"（管理员）", u" (Administrator)"}, {2, u"搜索工具…", u"Search tools…"},
        {3, u"设置", u"Settings"}, {16, u"工具", u"Tools"}, {19, u"终端", u"Terminal"},
        {35, u"操作轨迹", u"Activity"}, {37, u"助手", u"Assistant"}, {75, u"帮助", u"Help"},
        {76, nullptr, u"Help"}, {77, nullptr, u"About"}, {78, u"语言", u"Language"}, {79, u"中文", u"中文"},
        {80, u"English", u"English"}, {99, u"Wrenly", u"Wrenly"}, {119, u"> [已添加] ", u"> [Added] "},
        {120, u"> [已移除] ", u"> [Removed] "},
        {121, u"添加自定义工具 — 选择程序", u"Add custom tool — choose a program"},
        {122, u"可执行文件", u"Executables"}, {123, u"添加自定义工具", u"Add custom tool"},
        {124, u"保存自定义工具失败。", u"Failed to save the custom tool."},
        {125, nullptr, u"Cannot open the file picker (error %lu)"}, {126, u"启动参数", u"Launch arguments"},
        {127, u"启动参数（可选，回车确认）：", u"Launch arguments (optional, Enter to confirm):"},
        {128, u"收藏夹", u"Favorites"}, {129, u"最近使用", u"Recent"}, {130, u"系统管理", u"System"},
        {131, u"网络管理", u"Network"}, {132, u"安全与策略", u"Security & Policy"}, {133, u"存储管理", u"Storage"},
        {134, u"系统配置", u"Configuration"}, {135, u"诊断与排错", u"Diagnostics"}, {136, u"硬件与外设", u"Hardware"},
        {137, u"系统内置应用", u"Built-in Apps"}, {138, u"扩展工具（推荐）", u"External tools (recommended)"},
        {139, u"自定义工具", u"Custom Tools"}, {140, u"排障剧本", u"Playbooks"}, {157, u"工具", u"Tools"},
        {158, u"搜索结果", u"Results"}, {164, u"剧本", u"Playbook"}, {165, nullptr, u"[Launch]"},
        {166, nullptr, u"[Cancelled] elevation cancelled"}, {167, u"[失败]", u"[Failed]"},
        {168, nullptr, u"target not found"}, {153, nullptr, u"Filled into the terminal - review, then press Enter to run."},
        {156, nullptr, u"Tool not found: "}, {162, nullptr, u"MCP interface (for agents)"},
        {179, nullptr, u"💡 Related playbooks: "}, {174, nullptr, u"Describe a symptom or problem, press Enter…"},
        {98, nullptr,
         u"This Windows version blocks programmatic taskbar pinning (a Microsoft system restriction that no third "
         u"party can bypass).\nThe program has been located in File Explorer — right-click it and choose \"Pin to "
         u"taskbar\"."},
    };
    for (const Row& row : rows) {
        if (row.zh) {
            EXPECT_EQ(uiTextIn(0, row.id), row.zh) << row.id;
        }
        EXPECT_EQ(uiTextIn(1, row.id), row.en) << row.id;
    }
}

TEST(UiText, LanguageFlagPicksTheColumn) {
    LanguageGuard guard;
    EXPECT_EQ(languageFromSetting(u"en-US"), 1);
    for (const char16_t* other : {u"zh-CN", u"", u"en-us", u"en", u"fr-FR"}) EXPECT_EQ(languageFromSetting(other), 0);
    setUiLanguage(1);
    EXPECT_TRUE(uiEnglish());
    EXPECT_EQ(uiText(35), u"Activity");
    EXPECT_EQ(localized(u"网络连接", u"Network Connections"), u"Network Connections");
    EXPECT_EQ(localized(u"网络连接", u""), u"网络连接");
    setUiLanguage(2);  // anything but 1 is Chinese
    EXPECT_FALSE(uiEnglish());
    EXPECT_EQ(uiText(35), u"操作轨迹");
    EXPECT_EQ(localized(u"网络连接", u"Network Connections"), u"网络连接");
}

bool contains(const std::u16string& text, const std::u16string& piece) {
    return text.find(piece) != std::u16string::npos;
}

TEST(UiText, HelpDocumentsHaveTheirSectionsInOrder) {
    const std::vector<std::u16string> helpEn = {
        u"[Overview]", u"[Tool navigation (left)]", u"[Tool right-click menu]", u"[Custom tools]",
        u"[Terminal (right)]", u"[Assistant]", u"[External tools (recommended)]", u"[Playbooks]",
        u"[Activity / status bar]", u"[Settings]", u"[Command line / integration (advanced)]", u"[Sidebar width]"};
    const std::vector<std::u16string> mcpEn = {u"[What it is]", u"[Start]", u"[Methods]",
                                               u"[Callable tools (all read-only)]",
                                               u"[Integration example (MCP host config)]", u"[Manual test]",
                                               u"[Security]"};
    auto checkOrder = [](const std::u16string& doc, const std::vector<std::u16string>& headings) {
        size_t at = 0;
        for (const auto& heading : headings) {
            size_t found = doc.find(u"\r\n" + heading + u"\r\n", at);
            ASSERT_NE(found, std::u16string::npos) << std::string(heading.begin(), heading.end());
            at = found + 1;
        }
    };
    const std::u16string help = uiTextIn(1, 106);
    const std::u16string mcp = uiTextIn(1, 163);
    EXPECT_EQ(help.substr(0, 15), u"Wrenly — Help\r\n");
    EXPECT_EQ(mcp.substr(0, 37), u"Wrenly - MCP interface (for agents)\r\n");
    checkOrder(help, helpEn);
    checkOrder(mcp, mcpEn);
    EXPECT_TRUE(contains(help, u"Fixed tab order: Activity · Assistant · (Help/About on demand) · terminals; Help and "
                               u"About are toggleable, closable tabs."));
    EXPECT_TRUE(contains(mcp, u"\r\n· toolkeep.exe --mcp-stdio\r\n"));
    // The host configuration and the five tools, as the README gives them, in both languages.
    for (int language : {0, 1}) {
        const std::u16string page = uiTextIn(language, 163);
        EXPECT_TRUE(contains(page, u"{\r\n  \"mcpServers\": {\r\n    \"wrenly\": {\r\n"
                                   u"      \"command\": \"C:\\\\Tools\\\\toolkeep.exe\",\r\n"
                                   u"      \"args\": [\"--mcp-stdio\"]\r\n    }\r\n  }\r\n}\r\n"))
            << language;
        for (const char16_t* tool : {u"list_tools", u"search_tools(query)", u"get_tool_info(id)", u"list_playbooks",
                                     u"get_playbook(id)"})
            EXPECT_TRUE(contains(page, std::u16string(u"\r\n· ") + tool)) << language;
    }
    EXPECT_TRUE(contains(mcp, u"\"query\":\"no internet\""));

    for (int id : {106, 163}) {
        const std::u16string zh = uiTextIn(0, id);
        EXPECT_TRUE(contains(zh, u"\r\n【")) << id;
        EXPECT_FALSE(contains(zh, u"\r\n[")) << id;
        // every line is a title, a rule, a heading, a bullet, blank or part of the JSON example
        size_t bullets = 0;
        for (size_t at = zh.find(u"\r\n· "); at != std::u16string::npos; at = zh.find(u"\r\n· ", at + 1)) ++bullets;
        EXPECT_GT(bullets, 6u) << id;
    }
    EXPECT_TRUE(contains(uiTextIn(0, 106), u"%APPDATA%\\Toolkeep\\config.json"));
    EXPECT_TRUE(contains(uiTextIn(1, 106), u"%APPDATA%\\Toolkeep\\config.json"));
}

}  // namespace
