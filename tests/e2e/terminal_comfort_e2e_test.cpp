// The terminals' comfort in the real main window: history kept from window to
// window, earlier output through theme switches, and
// the theme following the system's.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "data/text.h"
#include "platform/win_text.h"
#include "terminal/command_history.h"
#include "terminal/readable_color.h"
#include "terminal/terminal.h"
#include "tests/e2e/local_window.h"
#include "tests/e2e/message_loop.h"
#include "ui/theme.h"
#include "ui/ui_text.h"

namespace {

COLORREF colorOf(HWND control, const wchar_t* word) { return formatOfText(control, word).crTextColor; }

using ComfortWindow = WindowFixture;

TEST_F(ComfortWindow, HistorySurvivesReopeningWithoutSecretsAndClearsFromTheMenu) {
    for (const char16_t* line :
         {u"echo WRKEEP1", u"echo password=hunter2", u" echo WRBLANK", u"echo WRKEEP2", u"echo WRKEEP1"})
        submit(line);
    EXPECT_EQ(cmd().history.size(), 4u);  // all of them in this session, the repeat moved to the end
    EXPECT_EQ(cmd().history.back(), u"echo WRKEEP1");
    // The answer typed to the shell's own question is the question's, not a command.
    Terminal& t = cmd();
    auto typeLine = [&t](const std::u16string& line) {
        for (char16_t c : line) SendMessageW(t.editor, WM_CHAR, WPARAM(c), 1);
        SendMessageW(t.editor, WM_KEYDOWN, VK_RETURN, 1);
    };
    pump(1000);  // the lines above all answered
    ASSERT_TRUE(waitUntil(15000, [&t] { return probeTerminal(t).atShellPrompt && !probeTerminal(t).commandRunning; }));
    typeLine(u"set /p WRPASS=Password: ");
    ASSERT_TRUE(waitUntil(15000, [&t] {
        return terminalText(t).size() > 9 && terminalText(t).substr(terminalText(t).size() - 10) == u"Password: ";
    }));
    typeLine(u"wrsecret77");
    ASSERT_TRUE(waitUntil(15000, [&t] { return !probeTerminal(t).commandRunning; }));

    close();
    open();
    EXPECT_EQ(cmd().history, (std::vector<std::u16string>{u"echo WRKEEP2", u"echo WRKEEP1"}));
    std::string file = fileBytes(cmdHistory.path);
    EXPECT_EQ(file.find("hunter2"), std::string::npos);
    EXPECT_EQ(file.find("wrsecret77"), std::string::npos) << file;
    EXPECT_EQ(file.find("WRBLANK"), std::string::npos);
    SendMessageW(cmd().editor, WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(terminalInputLine(cmd()), u"echo WRKEEP1");  // reached from the earlier window

    std::u16string asked;
    state->terminals.confirm = [&asked](const std::u16string& question) {
        asked = question;
        return true;
    };
    SendMessageW(window, WM_COMMAND, kCmdClearCommandHistory, 0);
    EXPECT_EQ(asked, uiText(kTextClearHistoryQuestion));
    EXPECT_TRUE(cmd().history.empty());
    EXPECT_EQ(fileBytes(cmdHistory.path), "");
    EXPECT_NE(windowText(state->activity.window).find(wstr(uiText(kTextHistoryCleared))), std::wstring::npos);
}

TEST_F(ComfortWindow, ThemeSwitchesKeepEarlierOutputReadable) {
    SendMessageW(window, WM_COMMAND, kCmdThemeLight, 0);
    selectTab(*state, firstTerminalPage(state->pages));
    Terminal& t = cmd();
    renderOutput(t, u"WRPLAIN \x1b[37mWRGREY\x1b[0m \x1b[31mWRRED\x1b[0m\r\n");
    appendLine(state->activity, u"WRTHEMED", state->activity.textColor);
    appendLine(state->activity, u"WRBLUE", kActionBlue);

    const Rgb white = toRgb(kLightTheme.terminalBackground);
    EXPECT_EQ(colorOf(t.editor, L"WRPLAIN"), kLightTheme.terminalText);
    EXPECT_GE(contrastRatio(toRgb(colorOf(t.editor, L"WRGREY")), white), kMinimumContrast);  // light grey darkened
    EXPECT_EQ(colorOf(t.editor, L"WRRED"), RGB(197, 15, 31));  // legible: exact

    for (int round = 0; round < 2; ++round) {
        SendMessageW(window, WM_COMMAND, kCmdThemeDark, 0);
        ASSERT_TRUE(waitUntil(10000, [&] { return !probeTerminal(t).refilling; }));
        EXPECT_EQ(colorOf(t.editor, L"WRPLAIN"), kDarkTheme.terminalText);
        EXPECT_EQ(colorOf(t.editor, L"WRGREY"), RGB(204, 204, 204));
        EXPECT_EQ(colorOf(t.editor, L"WRRED"), RGB(197, 15, 31));
        EXPECT_EQ(colorOf(state->activity.window, L"WRTHEMED"), kDarkTheme.terminalText);
        // A page's coloured line keeps its hue, in the shade that reads on the dark page.
        EXPECT_GE(
            contrastRatio(toRgb(colorOf(state->activity.window, L"WRBLUE")), toRgb(kDarkTheme.terminalBackground)),
            kTextContrast);

        SendMessageW(window, WM_COMMAND, kCmdThemeLight, 0);
        ASSERT_TRUE(waitUntil(10000, [&] { return !probeTerminal(t).refilling; }));
        EXPECT_EQ(colorOf(t.editor, L"WRPLAIN"), kLightTheme.terminalText);
        EXPECT_EQ(colorOf(state->activity.window, L"WRTHEMED"), kLightTheme.terminalText);
        EXPECT_EQ(colorOf(state->activity.window, L"WRBLUE"), kActionBlue);
    }
    // The transcript is whole and still takes input and output.
    EXPECT_NE(terminalText(t).find(u"WRPLAIN WRGREY WRRED\r\n"), std::u16string::npos);
    renderOutput(t, u"WRAFTER\r\n");
    EXPECT_EQ(colorOf(t.editor, L"WRAFTER"), kLightTheme.terminalText);
}

struct AppThemeValue {
    static constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    DWORD saved = 1;
    bool existed = false;
    AppThemeValue() {
        DWORD size = sizeof saved;
        existed = RegGetValueW(HKEY_CURRENT_USER, kKey, L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &saved,
                               &size) == ERROR_SUCCESS;
    }
    ~AppThemeValue() {
        if (existed) {
            set(saved);
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"AppsUseLightTheme");
        }
    }
    static void set(DWORD light) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"AppsUseLightTheme", REG_DWORD, &light, sizeof light);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"),
                            SMTO_ABORTIFHUNG, 2000, &ignored);
    }
};

TEST_F(ComfortWindow, FollowingTheSystemTracksTheAppThemeWhileRunning) {
    AppThemeValue value;
    AppThemeValue::set(1);
    SendMessageW(window, WM_COMMAND, kCmdThemeSystem, 0);
    EXPECT_EQ(state->theme.colors.terminalBackground, kLightTheme.terminalBackground);
    AppThemeValue::set(0);
    pump(100);
    EXPECT_EQ(state->theme.colors.terminalBackground, kDarkTheme.terminalBackground);
    EXPECT_EQ(cmd().backgroundColor, kDarkTheme.terminalBackground);
    AppThemeValue::set(1);
    pump(100);
    EXPECT_EQ(state->theme.colors.terminalBackground, kLightTheme.terminalBackground);

    SendMessageW(window, WM_COMMAND, kCmdThemeLight, 0);  // a chosen theme stays
    AppThemeValue::set(0);
    pump(100);
    EXPECT_EQ(state->theme.colors.terminalBackground, kLightTheme.terminalBackground);
}

}  // namespace
