// Menu commands: settings that save at once, the page commands, the
// language switch and restarting elevated.
#include "ui/settings_commands.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "data/data_pack.h"
#include "platform/win_text.h"
#include "resources/version.h"
#include "ui/activity.h"
#include "ui/custom_tool_dialogs.h"
#include "ui/help_pages.h"
#include "ui/keyboard.h"
#include "ui/main_state.h"
#include "ui/menus.h"
#include "ui/session_report.h"
#include "ui/settings_change.h"
#include "ui/themed_controls.h"
#include "ui/ui_text.h"

namespace {

void changeAndRebuildMenu(MainState& state, const SettingsChange& change) {
    changeSettings(state, change);
    buildMenuBar(state);
}

void setTheme(MainState& state, ThemeMode theme) {
    changeAndRebuildMenu(state, [theme](Settings& s) { s.theme = theme; });
    applyTheme(state);
}

void runTerminalCommand(MainState& state, int id) {
    TerminalTabs& tabs = state.terminals;
    switch (id) {
        case kCmdNewCmd: openNewTerminal(tabs, ShellKind::Cmd); break;
        case kCmdNewPowerShell: openNewTerminal(tabs, ShellKind::PowerShell); break;
        case kCmdNewNamedCmd: openNamedTerminal(tabs, ShellKind::Cmd); break;
        case kCmdNewNamedPowerShell: openNamedTerminal(tabs, ShellKind::PowerShell); break;
        case kCmdRenameTerminal: renameCurrentTerminal(tabs); break;
        case kCmdCloseTerminal: closeCurrentTerminal(tabs); break;
        case kCmdStopCommand: stopCommandInCurrentTerminal(tabs); break;
        case kCmdRestartShell: restartShellInCurrentTerminal(tabs); break;
        case kCmdClearCommandHistory: clearCommandHistoryEverywhere(tabs); break;
    }
    buildMenuBar(state);
}

// The same paths as the menu and the tabs' own close: a busy terminal asks
// first, the last terminal and the two fixed pages stay.
void closeCurrentPage(MainState& state) {
    const Page* page = pageAt(state.pages, state.currentTab);
    if (!page) return;
    switch (page->kind) {
        case PageKind::Terminal: runMenuCommand(state, kCmdCloseTerminal); break;
        case PageKind::Help: closeHelpPage(state); break;
        case PageKind::About: toggleAbout(state); break;
        case PageKind::Playbook:
            if (state.playbook.close) state.playbook.close();
            break;
        case PageKind::Activity:
        case PageKind::Assistant: break;
    }
}

}  // namespace

bool runMenuCommand(MainState& state, int id) {
    if (runKeyboardCommand(state, id)) return true;
    if (id == kCmdCloseCurrentPage) {
        closeCurrentPage(state);
        return true;
    }
    Settings& s = state.settings;
    switch (id) {
        case kCmdLaunchSingleClick:
        case kCmdLaunchDoubleClick: {
            const ClickBehavior click = id == kCmdLaunchSingleClick ? ClickBehavior::Single : ClickBehavior::Double;
            changeAndRebuildMenu(state, [click](Settings& record) { record.clickBehavior = click; });
            return true;
        }
        case kCmdShellCmd:
        case kCmdShellPowerShell: {
            const ShellKind shell = id == kCmdShellCmd ? ShellKind::Cmd : ShellKind::PowerShell;
            changeAndRebuildMenu(state, [shell](Settings& record) { record.defaultShell = shell; });
            return true;
        }
        case kCmdThemeSystem: setTheme(state, ThemeMode::System); return true;
        case kCmdThemeLight: setTheme(state, ThemeMode::Light); return true;
        case kCmdThemeDark: setTheme(state, ThemeMode::Dark); return true;
        case kCmdShowFileNames: {
            const bool show = !s.showFileName;
            changeAndRebuildMenu(state, [show](Settings& record) { record.showFileName = show; });
            rebuildTree(state.navigation);
            return true;
        }
        case kCmdQuickEdit: {
            const bool quickEdit = !s.quickEdit;
            state.terminals.quickEdit = quickEdit;
            changeAndRebuildMenu(state, [quickEdit](Settings& record) { record.quickEdit = quickEdit; });
            setAllTerminalsQuickEdit(state.terminals, quickEdit);
            return true;
        }
        case kCmdLanguageChinese: switchLanguage(state, 0); return true;
        case kCmdLanguageEnglish: switchLanguage(state, 1); return true;
        case kCmdAddCustomTool: addCustomToolInteractive(state); return true;
        case kCmdRemoveSelectedCustomTool: removeSelectedCustomTool(state); return true;
        case kCmdHelp: toggleHelp(state, false); return true;
        case kCmdMcpHelp: toggleHelp(state, true); return true;
        case kCmdAbout: toggleAbout(state); return true;
        case kCmdNewCmd:
        case kCmdNewPowerShell:
        case kCmdNewNamedCmd:
        case kCmdNewNamedPowerShell:
        case kCmdRenameTerminal:
        case kCmdCloseTerminal:
        case kCmdStopCommand:
        case kCmdRestartShell:
        case kCmdClearCommandHistory: runTerminalCommand(state, id); return true;
        case kCmdRestartElevated: restartAsAdministrator(state); return true;
        case kCmdSaveSessionReport: saveSessionReport(state); return true;
    }
    if (id >= kCmdFontSizeBase && id < kCmdFontSizeBase + 100) {
        changeFontSize(state, id - kCmdFontSizeBase);
        return true;
    }
    return handleToolMenuCommand(state.navigation, state.window, id);
}

void changeFontSize(MainState& state, int points) {
    changeSettings(state, [points](Settings& s) { s.fontSize = points; });
    state.terminals.fontSize = state.settings.fontSize;
    setAllTerminalsFont(state.terminals, points);
    for (LogPane* pane : {&state.activity, &state.help, &state.about, &state.assistantOutput}) {
        setPaneFont(*pane, points);
    }
    if (hasPage(state.pages, PageKind::About)) fillAboutPage(state);
    if (points >= 1) setPanelTextFont(state.playbook, points);
    if (state.playbook.window) InvalidateRect(state.playbook.window, nullptr, TRUE);
    buildMenuBar(state);
}

void switchLanguage(MainState& state, int language) {
    if (language != 1) language = 0;
    if (int(state.settings.language) == language) return;
    const Language chosen = language == 1 ? Language::EnUS : Language::ZhCN;
    setUiLanguage(language);
    changeSettings(state, [chosen](Settings& s) { s.language = chosen; });
    updateTitle(state.window);
    SendMessageW(state.searchBox, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(wstr(uiText(kTextSearchCue))));
    PageList& pages = state.pages;
    // The relabelled strip starts without the unseen-entries dot, as after a look at the page.
    markPage(pages, pageIndex(pages, PageKind::Activity), false);
    setPageTitle(pages, pageIndex(pages, PageKind::Activity), uiText(kTextActivityTab));
    setPageTitle(pages, pageIndex(pages, PageKind::Assistant), uiText(kTextAssistantTab));
    relabelHelpPages(state);
    if (hasPage(pages, PageKind::Playbook)) relabelPlaybookPanel(state.playbook);
    buildMenuBar(state);
    relabelNavigation(state.navigation);
    relabelAssistant(state.assistant);
    if (state.currentTab == pageIndex(pages, PageKind::Assistant)) {
        for (HWND window : {state.assistantOutput.window, state.assistant.input}) {
            if (!window) continue;
            ShowWindow(window, SW_HIDE);
            ShowWindow(window, SW_SHOW);
        }
    } else {
        if (state.assistantOutput.window) InvalidateRect(state.assistantOutput.window, nullptr, TRUE);
    }
}

void restartAsAdministrator(MainState& state) {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.lpVerb = L"runas";
    info.lpFile = path;
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info)) DestroyWindow(state.window);
}
