// The user's files against other processes and a full disk: two programs
// saving settings and custom tools at once lose no save they reported, and a
// full disk loses nothing written before and reports every save it refuses.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "data/custom_tools.h"
#include "data/files.h"
#include "data/settings.h"
#include "data/text.h"
#include "platform/platform.h"
#include "platform/win_text.h"
#include "terminal/command_history.h"
#include "tests/e2e/exe_process.h"
#include "tests/e2e/local_window.h"

namespace {

constexpr int kRounds = 30;
constexpr DWORD kWorkerWait = 240000;
constexpr wchar_t kWorkerName[] = L"TOOLKEEP_SAVE_WORKER";

// Run as a child of the test below: saves in a loop and lists, one a line,
// what each save it was told succeeded put on disk.
TEST(SavingWorker, DISABLED_SavesInALoop) {
    const std::wstring name = environmentValue(kWorkerName);
    ASSERT_FALSE(name.empty());
    std::ofstream out((appDataFile(L"") + name + L".saved").c_str(), std::ios::binary);
    Settings live = loadSettings();
    std::vector<SettingsChange> unsaved;
    std::vector<std::string> waiting;  // favourites of saves that failed: they ride on the next one
    for (int i = 0; i < kRounds; ++i) {
        const std::u16string id = fromWide(name.c_str()) + u"." + asciiToWide(std::to_string(i));
        waiting.push_back(wideToUtf8(id));
        if (saveSettingsChange(
                live, [id](Settings& s) { setFavorite(s, id, true); }, unsaved) == SaveOutcome::Saved) {
            for (const std::string& saved : waiting) out << "favorite " << saved << "\n";
            waiting.clear();
        }
        ToolRecord added;
        if (addCustomTool(u"C:\\" + id + u".exe", u"", &added) == SaveOutcome::Saved)
            out << "tool " << wideToUtf8(added.id) << "\n";
    }
}

PROCESS_INFORMATION startWorker(const std::wstring& name) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) +
                           L"\" --gtest_filter=SavingWorker.DISABLED_SavesInALoop --gtest_also_run_disabled_tests";
    SetEnvironmentVariableW(kWorkerName, name.c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;  // its report stays out of this one; the exit code tells
    PROCESS_INFORMATION process = {};
    CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                   &process);
    SetEnvironmentVariableW(kWorkerName, nullptr);
    return process;
}

TEST(TwoProcesses, EverySaveTheyReportedIsOnDisk) {
    KeptFile config(appDataFile(L"config.json")), tools(appDataFile(L"custom-tools.json"));
    CreateDirectoryW(appDataFile(L"").c_str(), nullptr);
    DeleteFileW(config.path.c_str());
    DeleteFileW(tools.path.c_str());
    const std::wstring names[] = {L"first", L"second"};
    PROCESS_INFORMATION workers[2];
    for (int i = 0; i < 2; ++i) workers[i] = startWorker(names[i]);
    for (PROCESS_INFORMATION& worker : workers) {
        ASSERT_NE(worker.hProcess, nullptr);
        EXPECT_EQ(WaitForSingleObject(worker.hProcess, kWorkerWait), WAIT_OBJECT_0);
        DWORD code = 1;
        GetExitCodeProcess(worker.hProcess, &code);
        EXPECT_EQ(code, 0u);
        CloseHandle(worker.hProcess);
        CloseHandle(worker.hThread);
    }
    const Settings saved = loadSettings();
    const std::set<std::u16string> favourites(saved.favorites.begin(), saved.favorites.end());
    std::set<std::u16string> toolIds;
    for (const ToolRecord& tool : loadCustomTools()) toolIds.insert(tool.id);
    size_t reportedFavourites = 0, reportedTools = 0;
    for (const std::wstring& name : names) {
        const std::wstring list = appDataFile(L"") + name + L".saved";
        std::istringstream lines(fileBytes(list));
        DeleteFileW(list.c_str());
        for (std::string kind, id; lines >> kind >> id;) {
            const bool favourite = kind == "favorite";
            (favourite ? reportedFavourites : reportedTools)++;
            EXPECT_TRUE((favourite ? favourites : toolIds).count(utf8ToWide(id))) << kind << " " << id;
        }
    }
    // Most saves get through; all that said so are there.
    EXPECT_GT(reportedFavourites, size_t(kRounds));
    EXPECT_GT(reportedTools, size_t(kRounds));
    std::printf("reported saves on disk: %zu favourites, %zu tools of %d each\n", reportedFavourites, reportedTools,
                2 * kRounds);
}

bool fillDisk(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const std::string block(4096, 'f');
    DWORD written = 0;
    while (WriteFile(file, block.data(), DWORD(block.size()), &written, nullptr) && written == block.size()) {}
    const DWORD error = GetLastError();
    CloseHandle(file);
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

std::vector<std::u16string> folderEntries(const std::wstring& folder) {
    std::vector<std::u16string> names;
    if (auto entries = platform::listDirectory(fromWide(folder.c_str())))
        for (const platform::DirEntry& entry : *entries) names.push_back(entry.name);
    return names;
}

// Run by scripts/full-disk.sh with a small volume mounted as the user's folder.
TEST(FullDisk, DISABLED_NothingEarlierIsLostAndEveryRefusedSaveIsTold) {
    const std::wstring folder = appDataFile(L"");
    const std::u16string history = historyFilePath(ShellKind::Cmd);
    Settings live;
    std::vector<SettingsChange> unsaved;
    ASSERT_EQ(saveSettingsChange(
                  live, [](Settings& s) { setFavorite(s, u"builtin.regedit", true); }, unsaved),
              SaveOutcome::Saved);
    ASSERT_EQ(addCustomTool(u"C:\\one.exe", u""), SaveOutcome::Saved);
    for (const char16_t* command : {u"dir", u"ipconfig /all"})
        ASSERT_EQ(appendCommandHistory(history, command, kLockWaitMs), HistoryStore::Stored);
    const std::wstring files[] = {appDataFile(L"config.json"), appDataFile(L"custom-tools.json"),
                                  appDataFile(L"history-cmd.txt")};
    std::string before[3];
    for (int i = 0; i < 3; ++i) before[i] = fileBytes(files[i]);
    const std::vector<std::u16string> entries = folderEntries(folder);

    const std::wstring filler = folder + L"filler.bin";
    ASSERT_TRUE(fillDisk(filler));
    EXPECT_EQ(saveSettingsChange(
                  live, [](Settings& s) { s.theme = ThemeMode::Dark; }, unsaved),
              SaveOutcome::NotWritten);
    EXPECT_EQ(addCustomTool(u"C:\\two.exe", u""), SaveOutcome::NotWritten);
    // Longer than what is left of the file's last page: part of it is written, then cut off again.
    EXPECT_EQ(appendCommandHistory(history, std::u16string(6000, u'x'), kLockWaitMs), HistoryStore::Failed);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(fileBytes(files[i]), before[i]) << i;
    std::vector<std::u16string> now = folderEntries(folder);
    now.erase(std::remove(now.begin(), now.end(), u"filler.bin"), now.end());
    EXPECT_EQ(now, entries);  // no temporary file left behind
    EXPECT_EQ(loadCommandHistory(history).entries, (std::vector<std::u16string>{u"dir", u"ipconfig /all"}));

    // With room again, the refused setting goes into the next save.
    DeleteFileW(filler.c_str());
    EXPECT_EQ(saveSettingsChange(
                  live, [](Settings& s) { s.fontSize = 14; }, unsaved),
              SaveOutcome::Saved);
    const Settings saved = loadSettings();
    EXPECT_EQ(saved.theme, ThemeMode::Dark);
    EXPECT_EQ(saved.favorites, std::vector<std::u16string>{u"builtin.regedit"});
}

}  // namespace
