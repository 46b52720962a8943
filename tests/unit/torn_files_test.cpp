// Every user file as a power cut, a full disk or an old editor leaves it: cut
// inside its last line, NUL bytes at its end, a line in the ANSI code page.
// Whatever is read, nothing that was there before is lost.
#include <gtest/gtest.h>

#include <algorithm>

#include "data/custom_tools.h"
#include "data/settings.h"
#include "data/window_placement.h"
#include "terminal/command_history.h"
#include "tests/unit/sandbox.h"

namespace {

const size_t kNulTails[] = {1, 14, 512, 4096};

// One way of breaking a file: its bytes, and whether its last line was cut.
struct Tear {
    std::string bytes;
    bool cut;
};

std::vector<Tear> tears(const std::string& whole) {
    std::vector<Tear> all;
    const size_t lastLine = whole.rfind('\n', whole.size() - 2) + 1;
    for (size_t at = lastLine; at < whole.size(); ++at) all.push_back({whole.substr(0, at), true});
    for (size_t n : kNulTails) all.push_back({whole + std::string(n, '\0'), false});
    for (size_t n : kNulTails) all.push_back({whole.substr(0, whole.size() - 3) + std::string(n, '\0'), true});
    return all;
}

using TornFiles = Sandbox;

TEST_F(TornFiles, HistoryKeepsEveryEarlierLine) {
    REQUIRE_PER_USER_REDIRECT();
    const std::u16string path = historyFilePath(ShellKind::Cmd);
    // The third line came from `doskey /history >>`, in the ANSI code page.
    const std::string earlier = "dir\nipconfig /all\necho caf\xE9\r\n";
    const std::vector<std::u16string> kept = {u"dir", u"ipconfig /all", ansiToWide("echo caf\xE9")};
    const std::string last = "echo \xE7\xBD\x91\xE7\xBB\x9C\n";  // echo 网络
    for (const Tear& tear : tears(earlier + last)) {
        SCOPED_TRACE(testing::PrintToString(tear.bytes.substr(earlier.size())));
        platform::removeFile(path + u".bad");
        ASSERT_TRUE(writeWholeFile(path, tear.bytes));
        HistoryLoad load = loadCommandHistory(path);
        // What is left of the last line stays when it is whole characters.
        std::string tail = tear.bytes.substr(earlier.size());
        tail.erase(std::remove(tail.begin(), tail.end(), '\0'), tail.end());
        if (!tail.empty() && tail.back() == '\n') tail.pop_back();
        const bool dropped = !tail.empty() && !isValidUtf8(tail);
        std::vector<std::u16string> expected = kept;
        if (!tail.empty() && !dropped) expected.push_back(utf8ToWide(tail));
        EXPECT_EQ(load.entries, expected);
        // Only a tail that held text is copied aside, with the whole file.
        EXPECT_EQ(load.keptAs.empty(), !dropped);
        if (dropped) {
            EXPECT_EQ(read(load.keptAs), tear.bytes);
        }
        // The next command follows what was kept, on a line of its own.
        ASSERT_EQ(appendCommandHistory(path, u"hostname", kLockWaitMs), HistoryStore::Stored);
        std::vector<std::u16string> after = load.entries;
        after.push_back(u"hostname");
        EXPECT_EQ(loadCommandHistory(path).entries, after);
        EXPECT_EQ(read(path).find('\0'), std::string::npos);
    }
}

// The JSON files: a NUL tail is read through; a cut one is copied aside
// byte for byte before anything replaces it.
struct JsonFile {
    const char* name;
    std::string text;
    std::u16string (*path)();
    bool (*loads)(DocumentOutcome& outcome);  // whether it loaded what `text` holds
};

Settings settingsWritten();
// config.json as an editor using the ANSI code page saves it.
std::string settingsText() {
    std::string text = serializeSettings(settingsWritten());
    const std::string utf8 = wideToUtf8(settingsWritten().localModel);
    return text.replace(text.find(utf8), utf8.size(), "mod\xE8le");
}

Settings settingsWritten() {
    Settings s;
    s.fontSize = 17;
    s.localModel = ansiToWide("mod\xE8le");
    s.favorites = {u"builtin.regedit", u"builtin.services"};
    return s;
}

const JsonFile kJsonFiles[] = {
    {"config.json", settingsText(), settingsPath,
     [](DocumentOutcome& outcome) {
         return serializeSettings(loadSettings(&outcome)) == serializeSettings(settingsWritten());
     }},
    {"custom-tools.json",
     "{\"tools\": [\n  {\"id\": \"a\", \"name\": \"Caf\xE9\", \"path\": \"C:\\\\a.exe\"},\n"
     "  {\"id\": \"b\", \"name\": \"B\", \"type\": \"url\", \"path\": \"https://b.example\"}\n]}\n",
     customToolsPath,
     [](DocumentOutcome& outcome) {
         std::vector<ToolRecord> tools = loadCustomTools(&outcome);
         return tools.size() == 2 && tools[0].name == ansiToWide("Caf\xE9") && tools[1].type == ToolType::Url;
     }},
    {"window.json", serializeWindowPlacement({{10, 20, 810, 620}, true}), windowPlacementPath,
     [](DocumentOutcome& outcome) {
         auto placement = loadWindowPlacement(&outcome);
         return placement && placement->normal == WindowBox{10, 20, 810, 620} && placement->maximized;
     }},
};

TEST_F(TornFiles, JsonFilesLoseNothing) {
    REQUIRE_PER_USER_REDIRECT();
    for (const JsonFile& file : kJsonFiles) {
        for (const Tear& tear : tears(file.text)) {
            SCOPED_TRACE(std::string(file.name) + " " +
                         testing::PrintToString(tear.bytes.substr(file.text.size() - 3)));
            const std::u16string path = file.path();
            platform::removeFile(path + u".bad");
            ASSERT_TRUE(writeWholeFile(path, tear.bytes));
            DocumentOutcome outcome;
            if (file.loads(outcome)) {
                EXPECT_EQ(outcome.state, DocumentState::Loaded);
                EXPECT_TRUE(outcome.keptAs.empty());
            } else {
                EXPECT_TRUE(tear.cut);
                EXPECT_EQ(outcome.state, DocumentState::Unusable);
                EXPECT_EQ(read(outcome.keptAs), tear.bytes);
            }
        }
    }
}

}  // namespace
