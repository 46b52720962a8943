// The main window's state: one record for the life of the window.
#pragma once

#include <windows.h>

#include <string>

#include "data/settings.h"
#include "data/window_placement.h"
#include "launcher/catalog.h"
#include "playbooks/playbook_panel.h"
#include "report/session_log.h"
#include "terminal/terminal_tabs.h"
#include "ui/assistant_tab.h"
#include "ui/log_pane.h"
#include "ui/main_window.h"
#include "ui/navigation_pane.h"
#include "ui/theme.h"

constexpr int kSearchBoxId = 2001;

// Menu and context-menu command ids.
enum MenuCommand : int {
    kCmdLaunchSingleClick = 1001,
    kCmdLaunchDoubleClick = 1002,
    kCmdShellCmd = 1003,
    kCmdShellPowerShell = 1004,
    kCmdAddCustomTool = 1005,
    kCmdRemoveSelectedCustomTool = 1006,
    kCmdHelp = 1007,
    kCmdMcpHelp = 1008,
    kCmdAbout = 1009,
    kCmdNewCmd = 1010,
    kCmdNewPowerShell = 1011,
    kCmdNewNamedCmd = 1012,
    kCmdNewNamedPowerShell = 1013,
    kCmdRenameTerminal = 1014,
    kCmdCloseTerminal = 1015,
    kCmdThemeSystem = 1021,
    kCmdThemeLight = 1022,
    kCmdThemeDark = 1023,
    kCmdLanguageChinese = 1024,
    kCmdLanguageEnglish = 1025,
    kCmdShowFileNames = 1026,
    kCmdQuickEdit = 1027,
    kCmdRestartElevated = 1028,
    kCmdStopCommand = 1035,
    kCmdRestartShell = 1036,
    kCmdClearCommandHistory = 1037,
    kCmdSaveSessionReport = 1038,
    // Keyboard shortcuts without a menu item of their own.
    kCmdNextTab = 1061,
    kCmdPreviousTab = 1062,
    kCmdCloseCurrentPage = 1063,
    kCmdFocusSearch = 1064,
    kCmdNextPane = 1065,
    kCmdPreviousPane = 1066,
    kCmdFontSizeBase = 1200,
};

// The tree's context-menu commands come to the same handler, after these.
constexpr bool isWindowCommand(int id) {
    for (int command : {kCmdLaunchSingleClick, kCmdLaunchDoubleClick, kCmdShellCmd, kCmdShellPowerShell,
                        kCmdAddCustomTool, kCmdRemoveSelectedCustomTool, kCmdHelp, kCmdMcpHelp, kCmdAbout, kCmdNewCmd,
                        kCmdNewPowerShell, kCmdNewNamedCmd, kCmdNewNamedPowerShell, kCmdRenameTerminal,
                        kCmdCloseTerminal, kCmdThemeSystem, kCmdThemeLight, kCmdThemeDark, kCmdLanguageChinese,
                        kCmdLanguageEnglish, kCmdShowFileNames, kCmdQuickEdit, kCmdRestartElevated, kCmdStopCommand,
                        kCmdRestartShell, kCmdClearCommandHistory, kCmdSaveSessionReport, kCmdNextTab,
                        kCmdPreviousTab, kCmdCloseCurrentPage, kCmdFocusSearch, kCmdNextPane, kCmdPreviousPane})
        if (command == id) return true;
    return false;
}
static_assert(!isWindowCommand(kToolMenuLaunch) && !isWindowCommand(kToolMenuRunAsAdmin) &&
                  !isWindowCommand(kToolMenuRemove) && !isWindowCommand(kToolMenuDesktop) &&
                  !isWindowCommand(kToolMenuPin) && !isWindowCommand(kToolMenuOpenLocation) &&
                  !isWindowCommand(kToolMenuFavorite) && !isWindowCommand(kToolMenuDownload),
              "a tree context-menu command would run a window command instead");

struct MainState {
    HWND window = nullptr;
    HINSTANCE instance = nullptr;
    Settings settings;
    int leftWidth = 300;
    bool splitterDragging = false;
    int currentTab = -1;
    bool helpTabOpen = false;
    bool helpShowsMcp = false;
    bool aboutTabOpen = false;
    bool playbookTabOpen = false;
    TerminalTabs terminals;
    ThemeColors colors = kLightTheme;
    HBRUSH windowBrush = nullptr;
    HBRUSH treeBrush = nullptr;
    HBRUSH editBrush = nullptr;
    HBRUSH terminalBrush = nullptr;
    HFONT uiFont = nullptr;
    bool controlsThemedDark = false;  // the child controls were last given the dark theme
    HWND searchBox = nullptr;
    HWND segmentTabs = nullptr;
    HWND tree = nullptr;
    HWND statusBar = nullptr;
    HWND tabControl = nullptr;
    LogPane activity;
    LogPane help;
    LogPane about;
    LogPane assistantOutput;
    AssistantPanel assistant;
    PlaybookPanel playbook;
    NavigationPane navigation;
    Catalog catalog;
    bool catalogFromEmbedded = true;
    WindowStart start;  // the work begun before the window was made
    // What reading config.json and custom-tools.json found (custom tools: at the last catalog build).
    DocumentOutcome settingsFile;
    DocumentOutcome customToolsFile;
    // window.json as read at creation; only the window shown by showMainWindow keeps its placement.
    std::optional<WindowPlacement> savedPlacement;
    DocumentOutcome placementFile;
    bool remembersPlacement = false;
    SessionLog session;  // for the session report
    HACCEL accelerators = nullptr;
    // The control that had the focus when the window last lost activation: a
    // dialog or another program took it, and it gets it back on return.
    HWND focusBeforeDeactivate = nullptr;
    // The first frame is drawn and every page exists: from then on the focus
    // goes to a page's control (the caret and focus handling cost that frame).
    bool firstFrameDrawn = false;
    int reportsBeingSaved = 0;
    bool closeAfterReports = false;  // the user closed the window while a report was being written
    // Settings changes whose save failed: written with the next save that succeeds.
    std::vector<SettingsChange> unsavedSettings;
    bool historyFailureReported = false;  // a history file that could not be written is told once
};

// The process's main window state; null before creation and after destruction.
MainState* mainState();

int fixedTabCount(const MainState& state);
bool isTerminalTab(const MainState& state, int index);
int terminalTabCount(const MainState& state);
int helpTabIndex(const MainState& state);
int aboutTabIndex(const MainState& state);
int playbookTabIndex(const MainState& state);

void selectTab(MainState& state, int index);
void insertTab(MainState& state, int index, const std::u16string& label);
void setTabLabel(MainState& state, int index, const std::u16string& label);
void deleteTab(MainState& state, int index);
// The first terminal tab when any terminal exists, else the Activity tab.
void selectFirstTerminalOrActivity(MainState& state);
HWND currentPageWindow(const MainState& state);
// Keeps the terminal record's copy of the fixed tab count current.
void syncTerminalTabs(MainState& state);

// Layout, splitter and DPI.
int windowDpi(HWND window);
void layoutWindow(MainState& state);
void layoutRightPane(MainState& state);
bool splitterHit(const MainState& state, int x);
bool onSplitterSetCursor(MainState& state);
void onSplitterButtonDown(MainState& state, int x);
void onSplitterMouseMove(MainState& state, int x, WPARAM keys);
void onSplitterButtonUp(MainState& state);
void onSplitterCaptureLost(MainState& state);
// The left-pane width for a pointer at x in a client area of the given width.
int clampLeftWidth(int x, int clientWidth, int dpi);
// The chosen left-pane width, narrowed while the window is too small for it and the right pane.
int shownLeftWidth(const MainState& state);
// The least window size at which the segment strip and every control of the right pane fit.
void onGetMinMaxInfo(const MainState& state, MINMAXINFO& info);

// Keeps the window's placement in window.json when it was shown by showMainWindow.
void rememberWindowPlacement(const MainState& state);

// Menus and settings commands.
void buildMenuBar(MainState& state);
bool runMenuCommand(MainState& state, int id);
// Applies one settings change and saves it (see saveSettingsChange); a failed
// save is a red Activity line.
void changeSettings(MainState& state, const SettingsChange& change);
void switchLanguage(MainState& state, int language);
void changeFontSize(MainState& state, int points);
void toggleHelp(MainState& state, bool showMcp);
void showHelpPage(MainState& state);
void closeHelpPage(MainState& state);
void fillHelpPage(MainState& state);
void toggleAbout(MainState& state);
void fillAboutPage(MainState& state);
void restartAsAdministrator(MainState& state);

// The session report (session_report_win.cpp): asks where, then writes it on
// a worker; the outcome comes back as kReportSavedMessage.
constexpr UINT kReportSavedMessage = WM_APP + 51;
void saveSessionReport(MainState& state);
// Writes the report to the path without asking (the dialog's answer); the
// outcome comes back as kReportSavedMessage.
void writeSessionReport(MainState& state, const std::u16string& path, bool html);
void onSessionReportSaved(MainState& state, WPARAM saved, LPARAM path);
// A terminal's part of the report, kept when it closes.
TerminalRecord terminalReportRecord(const Terminal& terminal, const std::u16string& name, bool open);

// Keyboard (keyboard_win.cpp): the shortcut table, built at creation and
// destroyed with the window, and its commands; false when the id is not one.
HACCEL createShortcutTable();
bool runKeyboardCommand(MainState& state, int id);
// The control of the page in front that takes the keys.
HWND pageFocusTarget(const MainState& state);
// Gives the focus back to the control that had it before a dialog or another
// program took the activation (else to the page in front).
void restoreFocus(MainState& state);

// Catalog and tree.
void assembleCatalog(MainState& state);
void applyCatalog(MainState& state, CatalogRead read);

// Custom tools.
void addCustomToolInteractive(MainState& state);
// Removes at once; confirmRemoveCustomTool asks the user first.
void removeCustomToolAt(MainState& state, int64_t index);
void confirmRemoveCustomTool(MainState& state, int64_t index);
void removeSelectedCustomTool(MainState& state);

// Launching.
void launchTool(MainState& state, int64_t index, bool elevated);
void runToolById(MainState& state, const std::u16string& toolId);
void openDownloadPage(MainState& state, int64_t index);
void openSecureLink(const std::u16string& url);
std::u16string toolDisplayName(const ToolRecord& tool);
