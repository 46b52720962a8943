#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "data/settings.h"
#include "tests/unit/sandbox.h"

namespace {

const char kDefaultFile[] =
    "{\n  \"clickBehavior\": \"single\",\n  \"defaultShell\": \"cmd\",\n  \"theme\": \"system\",\n"
    "  \"fontSize\": 12,\n  \"language\": \"zh-CN\",\n  \"leftWidth\": 300,\n  \"showFileName\": true,\n"
    "  \"quickEdit\": false,\n  \"aiEnabled\": false,\n  \"aiBaseUrl\": \"\",\n  \"aiModel\": \"\",\n"
    "  \"aiKeyEnc\": \"\",\n  \"localModel\": \"\",\n  \"localEnabled\": true,\n  \"favorites\": [],\n"
    "  \"recents\": []\n}\n";

Settings parse(const std::string& utf8) { return parseSettings(utf8ToWide(utf8)); }

// Changes a window saves, one value each.
const auto fontSize = [](int32_t size) { return [size](Settings& s) { s.fontSize = size; }; };
const auto leftWidth = [](int32_t width) { return [width](Settings& s) { s.leftWidth = width; }; };
const SettingsChange darkTheme = [](Settings& s) { s.theme = ThemeMode::Dark; };
const auto favourite = [](const char16_t* id, bool on) { return [id, on](Settings& s) { setFavorite(s, id, on); }; };
const auto recent = [](const char16_t* id) { return [id](Settings& s) { noteRecent(s, id); }; };

TEST(Settings, DefaultsAreWrittenInTheFixedLayout) { EXPECT_EQ(serializeSettings(Settings()), kDefaultFile); }

// Every field away from its default, strings that need escaping included.
Settings everyFieldChanged() {
    Settings s;
    s.clickBehavior = ClickBehavior::Double;
    s.defaultShell = ShellKind::PowerShell;
    s.theme = ThemeMode::Light;
    s.fontSize = 19;
    s.language = Language::EnUS;
    s.leftWidth = 640;
    s.showFileName = false;
    s.quickEdit = true;
    s.aiEnabled = true;
    s.aiBaseUrl = u"https://example.org/v1";
    s.aiModel = u"a\"b\\c\x01\twith tab";
    s.aiKeyEnc = u"c2VjcmV0";
    s.localModel = u"路径\\m.gguf";
    s.localEnabled = false;
    s.favorites = {u"tools.a", u"工具"};
    s.recents = {u"x", u"y"};
    return s;
}

TEST(Settings, NonDefaultValuesAndEscapes) {
    std::string text = serializeSettings(everyFieldChanged());
    EXPECT_NE(text.find("  \"clickBehavior\": \"double\",\n  \"defaultShell\": \"powershell\",\n"
                        "  \"theme\": \"light\",\n  \"fontSize\": 19,\n  \"language\": \"en-US\",\n"),
              std::string::npos);
    EXPECT_NE(text.find("  \"aiModel\": \"a\\\"b\\\\c\x01\\twith tab\",\n"), std::string::npos);
    EXPECT_NE(text.find("  \"favorites\": [\"tools.a\", \"工具\"],\n"), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    Settings big;
    big.fontSize = 99;  // written as stored, clamped only when read
    EXPECT_NE(serializeSettings(big).find("\"fontSize\": 99,"), std::string::npos);
}

TEST(Settings, RoundTripKeepsEveryField) {
    const std::string text = serializeSettings(everyFieldChanged());
    EXPECT_EQ(serializeSettings(parse(text)), text);
}

TEST(Settings, NumbersAreTruncatedAndClamped) {
    // The file, then the font size and the left width read from it.
    const std::tuple<const char*, int32_t, int32_t> cases[] = {{R"({"fontSize":7.9,"leftWidth":100})", 8, 150},
                                                               {R"({"fontSize":40,"leftWidth":5000})", 28, 1200},
                                                               {R"({"fontSize":13.7,"leftWidth":480.9})", 13, 480},
                                                               {R"({"fontSize":"14","leftWidth":"500"})", 12, 300},
                                                               {R"({"fontSize":-1e300,"leftWidth":1e300})", 8, 1200}};
    for (const auto& [json, size, width] : cases) {
        Settings s = parse(json);
        EXPECT_EQ(s.fontSize, size) << json;
        EXPECT_EQ(s.leftWidth, width) << json;
    }
}

TEST(Settings, StringsAreExactAndWrongKindsKeepDefaults) {
    Settings s = parse(R"({"clickBehavior":"Double","theme":"DARK","defaultShell":"PowerShell","language":"en-us",
                           "showFileName":"false","quickEdit":1,"localEnabled":false,"aiBaseUrl":5,
                           "favorites":["a","",3,"b"],"recents":"x","extra":{}})");
    Settings expected;  // names are case-sensitive; only the right kinds count
    expected.localEnabled = false;
    expected.favorites = {u"a", u"b"};
    EXPECT_EQ(serializeSettings(s), serializeSettings(expected));
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
    // Setting is idempotent, so applying it to another window's list does no harm.
    using Ids = std::vector<std::u16string>;
    struct Case {
        Ids before;
        bool toggle;
        const char16_t* id;
        bool on;
        Ids after;
    } cases[] = {{{u"a", u"b"}, true, u"c", true, {u"a", u"b", u"c"}},
                 {{u"a", u"b", u"c"}, true, u"c", false, {u"a", u"b"}},
                 {{u"a", u"b", u"a"}, true, u"a", false, {u"b", u"a"}},
                 {{u"a", u"b", u"a"}, false, u"b", true, {u"a", u"b", u"a"}},
                 {{u"a", u"b", u"a"}, false, u"a", false, {u"b"}},
                 {{u"b"}, false, u"c", true, {u"b", u"c"}}};
    for (const Case& c : cases) {
        Settings s;
        s.favorites = c.before;
        c.toggle ? toggleFavorite(s, c.id) : setFavorite(s, c.id, c.on);
        EXPECT_EQ(s.favorites, c.after) << wideToUtf8(c.id);
    }
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
    ASSERT_TRUE(writeWholeFile(path + u".tmp", "the user's own file"));  // never taken for a temporary one
    ASSERT_TRUE(saveSettings(s));
    EXPECT_EQ(read(path), serializeSettings(s));
    EXPECT_EQ(read(path + u".tmp"), "the user's own file");
    EXPECT_FALSE(platform::fileExists(path + u".bad"));
    Settings back = loadSettings();
    EXPECT_EQ(back.leftWidth, 777);
    EXPECT_EQ(back.favorites, std::vector<std::u16string>{u"builtin.services"});
}

// A config.json that is there but cannot be read (here: a folder of that name)
// is not taken for a missing one: nothing is saved over it.
TEST_F(SettingsFile, UnreadableFileIsNeverSavedOver) {
    REQUIRE_PER_USER_REDIRECT();
    std::u16string path = settingsPath();
    ASSERT_TRUE(platform::createDirectories(path));
    DocumentOutcome outcome;
    loadSettings(&outcome);
    EXPECT_EQ(outcome.state, DocumentState::Unreadable);
    EXPECT_NE(outcome.error, 0u);
    EXPECT_EQ(outcome.path, path);
    Settings live;
    std::vector<SettingsChange> unsaved;
    EXPECT_FALSE(saveSettings(live));
    EXPECT_EQ(saveSettingsChange(live, fontSize(20), unsaved), SaveOutcome::NotRead);
    EXPECT_EQ(live.fontSize, 20);  // the window still shows what the user chose
    EXPECT_TRUE(platform::directoryExists(path));
    EXPECT_FALSE(platform::fileExists(path + u".tmp"));
    EXPECT_FALSE(platform::fileExists(path + u".bad"));
    // Once the file can be read, the change that was refused is saved with the next.
    std::filesystem::remove(std::filesystem::path(path));
    ASSERT_TRUE(writeWholeFile(path, "{\"leftWidth\": 400}"));
    EXPECT_EQ(saveSettingsChange(live, darkTheme, unsaved), SaveOutcome::Saved);
    Settings saved = loadSettings();
    EXPECT_EQ(saved.fontSize, 20);
    EXPECT_EQ(saved.theme, ThemeMode::Dark);
    EXPECT_EQ(saved.leftWidth, 400);
    EXPECT_TRUE(unsaved.empty());
}

// A save that cannot take the lock (a folder in its place) writes nothing;
// its change goes into the next save that can, and a save over a folder
// leaves no temporary file behind.
TEST_F(SettingsFile, AFailedSaveKeepsItsChangeAndLeavesNoTemporaryFile) {
    REQUIRE_PER_USER_REDIRECT();
    Settings live;
    std::vector<SettingsChange> unsaved;
    const std::u16string lock = settingsPath() + u".lock";
    ASSERT_TRUE(platform::createDirectories(lock));
    EXPECT_EQ(saveSettingsChange(live, favourite(u"builtin.regedit", true), unsaved), SaveOutcome::NotWritten);
    std::filesystem::remove(std::filesystem::path(lock));
    EXPECT_EQ(saveSettingsChange(live, fontSize(9), unsaved), SaveOutcome::Saved);
    EXPECT_EQ(loadSettings().favorites, std::vector<std::u16string>{u"builtin.regedit"});

    const std::u16string folder = makeDir(u"a-folder");
    EXPECT_FALSE(saveFileAtomically(folder, "x"));
    auto entries = platform::listDirectory(root);
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->size(), 2u);  // appdata and a-folder
}

// Two windows, each with the record it loaded at start: every save re-reads
// the file and applies only its own change, so neither undoes the other.
TEST_F(SettingsFile, ChangesOfTwoWindowsBothSurvive) {
    REQUIRE_PER_USER_REDIRECT();
    Settings first = loadSettings();
    Settings second = loadSettings();
    std::vector<SettingsChange> firstUnsaved, secondUnsaved;
    EXPECT_EQ(saveSettingsChange(first, favourite(u"builtin.services", true), firstUnsaved), SaveOutcome::Saved);
    EXPECT_EQ(saveSettingsChange(second, favourite(u"builtin.regedit", true), secondUnsaved), SaveOutcome::Saved);
    EXPECT_EQ(saveSettingsChange(second, darkTheme, secondUnsaved), SaveOutcome::Saved);
    EXPECT_EQ(saveSettingsChange(first, recent(u"builtin.cmd"), firstUnsaved), SaveOutcome::Saved);
    EXPECT_EQ(saveSettingsChange(second, recent(u"builtin.notepad"), secondUnsaved), SaveOutcome::Saved);
    EXPECT_EQ(saveSettingsChange(first, fontSize(16), firstUnsaved), SaveOutcome::Saved);

    Settings saved = loadSettings();
    EXPECT_EQ(saved.favorites, (std::vector<std::u16string>{u"builtin.services", u"builtin.regedit"}));
    EXPECT_EQ(saved.recents, (std::vector<std::u16string>{u"builtin.notepad", u"builtin.cmd"}));
    EXPECT_EQ(saved.theme, ThemeMode::Dark);
    EXPECT_EQ(saved.fontSize, 16);
    // each window now lists what was saved; its other values stay its own
    EXPECT_EQ(first.favorites, saved.favorites);
    EXPECT_EQ(first.theme, ThemeMode::System);
    // removing a favourite the other window added keeps the rest
    EXPECT_EQ(saveSettingsChange(second, favourite(u"builtin.services", false), secondUnsaved), SaveOutcome::Saved);
    EXPECT_EQ(loadSettings().favorites, std::vector<std::u16string>{u"builtin.regedit"});

    // a file gone meanwhile gets the whole live record
    platform::removeFile(settingsPath());
    EXPECT_EQ(saveSettingsChange(first, leftWidth(500), firstUnsaved), SaveOutcome::Saved);
    EXPECT_EQ(read(settingsPath()), serializeSettings(first));
}

}  // namespace
