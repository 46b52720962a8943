#include <gtest/gtest.h>

#include <thread>

#include "terminal/command_history.h"
#include "tests/unit/sandbox.h"

namespace {

TEST(SecretFilter, RealCommandsBothWays) {
    // Commands that hold a secret (true) and commands that do not.
    const std::pair<bool, std::vector<const char16_t*>> groups[] = {
        {true,
         {u"net user alice Xy9#kq", u"NET USER \"Alice Smith\" hunter2 /add",
          u"C:\\Windows\\System32\\net.exe user bob pa55", u"$p = ConvertTo-SecureString 'x' -AsPlainText -Force",
          u"mysql -uroot -pPassword1"}},
        {true,
         {u"wmic /node:srv /user:admin /password:x os get caption",
          u"curl -H \"Authorization: Bearer $TOKEN\" https://example.invalid", u"set API_KEY=abc", u"setx apikey 123"}},
        {true,
         {u"msbuild app.sln /p:DeployPwd=x", u"sqlcmd -S srv -Q \"...\" -v pwd=x", u"echo %SECRET%",
          u"cmdkey /add:srv /user:bob /pass:xyz", u"htpasswd -b users bob x"}},
        {false,
         {u"net user", u"net user alice", u"net user alice /delete", u"net user alice /active:no",
          u"net localgroup administrators", u"ipconfig /all"}},
        {false,
         {u"whoami /priv", u"Get-Process | Sort-Object CPU -Descending", u"ping -n 4 192.168.1.1",
          u"dir \"C:\\Program Files\"", u"runas /user:admin cmd"}}};
    for (const auto& [isSecret, commands] : groups) {
        for (const char16_t* command : commands) {
            EXPECT_EQ(looksSecret(command), isSecret) << wideToUtf8(command);
            EXPECT_EQ(mayStoreCommand(command), !isSecret) << wideToUtf8(command);
        }
    }
    // A leading blank keeps any command off the disk.
    EXPECT_FALSE(mayStoreCommand(u" ipconfig /all"));
    EXPECT_FALSE(mayStoreCommand(u"\tdir"));
}

TEST(HistoryRules, RepeatsMoveToTheEndAndTheCapHolds) {
    std::vector<std::u16string> history = {u"a", u"b", u"c"};
    rememberCommand(history, u"a");
    EXPECT_EQ(history, (std::vector<std::u16string>{u"b", u"c", u"a"}));

    std::string file = "\xEF\xBB\xBFx\r\ny\n\nx\nz";  // a BOM, CR LF, an empty line, no final break
    EXPECT_EQ(parseHistory(file), (std::vector<std::u16string>{u"y", u"x", u"z"}));

    std::vector<std::u16string> many;
    for (size_t i = 0; i < kHistoryCap + 10; ++i) rememberCommand(many, asciiToWide("cmd " + std::to_string(i)));
    ASSERT_EQ(many.size(), kHistoryCap);
    EXPECT_EQ(many.front(), u"cmd 10");
    EXPECT_EQ(parseHistory(historyFileText(many)), many);
    EXPECT_EQ(parseHistory(historyFileText({u"dir 文件", u"dir 文件"})), std::vector<std::u16string>{u"dir 文件"});
}

class HistoryFile : public Sandbox {
protected:
    std::u16string path() { return historyFilePath(ShellKind::Cmd); }
    std::vector<std::u16string> onDisk() { return parseHistory(read(path())); }
    long linesOnDisk() {
        std::string text = read(path());
        return long(std::count(text.begin(), text.end(), '\n'));
    }
};

TEST_F(HistoryFile, AppendsAndCompactsAtTwiceTheCap) {
    REQUIRE_PER_USER_REDIRECT();
    EXPECT_EQ(path(), platform::joinPath(userFolder(), u"history-cmd.txt"));
    EXPECT_EQ(historyFilePath(ShellKind::PowerShell), platform::joinPath(userFolder(), u"history-powershell.txt"));
    EXPECT_TRUE(loadCommandHistory(path()).entries.empty());

    ASSERT_EQ(appendCommandHistory(path(), u"dir", kLockWaitMs), HistoryStore::Stored);
    ASSERT_EQ(appendCommandHistory(path(), u"ipconfig", kLockWaitMs), HistoryStore::Stored);
    ASSERT_EQ(appendCommandHistory(path(), u"dir", kLockWaitMs), HistoryStore::Stored);
    EXPECT_EQ(read(path()), "dir\nipconfig\ndir\n");  // appended as entered...
    EXPECT_EQ(loadCommandHistory(path()).entries,
              (std::vector<std::u16string>{u"ipconfig", u"dir"}));  // ...read by the rules

    std::string full;
    for (size_t i = 0; i + 1 < 2 * kHistoryCap; ++i) full += "cmd " + std::to_string(i) + "\n";
    ASSERT_TRUE(saveFileAtomically(path(), full));
    ASSERT_EQ(appendCommandHistory(path(), u"last", kLockWaitMs), HistoryStore::Stored);
    std::vector<std::u16string> compacted = onDisk();
    ASSERT_EQ(compacted.size(), kHistoryCap);
    EXPECT_EQ(compacted.back(), u"last");
    EXPECT_EQ(linesOnDisk(), long(kHistoryCap));

    ASSERT_TRUE(clearCommandHistory(path()));
    EXPECT_EQ(read(path()), "");
}

// A lock that cannot be opened (access denied; here a folder in its place)
// is a failure at once, never a wait for a writer that is not there.
TEST_F(HistoryFile, ALockThatCannotBeHadIsAFailureNotBusy) {
    REQUIRE_PER_USER_REDIRECT();
    ASSERT_EQ(appendCommandHistory(path(), u"dir", kLockWaitMs), HistoryStore::Stored);
    platform::removeFile(path() + u".lock");
    ASSERT_TRUE(platform::createDirectories(path() + u".lock"));
    EXPECT_EQ(appendCommandHistory(path(), u"ipconfig", kLockWaitMs), HistoryStore::Failed);
    EXPECT_FALSE(clearCommandHistory(path()));
    EXPECT_EQ(read(path()), "dir\n");
}

TEST_F(HistoryFile, WritersAtOnceLoseNoEntry) {
    REQUIRE_PER_USER_REDIRECT();
    constexpr int kEach = 150;
    auto writer = [this](const char* name) {
        for (int i = 0; i < kEach; ++i)
            appendCommandHistory(path(), asciiToWide(name + std::to_string(i)), kLockWaitMs);
    };
    std::thread one(writer, "one "), two(writer, "two ");
    one.join();
    two.join();
    EXPECT_EQ(onDisk().size(), size_t(2 * kEach));
    EXPECT_EQ(linesOnDisk(), 2 * kEach);
}

}  // namespace
