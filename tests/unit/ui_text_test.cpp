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

TEST(UiText, LanguageFlagPicksTheColumn) {
    LanguageGuard guard;
    EXPECT_EQ(languageFromSetting(u"en-US"), 1);
    for (const char16_t* other : {u"zh-CN", u"", u"en-us", u"en", u"fr-FR"}) EXPECT_EQ(languageFromSetting(other), 0);
    setUiLanguage(1);
    EXPECT_TRUE(uiEnglish());
    EXPECT_EQ(uiText(kTextActivityTab), u"Activity");
    EXPECT_EQ(localized(u"网络连接", u"Network Connections"), u"Network Connections");
    EXPECT_EQ(localized(u"网络连接", u""), u"网络连接");
    setUiLanguage(2);  // anything but 1 is Chinese
    EXPECT_FALSE(uiEnglish());
    EXPECT_EQ(uiText(kTextActivityTab), u"操作轨迹");
    EXPECT_EQ(localized(u"网络连接", u"Network Connections"), u"网络连接");
}

bool contains(const std::u16string& text, const std::u16string& piece) {
    return text.find(piece) != std::u16string::npos;
}

// Both help pages, in both languages: headings in the language's own brackets,
// and the real switch and settings file named where a user copies them from.
TEST(UiText, HelpDocumentsNameTheRealSwitchAndFile) {
    for (int language : {0, 1}) {
        const std::u16string help = uiTextIn(language, kTextHelpDocument), mcp = uiTextIn(language, kTextMcpDocument);
        for (const std::u16string& doc : {help, mcp}) {
            EXPECT_EQ(doc.rfind(u"Wrenly ", 0), 0u) << language;
            EXPECT_TRUE(contains(doc, language ? u"\r\n[" : u"\r\n【")) << language;
            EXPECT_FALSE(contains(doc, language ? u"\r\n【" : u"\r\n[")) << language;
        }
        EXPECT_TRUE(contains(help, u"%APPDATA%\\Toolkeep\\config.json")) << language;
        EXPECT_TRUE(contains(help, u"· --mcp-stdio")) << language;
        for (const char16_t* key : {u"Ctrl+Tab", u"Ctrl+Shift+1", u"Ctrl+Shift+W", u"Ctrl+L", u"Alt+D", u"F6"})
            EXPECT_TRUE(contains(help, key)) << language;
        EXPECT_TRUE(contains(mcp, u"\r\n· toolkeep.exe --mcp-stdio\r\n")) << language;
        // The host configuration and the five tools, as the README gives them.
        EXPECT_TRUE(contains(mcp,
                             u"{\r\n  \"mcpServers\": {\r\n    \"wrenly\": {\r\n"
                             u"      \"command\": \"C:\\\\Tools\\\\toolkeep.exe\",\r\n"
                             u"      \"args\": [\"--mcp-stdio\"]\r\n    }\r\n  }\r\n}\r\n"))
            << language;
        for (const char16_t* tool :
             {u"list_tools", u"search_tools(query)", u"get_tool_info(id)", u"list_playbooks", u"get_playbook(id)"})
            EXPECT_TRUE(contains(mcp, std::u16string(u"\r\n· ") + tool)) << language;
    }
}

}  // namespace
