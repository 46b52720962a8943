#include <gtest/gtest.h>

#include "data/settings.h"
#include "tests/unit/sandbox.h"

namespace {

const char kDefaultFile[] =
    "{\n"
    "  \"clickBehavior\": \"single\",\n"
    "  \"defaultShell\": \"cmd\",\n"
    "  \"theme\": \"system\",\n"
    "  \"fontSize\": 12,\n"
    "  \"language\": \"zh-CN\",\n"
    "  \"leftWidth\": 300,\n"
    "  \"showFileName\": true,\n"
    "  \"quickEdit\": false,\n"
    "  \"aiEnabled\": false,\n"
    "  \"aiBaseUrl\": \"\",\n"
    "  \"aiModel\": \"\",\n"
    "  \"aiKeyEnc\": \"\",\n"
    "  \"localModel\": \"\",\n"
    "  \"localEnabled\": true,\n"
    "  \"favorites\": [],\n"
    "  \"recents\": []\n"
    "}\n";

Settings parse(const std::string& utf8) { return parseSettings(utf8ToWide(utf8)); }

TEST(Settings, DefaultsAreWrittenInTheFixedLayout) {
    EXPECT_EQ(serializeSettings(Settings()), kDefaultFile);
}

TEST(Settings, NonDefaultValuesAndEscapes) {
    Settings s;
    s.clickBehavior = ClickBehavior::Double;
    s.defaultShell = ShellKind::PowerShell;
    s.theme = ThemeMode::Light;
    s.fontSize = 99;  // written as stored
    s.language = Language::EnUS;
    s.aiModel = u"a\"b\\c\x01";
    s.favorites = {u"tools.a", u"工具"};
    std::string text = serializeSettings(s);
    EXPECT_NE(text.find("  \"clickBehavior\": \"double\",\n  \"defaultShell\": \"powershell\",\n"
                        "  \"theme\": \"light\",\n  \"fontSize\": 99,\n  \"language\": \"en-US\",\n"),
              std::string::npos);
    EXPECT_NE(text.find("  \"aiModel\": \"a\\\"b\\\\c\x01\",\n"), std::string::npos);
    EXPECT_NE(text.find("  \"favorites\": [\"tools.a\", \"工具\"],\n"), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(Settings, RoundTripKeepsEveryField) {
    Settings s;
    s.clickBehavior = ClickBehavior::Double;
    s.defaultShell = ShellKind::PowerShell;
    s.theme = ThemeMode::Dark;
    s.fontSize = 19;
    s.language = Language::EnUS;
    s.leftWidth = 640;
    s.showFileName = false;
    s.quickEdit = true;
    s.aiEnabled = true;
    s.aiBaseUrl = u"https://example.org/v1";
    s.aiModel = u"model\twith tab";
    s.aiKeyEnc = u"c2VjcmV0";
    s.localModel = u"路径\\m.gguf";
    s.localEnabled = false;
    s.favorites = {u"a", u"b"};
    s.recents = {u"x", u"y"};
    Settings back = parseSettings(utf8ToWide(serializeSettings(s)));
    EXPECT_EQ(back.clickBehavior, s.clickBehavior);
    EXPECT_EQ(back.defaultShell, s.defaultShell);
    EXPECT_EQ(back.theme, s.theme);
    EXPECT_EQ(back.fontSize, s.fontSize);
    EXPECT_EQ(back.language, s.language);
    EXPECT_EQ(back.leftWidth, s.leftWidth);
    EXPECT_EQ(back.showFileName, s.showFileName);
    EXPECT_EQ(back.quickEdit, s.quickEdit);
    EXPECT_EQ(back.aiEnabled, s.aiEnabled);
    EXPECT_EQ(back.aiBaseUrl, s.aiBaseUrl);
    EXPECT_EQ(back.aiModel, s.aiModel);
    EXPECT_EQ(back.aiKeyEnc, s.aiKeyEnc);
    EXPECT_EQ(back.localModel, s.localModel);
    EXPECT_EQ(back.localEnabled, s.localEnabled);
    EXPECT_EQ(back.favorites, s.favorites);
    EXPECT_EQ(back.recents, s.recents);
}

TEST(Settings, NumbersAreTruncatedAndClamped) {
    struct Case {
        const char* json;
        int32_t fontSize;
        int32_t leftWidth;
    };
    const Case cases[] = {
        {R"({"fontSize":7.9,"leftWidth":100})", 8, 150},
        {R"({"fontSize":40,"leftWidth":5000})", 28, 1200},
        {R"({"fontSize":13.7,"leftWidth":480.9})", 13, 480},
        {R"({"fontSize":"14","leftWidth":"500"})", 12, 300},
        {R"({"fontSize":-1e300,"leftWidth":1e300})", 8, 1200},
    };
    for (const Case& c : cases) {
        Settings s = parse(c.json);
        EXPECT_EQ(s.fontSize, c.fontSize) << c.json;
        EXPECT_EQ(s.leftWidth, c.leftWidth) << c.json;
    }
}

TEST(Settings, StringsAreExactAndWrongKindsKeepDefaults) {
    Settings s = parse(R"({"clickBehavior":"Double","theme":"DARK","defaultShell":"PowerShell","language":"en-us",
                           "showFileName":"false","quickEdit":1,"localEnabled":false,"aiBaseUrl":5,
                           "favorites":["a","",3,"b"],"recents":"x","extra":{}})");
    EXPECT_EQ(s.clickBehavior, ClickBehavior::Single);
    EXPECT_EQ(s.theme, ThemeMode::System);
    EXPECT_EQ(s.defaultShell, ShellKind::Cmd);
    EXPECT_EQ(s.language, Language::ZhCN);
    EXPECT_TRUE(s.showFileName);
    EXPECT_FALSE(s.quickEdit);
    EXPECT_FALSE(s.localEnabled);
    EXPECT_EQ(s.aiBaseUrl, u"");
    EXPECT_EQ(s.favorites, (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_TRUE(s.recents.empty());
    EXPECT_EQ(parse(R"({"theme":"light"})").theme, ThemeMode::Light);
    for (const char* broken : {"", "[1]", "{\"fontSize\":20,", "null"}) {
        EXPECT_EQ(serializeSettings(parse(broken)), kDefaultFile) << broken;
    }
}

TEST(Settings, RecentsKeepEightNewestWithoutDuplicates) {
    Settings s;
    for (char c = 'a'; c <= 'i'; ++c) noteRecent(s, std::u16string(1, char16_t(c)));
    EXPECT_EQ(s.recents, (std::vector<std::u16string>{u"i", u"h", u"g", u"f", u"e", u"d", u"c", u"b"}));
    noteRecent(s, u"e");
    EXPECT_EQ(s.recents, (std::vector<std::u16string>{u"e", u"i", u"h", u"g", u"f", u"d", u"c", u"b"}));
    s.recents = {u"x", u"y", u"x"};  // as a hand-edited file may hold
    noteRecent(s, u"x");
    EXPECT_EQ(s.recents, (std::vector<std::u16string>{u"x", u"y"}));
}

TEST(Settings, ToggleFavoriteTwiceRestoresTheList) {
    Settings s;
    s.favorites = {u"a", u"b"};
    toggleFavorite(s, u"c");
    EXPECT_EQ(s.favorites, (std::vector<std::u16string>{u"a", u"b", u"c"}));
    toggleFavorite(s, u"c");
    EXPECT_EQ(s.favorites, (std::vector<std::u16string>{u"a", u"b"}));
    s.favorites = {u"a", u"b", u"a"};
    toggleFavorite(s, u"a");
    EXPECT_EQ(s.favorites, (std::vector<std::u16string>{u"b", u"a"}));
}

using SettingsFile = Sandbox;

TEST_F(SettingsFile, SaveCreatesTheFolderAndLoadReadsItBack) {
    REQUIRE_PER_USER_REDIRECT();
    EXPECT_EQ(serializeSettings(loadSettings()), kDefaultFile);  // no file yet
    std::u16string path = settingsPath();
    EXPECT_EQ(path, platform::joinPath(userFolder(), u"config.json"));
    EXPECT_TRUE(platform::directoryExists(userFolder()));
    Settings s;
    s.leftWidth = 777;
    toggleFavorite(s, u"builtin.services");
    ASSERT_TRUE(saveSettings(s));
    EXPECT_EQ(read(path), serializeSettings(s));
    EXPECT_FALSE(platform::fileExists(path + u".tmp"));
    EXPECT_FALSE(platform::fileExists(path + u".bad"));
    Settings back = loadSettings();
    EXPECT_EQ(back.leftWidth, 777);
    EXPECT_EQ(back.favorites, std::vector<std::u16string>{u"builtin.services"});
}

TEST_F(SettingsFile, UnreadableFileIsKeptBesideBeforeTheFirstSave) {
    REQUIRE_PER_USER_REDIRECT();
    std::u16string path = settingsPath();
    const std::string handEdited = "{ \"favorites\": [\"builtin.regedit\", ] }";  // trailing comma
    ASSERT_TRUE(writeWholeFile(path, handEdited));
    ASSERT_TRUE(writeWholeFile(path + u".bad", "older copy"));
    Settings s = loadSettings();
    EXPECT_TRUE(s.favorites.empty());  // starts with defaults
    ASSERT_TRUE(saveSettings(s));
    EXPECT_EQ(read(path + u".bad"), handEdited);
    EXPECT_EQ(read(path), kDefaultFile);
    // a readable file is replaced without a copy
    platform::removeFile(path + u".bad");
    ASSERT_TRUE(saveSettings(s));
    EXPECT_FALSE(platform::fileExists(path + u".bad"));
}

}  // namespace
