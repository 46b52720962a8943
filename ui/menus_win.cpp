// The menu bar, rebuilt from scratch so that check marks and grey items follow the state.
#include "ui/menus.h"

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
    addItem(menu, kCmdLaunchSingleClick, uiText(kTextLaunchOnSingleClick), int(s.clickBehavior) <= 0);
    addItem(menu, kCmdLaunchDoubleClick, uiText(kTextLaunchOnDoubleClick), int(s.clickBehavior) > 0);
    addSeparator(menu);
    addItem(menu, kCmdShellCmd, uiText(kTextDefaultShellCmd), int(s.defaultShell) <= 0);
    addItem(menu, kCmdShellPowerShell, uiText(kTextDefaultShellPowerShell), int(s.defaultShell) > 0);
    addSeparator(menu);

    HMENU appearance = CreatePopupMenu();
    addItem(appearance, kCmdThemeSystem, uiText(kTextThemeSystem), int(s.theme) <= 0);
    addItem(appearance, kCmdThemeLight, uiText(kTextThemeLight), int(s.theme) == 1);
    addItem(appearance, kCmdThemeDark, uiText(kTextThemeDark), int(s.theme) == 2);
    addSubmenu(menu, appearance, uiText(kTextAppearance));

    HMENU fontSizes = CreatePopupMenu();
    for (size_t i = 0; i < std::size(kFontSizes); ++i) {
        const int size = kFontSizes[i];
        addItem(fontSizes, kCmdFontSizeBase + size, fontSizeLabel(i, size), s.fontSize == size);
    }
    addSubmenu(menu, fontSizes, uiText(kTextTerminalFontSize));
    addItem(menu, kCmdShowFileNames, uiText(kTextShowToolFileNames), s.showFileName);
    addItem(menu, kCmdQuickEdit, uiText(kTextTerminalQuickEdit), s.quickEdit);
    bool elevated = isElevated();
    addItem(menu, kCmdRestartElevated, uiText(kTextRestartAsAdministrator), elevated, elevated);
    addSeparator(menu);

    HMENU language = CreatePopupMenu();
    addItem(language, kCmdLanguageChinese, uiText(kTextChinese), int(s.language) <= 0);
    addItem(language, kCmdLanguageEnglish, uiText(kTextEnglish), int(s.language) == 1);
    addSubmenu(menu, language, uiText(kTextLanguage));
    return menu;
}

HMENU toolsMenu() {
    HMENU menu = CreatePopupMenu();
    addItem(menu, kCmdAddCustomTool, uiText(kTextAddCustomToolMenu));
    addItem(menu, kCmdRemoveSelectedCustomTool, uiText(kTextRemoveSelectedCustomTool));
    addSeparator(menu);
    addItem(menu, kCmdSaveSessionReport, uiText(kTextSaveReportMenuItem));
    return menu;
}

HMENU terminalMenu(const MainState& state) {
    HMENU menu = CreatePopupMenu();
    addItem(menu, kCmdNewCmd, uiText(kTextNewCmdTerminal) + u"\tCtrl+Shift+1");
    addItem(menu, kCmdNewPowerShell, uiText(kTextNewPowerShellTerminal) + u"\tCtrl+Shift+2");
    HMENU named = CreatePopupMenu();
    addItem(named, kCmdNewNamedCmd, u"&CMD…");
    addItem(named, kCmdNewNamedPowerShell, u"&PowerShell…");
    addSubmenu(menu, named, uiText(kTextNewNamedTerminal));
    addSeparator(menu);
    const Page* front = pageAt(state.pages, state.currentTab);
    const bool terminalInFront = front && front->kind == PageKind::Terminal;
    addItem(menu, kCmdRenameTerminal, uiText(kTextRenameTerminal), false, !terminalInFront);
    addItem(menu, kCmdCloseTerminal, uiText(kTextCloseTerminal) + u"\tCtrl+Shift+W", false,
            !(terminalInFront && state.terminals.terminals.size() > 1));
    addSeparator(menu);
    addItem(menu, kCmdStopCommand, uiText(kTextStopCommandMenuItem) + u"\tCtrl+Break", false, !terminalInFront);
    addItem(menu, kCmdRestartShell, uiText(kTextRestartShell), false, !terminalInFront);
    addSeparator(menu);
    addItem(menu, kCmdClearCommandHistory, uiText(kTextClearHistory) + u"…");
    return menu;
}

HMENU helpMenu(const MainState& state) {
    HMENU menu = CreatePopupMenu();
    addItem(menu, kCmdHelp, uiText(kTextHelpMenuItem), hasPage(state.pages, PageKind::Help) && !state.helpShowsMcp);
    addItem(menu, kCmdMcpHelp, uiText(kTextMcpMenuItem), hasPage(state.pages, PageKind::Help) && state.helpShowsMcp);
    addItem(menu, kCmdAbout, uiText(kTextAboutMenuItem), hasPage(state.pages, PageKind::About));
    return menu;
}

}  // namespace

void buildMenuBar(MainState& state) {
    if (!state.window) return;
    HMENU bar = CreateMenu();
    addSubmenu(bar, settingsMenu(state), uiText(kTextMenuSettings));
    addSubmenu(bar, toolsMenu(), uiText(kTextMenuTools));
    addSubmenu(bar, terminalMenu(state), uiText(kTextMenuTerminal));
    addSubmenu(bar, helpMenu(state), uiText(kTextMenuHelp));
    HMENU old = GetMenu(state.window);
    SetMenu(state.window, bar);
    if (old) DestroyMenu(old);
    DrawMenuBar(state.window);
}
