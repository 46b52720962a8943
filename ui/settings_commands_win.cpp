// Menu commands: settings that save at once, the Help and About pages, the
// language switch and restarting elevated.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "data/data_pack.h"
#include "platform/win_text.h"
#include "resources/version.h"
#include "ui/main_state.h"
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

bool createPage(MainState& state, LogPane& pane) {
    if (!createLogPane(pane, state.window, state.instance, state.settings.fontSize)) return false;
    setPaneColors(pane, state.colors.terminalBackground, state.colors.terminalText);
    return true;
}

void runTerminalCommand(MainState& state, int id) {
    syncTerminalTabs(state);
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

}  // namespace

void changeSettings(MainState& state, const SettingsChange& change) {
    const SaveOutcome outcome = saveSettingsChange(state.settings, change, state.unsavedSettings);
    if (outcome == SaveOutcome::Saved) return;
    const int text = outcome == SaveOutcome::NotRead ? kTextSettingsNotRead : kTextSettingsNotWritten;
    reportActivity(uiTextWith(text, {settingsPath()}), kActivityRed);
}

bool runMenuCommand(MainState& state, int id) {
    if (runKeyboardCommand(state, id)) return true;
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
    if (state.aboutTabOpen) fillAboutPage(state);
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
    setTabLabel(state, 0, uiText(kTextActivityTab));
    setTabLabel(state, 1, uiText(kTextAssistantTab));
    if (state.helpTabOpen) {
        setTabLabel(state, helpTabIndex(state), uiText(state.helpShowsMcp ? kTextMcpHelp : kTextHelpPage));
        fillHelpPage(state);
    }
    if (state.aboutTabOpen) {
        setTabLabel(state, aboutTabIndex(state), uiText(kTextAbout));
        fillAboutPage(state);
    }
    if (state.playbookTabOpen) relabelPlaybookPanel(state.playbook);
    buildMenuBar(state);
    relabelNavigation(state.navigation);
    relabelAssistant(state.assistant);
    if (state.currentTab == 1) {
        for (HWND window : {state.assistantOutput.window, state.assistant.input}) {
            if (!window) continue;
            ShowWindow(window, SW_HIDE);
            ShowWindow(window, SW_SHOW);
        }
    } else {
        if (state.assistantOutput.window) InvalidateRect(state.assistantOutput.window, nullptr, TRUE);
    }
}

void fillHelpPage(MainState& state) {
    LogPane& pane = state.help;
    clearPane(pane);
    appendLine(pane, uiText(state.helpShowsMcp ? kTextMcpDocument : kTextHelpDocument), pane.textColor);
    scrollPaneToTop(pane);
}

void showHelpPage(MainState& state) {
    if (state.helpTabOpen) {
        selectTab(state, helpTabIndex(state));
        return;
    }
    if (!createPage(state, state.help)) return;
    insertTab(state, 2, uiText(state.helpShowsMcp ? kTextMcpHelp : kTextHelpPage));
    state.helpTabOpen = true;
    syncTerminalTabs(state);
    fillHelpPage(state);
    selectTab(state, 2);
    layoutRightPane(state);
    buildMenuBar(state);
}

void closeHelpPage(MainState& state) {
    if (!state.helpTabOpen) return;
    deleteTab(state, 2);
    destroyLogPane(state.help);
    state.helpTabOpen = false;
    state.currentTab = -1;
    selectFirstTerminalOrActivity(state);
    layoutRightPane(state);
    buildMenuBar(state);
}

void toggleHelp(MainState& state, bool showMcp) {
    if (state.helpTabOpen && state.helpShowsMcp == showMcp) {
        closeHelpPage(state);
        return;
    }
    state.helpShowsMcp = showMcp;
    if (!state.helpTabOpen) {
        showHelpPage(state);
        return;
    }
    setTabLabel(state, 2, uiText(showMcp ? kTextMcpHelp : kTextHelpPage));
    fillHelpPage(state);
    selectTab(state, 2);
    buildMenuBar(state);
}

void toggleAbout(MainState& state) {
    if (state.aboutTabOpen) {
        deleteTab(state, aboutTabIndex(state));
        destroyLogPane(state.about);
        state.aboutTabOpen = false;
        state.currentTab = -1;
        selectFirstTerminalOrActivity(state);
    } else if (createPage(state, state.about)) {
        int index = aboutTabIndex(state);
        insertTab(state, index, uiText(kTextAbout));
        state.aboutTabOpen = true;
        syncTerminalTabs(state);
        fillAboutPage(state);
        selectTab(state, index);
    }
    layoutRightPane(state);
    buildMenuBar(state);
}

void fillAboutPage(MainState& state) {
    LogPane& pane = state.about;
    if (!pane.window) return;
    clearPane(pane);
    const COLORREF text = pane.textColor;
    // No box frame: CJK text is wider than a monospaced cell, so no right edge would line up.
    auto line = [&](const std::u16string& content, COLORREF color) { appendLine(pane, content, color); };
    auto gap = [&] { appendLine(pane, u" ", text); };
    line(uiText(kTextAppName) + u"  " + uiText(kTextVersion) + u" " TOOLKEEP_VERSION_TEXT " " +
             uiText(kTextInternalBuild),
         kActivityBlue);
    line(uiText(kTextAboutMaker), text);
    line(uiText(kTextAboutReleases), kHintGreen);
    gap();
    line(uiText(kTextAboutSummary), text);
    line(uiText(kTextAboutPlatform), text);
    gap();
    line(uiText(kTextToolDataVersion) + u"  " + packDataVersion(kBuiltinToolsPack) + u"  " +
             uiText(state.catalogFromEmbedded ? kTextBuiltInData : kTextExternalData),
         kHintGreen);
    line(uiText(kTextSearchDataVersion) + u"  0.0.1", kHintGreen);
    line(uiText(kTextExternalDataVersion) + u"  " + packDataVersion(kExternalToolsPack), kHintGreen);
    line(uiText(kTextPlaybookDataVersion) + u"  " + packDataVersion(kPlaybooksPack), kHintGreen);
    gap();
    line(uiText(kTextHighlights), kActivityBlue);
    for (int id : {kTextHighlightTools, kTextHighlightTerminals, kTextHighlightAssistant})
        line(u"  " + uiText(id), text);
    gap();
    line(uiText(kTextAboutPrivacy), text);
    scrollPaneToTop(pane);
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
