// The user's files under real conditions: a file another program holds open,
// files broken by hand, two windows saving at once, and saves that fail.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "data/custom_tools.h"
#include "data/files.h"
#include "data/settings.h"
#include "data/text.h"
#include "platform/win_handles.h"
#include "platform/win_text.h"
#include "terminal/readable_color.h"
#include "terminal/terminal.h"
#include "tests/e2e/exe_process.h"
#include "tests/e2e/local_window.h"
#include "tests/e2e/message_loop.h"
#include "ui/main_state.h"
#include "ui/main_window.h"
#include "ui/ui_text.h"

namespace {

constexpr DWORD kWait = 30000;
constexpr DWORD kSharingViolation = 32;

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// Holds a file open without sharing, as an editor or a backup program may.
struct HeldFile {
    HANDLE handle;
    explicit HeldFile(const std::wstring& path)
        : handle(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    void release() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
    ~HeldFile() { release(); }
};

const char kTwoTools[] =
    "{\"tools\": [\n"
    "  {\"id\": \"custom.ext-1\", \"name\": \"One\", \"type\": \"exe\", \"path\": \"C:\\\\one.exe\"},\n"
    "  {\"id\": \"custom.ext-2\", \"name\": \"Two\", \"type\": \"exe\", \"path\": \"C:\\\\two.exe\"}\n"
    "]}\n";

// --- the window inside this process --------------------------------------------

class SavingWindow : public WindowFixture {
protected:
    KeptFile customTools{appDataFile(L"custom-tools.json")};
    KeptFile configCopy{appDataFile(L"config.json.bad")};
    KeptFile toolsCopy{appDataFile(L"custom-tools.json.bad")};
    KeptFile toolsSecondCopy{appDataFile(L"custom-tools.json.bad-2")};

    // Each test writes its files first, then opens the window.
    void SetUp() override {
        CreateDirectoryW(appDataFile(L"").c_str(), nullptr);  // a fresh profile has no folder yet
        for (const KeptFile* file : {&config, &customTools, &configCopy, &toolsCopy, &toolsSecondCopy})
            DeleteFileW(file->path.c_str());
        useTheExesDataPacks();
    }
    // Whether the Activity page holds the line, written in red.
    bool hasRedLine(const std::u16string& line) {
        const COLORREF color = formatOfText(state->activity.window, wide(line).c_str()).crTextColor;
        // Red as the page shows it: the shade of it that reads on the page's background.
        return color == readableColorref(kFailureRed, state->activity.backgroundColor, kTextContrast);
    }
};

TEST_F(SavingWindow, FilesHeldByAnotherProgramAreReportedAndNeverSavedOver) {
    const std::string configBytes = "{\n  \"fontSize\": 14,\n  \"favorites\": [\"builtin.cmd\"]\n}\n";
    ASSERT_TRUE(writeWholeFile(fromWide(config.path.c_str()), configBytes));
    ASSERT_TRUE(writeWholeFile(fromWide(customTools.path.c_str()), kTwoTools));
    HeldFile heldConfig(config.path), heldTools(customTools.path);
    ASSERT_NE(heldConfig.handle, INVALID_HANDLE_VALUE);
    ASSERT_NE(heldTools.handle, INVALID_HANDLE_VALUE);
    open();
    ASSERT_NE(state, nullptr);
    const std::u16string sharing = asciiToWide(std::to_string(kSharingViolation));
    EXPECT_TRUE(hasRedLine(uiTextWith(kTextFileUnreadable, {settingsPath(), sharing}))) << wide(activityText());
    EXPECT_TRUE(hasRedLine(uiTextWith(kTextFileUnreadable, {customToolsPath(), sharing})));

    // A settings command, a favourite, removing and adding a custom tool: all refused, all told.
    SendMessageW(window, WM_COMMAND, kCmdThemeDark, 0);
    EXPECT_EQ(lastActivityLine(), uiTextWith(kTextSettingsNotRead, {settingsPath()}));
    EXPECT_TRUE(hasRedLine(lastActivityLine()));
    state->navigation.state.contextTool = catalogIndex(u"builtin.cmd");
    ASSERT_GE(state->navigation.state.contextTool, 0);
    SendMessageW(window, WM_COMMAND, kToolMenuFavorite, 0);
    EXPECT_EQ(lastActivityLine(), uiTextWith(kTextSettingsNotRead, {settingsPath()}));

    ToolRecord shown;
    shown.id = u"custom.ext-1";
    shown.name = u"One";
    shown.isCustom = true;
    state->catalog.tools.push_back(shown);
    removeCustomToolAt(*state, int64_t(state->catalog.tools.size() - 1));
    EXPECT_EQ(lastActivityLine(), uiTextWith(kTextCustomToolNotRemoved, {u"One", customToolsPath()}));
    EXPECT_TRUE(hasRedLine(lastActivityLine()));

    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring warning;
    int answered = 0;
    const std::wstring program = std::wstring(system) + L"\\notepad.exe";
    std::thread answerer = answerInOrder({{wide(uiText(kTextChooseProgramTitle)), IDOK, program},
                                          {wide(uiText(kTextLaunchArgumentsTitle)), IDOK, L""},
                                          {wide(uiText(kTextAddCustomToolTitle)), IDOK, L"", &warning}},
                                         &answered);
    SendMessageW(window, WM_COMMAND, kCmdAddCustomTool, 0);
    answerer.join();
    EXPECT_NE(warning.find(wide(uiTextWith(kTextCustomToolsNotRead, {customToolsPath()}))), std::wstring::npos)
        << warning;

    heldConfig.release();
    heldTools.release();
    EXPECT_EQ(fileBytes(config.path), configBytes);
    EXPECT_EQ(fileBytes(customTools.path), kTwoTools);
    for (const wchar_t* stray :
         {L"config.json.tmp", L"config.json.bad", L"custom-tools.json.tmp", L"custom-tools.json.bad"}) {
        EXPECT_FALSE(exists(appDataFile(stray))) << stray;
    }

    // Once the file is free again, a change goes on top of what it holds.
    SendMessageW(window, WM_COMMAND, kCmdThemeLight, 0);
    Settings saved = loadSettings();
    EXPECT_EQ(saved.theme, ThemeMode::Light);
    EXPECT_EQ(saved.fontSize, 14);
    EXPECT_EQ(saved.favorites, std::vector<std::u16string>{u"builtin.cmd"});
}

TEST_F(SavingWindow, BrokenFilesAreReportedWithWhereTheOriginalIsKept) {
    const std::string truncated = "{\n  \"fontSize\": 14,\n  \"favor";
    const std::string trailingComma = "{\"tools\": [{\"id\": \"mine\", \"name\": \"Mine\", \"path\": \"m.exe\"},]}";
    ASSERT_TRUE(writeWholeFile(fromWide(config.path.c_str()), truncated));
    ASSERT_TRUE(writeWholeFile(fromWide(customTools.path.c_str()), trailingComma));
    ASSERT_TRUE(writeWholeFile(fromWide(toolsCopy.path.c_str()), "an earlier copy"));
    open();
    ASSERT_NE(state, nullptr);
    EXPECT_TRUE(hasRedLine(uiTextWith(kTextFileBrokenKept, {settingsPath(), settingsPath() + u".bad"})))
        << wide(activityText());
    EXPECT_TRUE(hasRedLine(uiTextWith(kTextFileBrokenKept, {customToolsPath(), customToolsPath() + u".bad-2"})));
    EXPECT_EQ(fileBytes(configCopy.path), truncated);
    EXPECT_EQ(fileBytes(toolsSecondCopy.path), trailingComma);
    EXPECT_EQ(fileBytes(toolsCopy.path), "an earlier copy");
    // the originals stay until the first save
    EXPECT_EQ(fileBytes(config.path), truncated);
    SendMessageW(window, WM_COMMAND, kCmdThemeDark, 0);
    EXPECT_EQ(loadSettings().theme, ThemeMode::Dark);
    EXPECT_FALSE(exists(appDataFile(L"config.json.bad-2")));
}

// Notepad on older Windows saved in the ANSI code page: the names must come
// through the system's conversion, never as U+FFFD, and be saved as UTF-8.
TEST_F(SavingWindow, LegacyCodePageCustomToolsKeepTheirNames) {
    // é in the machine's code page: 1252, or 936 (where a lone 0xE9 begins a character)
    const std::string latin = GetACP() == 936 ? "Caf\xA8\xA6" : "Caf\xE9";
    const std::string chinese = "\xCD\xF8\xC2\xE7";  // 网络 in code page 936
    ASSERT_TRUE(writeWholeFile(fromWide(customTools.path.c_str()),
                               "{\"tools\": [{\"id\": \"legacy.1\", \"name\": \"" + latin +
                                   "\", \"path\": \"C:\\\\a.exe\"}, {\"id\": \"legacy.2\", \"name\": \"" + chinese +
                                   "\", \"path\": \"C:\\\\b.exe\"}]}"));
    open();
    ASSERT_NE(state, nullptr);
    const int64_t first = catalogIndex(u"legacy.1"), second = catalogIndex(u"legacy.2");
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    const std::u16string latinName = state->catalog.tools[size_t(first)].name;
    const std::u16string chineseName = state->catalog.tools[size_t(second)].name;
    EXPECT_EQ(latinName.find(u'\uFFFD'), std::u16string::npos);
    EXPECT_EQ(chineseName.find(u'\uFFFD'), std::u16string::npos);
    if (GetACP() == 1252 || GetACP() == 936) {
        EXPECT_EQ(latinName, u"Caf\u00E9");
    }
    if (GetACP() == 936) {
        EXPECT_EQ(chineseName, u"网络");
    }
    EXPECT_TRUE(activityText().empty()) << wide(activityText());  // a legacy file is no broken file

    // the next save writes both names as UTF-8
    ASSERT_EQ(removeCustomTool(u"nothing-by-this-id"), SaveOutcome::Saved);
    const std::string saved = fileBytes(customTools.path);
    EXPECT_NE(saved.find(wideToUtf8(latinName)), std::string::npos);
    EXPECT_NE(saved.find(wideToUtf8(chineseName)), std::string::npos);
    EXPECT_FALSE(exists(toolsCopy.path));
}

TEST_F(SavingWindow, FailedTranscriptSaveIsReportedAndLeavesTheOldFile) {
    open();
    ASSERT_NE(state, nullptr);
    ASSERT_FALSE(state->terminals.terminals.empty());
    Terminal& terminal = *state->terminals.terminals[0].terminal;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"toolkeep-e2e-transcript.txt";
    KeptFile transcript(path);
    ASSERT_TRUE(writeWholeFile(fromWide(path.c_str()), "an older transcript"));
    {
        HeldFile held(path);
        EXPECT_FALSE(saveTranscript(terminal, fromWide(path.c_str())));
    }
    EXPECT_EQ(lastActivityLine(), uiTextWith(kTextOutputNotSaved, {fromWide(path.c_str())}));
    EXPECT_TRUE(hasRedLine(lastActivityLine()));
    EXPECT_EQ(fileBytes(path), "an older transcript");
    EXPECT_FALSE(exists(path + L".tmp"));
    EXPECT_TRUE(saveTranscript(terminal, fromWide(path.c_str())));
    EXPECT_EQ(fileBytes(path).rfind("\xEF\xBB\xBF", 0), 0u);
}

// --- two real windows ----------------------------------------------------------

BOOL CALLBACK findTree(HWND child, LPARAM param) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (lstrcmpW(name, WC_TREEVIEWW) != 0) return TRUE;
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
}

BOOL CALLBACK findPopupMenu(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<std::pair<DWORD, HWND>*>(param);
    wchar_t name[16] = {};
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->first || !IsWindowVisible(window) || !GetClassNameW(window, name, 16)) return TRUE;
    if (lstrcmpW(name, L"#32768") != 0) return TRUE;
    search->second = window;
    return FALSE;
}

struct RunningWindow : RunningExe {
    HWND tree = nullptr;
    HWND searchBox = nullptr;
    RunningWindow() : RunningExe(kWait) {
        if (!ready) return;
        EnumChildWindows(window, findTree, reinterpret_cast<LPARAM>(&tree));
        searchBox = GetDlgItem(window, kSearchBoxId);
    }

    HTREEITEM next(HTREEITEM item, WPARAM how) {
        return HTREEITEM(SendMessageW(tree, TVM_GETNEXTITEM, how, LPARAM(item)));
    }
    // Searches for the file name, right-clicks the first tool found as the mouse would,
    // leaves the context menu with Escape and then chooses its favourite entry.
    bool favourite(const wchar_t* fileName) {
        SendMessageW(searchBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileName));
        HTREEITEM section = next(nullptr, TVGN_ROOT);  // the results end with the section of tools
        while (HTREEITEM after = next(section, TVGN_NEXT)) section = after;
        HTREEITEM item = next(section, TVGN_CHILD);
        if (!item) return false;
        SendMessageW(tree, TVM_ENSUREVISIBLE, 0, LPARAM(item));
        ScopedRemoteMemory buffer(process.info.hProcess, sizeof(RECT));
        RECT rect = {};
        std::memcpy(&rect, &item, sizeof item);  // the item goes in, its rectangle comes out
        WriteProcessMemory(process.info.hProcess, buffer.address, &rect, sizeof rect, nullptr);
        if (!SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(buffer.address))) return false;
        ReadProcessMemory(process.info.hProcess, buffer.address, &rect, sizeof rect, nullptr);
        POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        POINT screen = point;
        ClientToScreen(tree, &screen);
        SetCursorPos(screen.x, screen.y);
        PostMessageW(tree, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(point.x, point.y));
        PostMessageW(tree, WM_RBUTTONUP, 0, MAKELPARAM(point.x, point.y));
        std::pair<DWORD, HWND> popup{process.info.dwProcessId, nullptr};
        for (DWORD start = GetTickCount(); !popup.second && GetTickCount() - start < kWait; Sleep(20))
            EnumWindows(findPopupMenu, reinterpret_cast<LPARAM>(&popup));
        if (!popup.second) return false;
        PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        for (DWORD start = GetTickCount(); IsWindowVisible(popup.second) && GetTickCount() - start < kWait;) Sleep(20);
        command(kToolMenuFavorite);
        return true;
    }
};

TEST(TwoWindows, BothWindowsFavouritesAndSettingsSurvive) {
    KeptFile config(appDataFile(L"config.json"));
    CreateDirectoryW(appDataFile(L"").c_str(), nullptr);
    DeleteFileW(config.path.c_str());
    RunningWindow first;
    RunningWindow second;
    ASSERT_NE(first.tree, nullptr);
    ASSERT_NE(second.tree, nullptr);

    ASSERT_TRUE(first.favourite(L"regedit.exe"));
    ASSERT_TRUE(second.favourite(L"notepad.exe"));
    first.command(kCmdThemeDark);
    second.command(kCmdFontSizeBase + 16);
    Settings saved = loadSettings();
    EXPECT_EQ(saved.favorites, (std::vector<std::u16string>{u"builtin.regedit", u"builtin.notepad"}));
    EXPECT_EQ(saved.theme, ThemeMode::Dark);
    EXPECT_EQ(saved.fontSize, 16);

    // Removing a favourite in one window keeps the one the other window added.
    ASSERT_TRUE(first.favourite(L"regedit.exe"));
    EXPECT_EQ(loadSettings().favorites, std::vector<std::u16string>{u"builtin.notepad"});
}

}  // namespace
