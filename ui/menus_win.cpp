// The menu bar, rebuilt from scratch so that check marks and grey items follow the state.
#include <iterator>
#include <string>

#include "platform/win_text.h"
#include "ui/main_state.h"
#include "ui/ui_text.h"

namespace {

constexpr int kFontSizes[] = {9, 10, 11, 12, 14, 16, 18, 20, 24};

// The sizes are numbers that share their digits, so each takes its place in
// the list (1 to 9) as its access key, as numbered lists in Windows menus do.
std::u16string fontSizeLabel(size_t position, int points) {
    std::string digits = std::to_string(points);
    std::u16string label = u"&";
    label += char16_t(u'1' + position);
    label += u"  ";
    label.append(digits.begin(), digits.end());
    return label + u" pt";
}
static_assert(std::size(kFontSizes) <= 9, "every font size needs a one-digit access key");

void addItem(HMENU menu, int id, const std::u16string& label, bool ticked = false, bool disabled = false) {
    UINT flags = MF_STRING | (ticked ? MF_CHECKED : MF_UNCHECKED) | (disabled ? MF_GRAYED : MF_ENABLED);
    AppendMenuW(menu, flags, UINT_PTR(id), wstr(label));
}

void addSubmenu(HMENU menu, HMENU submenu, const std::u16string& label) {
    AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu), wstr(label));
}

void addSeparator(HMENU menu) { AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); }

HMENU settingsMenu(const MainState& state) {
    const Settings& s = state.settings;
    HMENU menu = CreatePopupMenu();
    addItem(menu, kCmdLaunchSingleClick, uiText(4), int(s.clickBehavior) <= 0);
    addItem(menu, kCmdLaunchDoubleClick, uiText(5), int(s.clickBehavior) > 0);
    addSeparator(menu);
    addItem(menu, kCmdShellCmd, uiText(6), int(s.defaultShell) <= 0);
    addItem(menu, kCmdShellPowerShell, uiText(7), int(s.defaultShell) > 0);
    addSeparator(menu);

    HMENU appearance = CreatePopupMenu();
    addItem(appearance, kCmdThemeSystem, uiText(9), int(s.theme) <= 0);
    addItem(appearance, kCmdThemeLight, uiText(10), int(s.theme) == 1);
    addItem(appearance, kCmdThemeDark, uiText(11), int(s.theme) == 2);
    addSubmenu(menu, appearance, uiText(8));

    HMENU fontSizes = CreatePopupMenu();
    for (size_t i = 0; i < std::size(kFontSizes); ++i) {
        const int size = kFontSizes[i];
        addItem(fontSizes, kCmdFontSizeBase + size, fontSizeLabel(i, size), s.fontSize == size);
    }
    addSubmenu(menu, fontSizes, uiText(12));
    addItem(menu, kCmdShowFileNames, uiText(13), s.showFileName);
    addItem(menu, kCmdQuickEdit, uiText(14), s.quickEdit);
    bool elevated = isElevated();
    addItem(menu, kCmdRestartElevated, uiText(15), elevated, elevated);
    addSeparator(menu);

    HMENU language = CreatePopupMenu();
    addItem(language, kCmdLanguageChinese, uiText(79), int(s.language) <= 0);
    addItem(language, kCmdLanguageEnglish, uiText(80), int(s.language) == 1);
    addSubmenu(menu, language, uiText(78));
    return menu;
}

HMENU toolsMenu() {
    HMENU menu = CreatePopupMenu();
    addItem(menu, kCmdAddCustomTool, uiText(17));
    addItem(menu, kCmdRemoveSelectedCustomTool, uiText(18));
    addSeparator(menu);
    addItem(menu, kCmdSaveSessionReport, uiText(284));
    return menu;
}

HMENU terminalMenu(const MainState& state) {
    HMENU menu = CreatePopupMenu();
    addItem(menu, kCmdNewCmd, uiText(20) + u"\tCtrl+Shift+1");
    addItem(menu, kCmdNewPowerShell, uiText(21) + u"\tCtrl+Shift+2");
    HMENU named = CreatePopupMenu();
    addItem(named, kCmdNewNamedCmd, u"&CMD…");
    addItem(named, kCmdNewNamedPowerShell, u"&PowerShell…");
    addSubmenu(menu, named, uiText(22));
    addSeparator(menu);
    bool terminalInFront = state.currentTab >= fixedTabCount(state);
    addItem(menu, kCmdRenameTerminal, uiText(23), false, !terminalInFront);
    addItem(menu, kCmdCloseTerminal, uiText(24) + u"\tCtrl+Shift+W", false, !(terminalInFront && terminalTabCount(state) > 1));
    addSeparator(menu);
    addItem(menu, kCmdStopCommand, uiText(283) + u"\tCtrl+Break", false, !terminalInFront);
    addItem(menu, kCmdRestartShell, uiText(kTextRestartShell), false, !terminalInFront);
    addSeparator(menu);
    addItem(menu, kCmdClearCommandHistory, uiText(kTextClearHistory) + u"…");
    return menu;
}

HMENU helpMenu(const MainState& state) {
    HMENU menu = CreatePopupMenu();
    addItem(menu, kCmdHelp, uiText(280), state.helpTabOpen && !state.helpShowsMcp);
    addItem(menu, kCmdMcpHelp, uiText(281), state.helpTabOpen && state.helpShowsMcp);
    addItem(menu, kCmdAbout, uiText(282), state.aboutTabOpen);
    return menu;
}

}  // namespace

void buildMenuBar(MainState& state) {
    if (!state.window) return;
    HMENU bar = CreateMenu();
    addSubmenu(bar, settingsMenu(state), uiText(3));
    addSubmenu(bar, toolsMenu(), uiText(16));
    addSubmenu(bar, terminalMenu(state), uiText(19));
    addSubmenu(bar, helpMenu(state), uiText(75));
    HMENU old = GetMenu(state.window);
    SetMenu(state.window, bar);
    if (old) DestroyMenu(old);
    DrawMenuBar(state.window);
}
