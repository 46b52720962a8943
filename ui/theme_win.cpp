#include "ui/theme.h"

#include <commctrl.h>

#include "platform/win_handles.h"
#include "ui/assistant_tab.h"
#include "ui/main_state.h"

bool systemUsesDarkApps() {
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                      KEY_READ, &key.key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD value = 1;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key.key, L"AppsUseLightTheme", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    return type == REG_DWORD && size == sizeof value && value == 0;
}

bool themeIsDark(int themeSetting) {
    if (themeSetting == 0) return systemUsesDarkApps();
    return themeSetting == 2;
}

const ThemeColors& themeColors(bool dark) { return dark ? kDarkTheme : kLightTheme; }

void deleteThemeBrushes(MainState& state) {
    for (HBRUSH* brush : {&state.windowBrush, &state.treeBrush, &state.editBrush, &state.terminalBrush}) {
        if (*brush) DeleteObject(*brush);
        *brush = nullptr;
    }
}

void applyTheme(MainState& state) {
    const ThemeColors& colors = themeColors(themeIsDark(int(state.settings.theme)));
    state.colors = colors;
    deleteThemeBrushes(state);
    state.windowBrush = CreateSolidBrush(colors.windowBackground);
    state.treeBrush = CreateSolidBrush(colors.treeBackground);
    state.editBrush = CreateSolidBrush(colors.editBackground);
    state.terminalBrush = CreateSolidBrush(colors.terminalBackground);

    if (state.tree) {
        TreeView_SetBkColor(state.tree, colors.treeBackground);
        TreeView_SetTextColor(state.tree, colors.treeText);
        InvalidateRect(state.tree, nullptr, TRUE);
    }
    if (state.searchBox) InvalidateRect(state.searchBox, nullptr, TRUE);

    state.terminals.background = colors.terminalBackground;
    state.terminals.textColor = colors.terminalText;
    setAllTerminalsColors(state.terminals, colors.terminalBackground, colors.terminalText);

    for (LogPane* pane : {&state.activity, &state.help, &state.assistantOutput}) {
        setPaneColors(*pane, colors.terminalBackground, colors.terminalText);
    }
    setPaneColors(state.about, colors.terminalBackground, colors.terminalText);
    if (state.aboutTabOpen) fillAboutPage(state);
    setAssistantGreetingColor(state.assistant, colors.terminalText);
    if (state.assistant.input) InvalidateRect(state.assistant.input, nullptr, TRUE);
    setPanelColors(state.playbook, colors.terminalBackground, colors.terminalText);

    if (state.tabControl) InvalidateRect(state.tabControl, nullptr, TRUE);
    if (state.window) InvalidateRect(state.window, nullptr, TRUE);
}
