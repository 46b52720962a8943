// The main window's state: one record for the life of the window.
#pragma once

#include <windows.h>

#include <cwchar>
#include <iterator>
#include <string>

#include "data/settings.h"
#include "data/window_placement.h"
#include "launcher/catalog.h"
#include "playbooks/playbook_panel.h"
#include "report/session_log.h"
#include "terminal/terminal_tabs.h"
#include "ui/assistant_tab.h"
#include "ui/log_pane.h"
#include "ui/navigation_pane.h"
#include "ui/theme.h"
#include "ui/window_start.h"

constexpr wchar_t kMainWindowClass[] = L"ToolkeepNativeMainWindow";
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
    for (int command : {kCmdLaunchSingleClick,
                        kCmdLaunchDoubleClick,
                        kCmdShellCmd,
                        kCmdShellPowerShell,
                        kCmdAddCustomTool,
                        kCmdRemoveSelectedCustomTool,
                        kCmdHelp,
                        kCmdMcpHelp,
                        kCmdAbout,
                        kCmdNewCmd,
                        kCmdNewPowerShell,
                        kCmdNewNamedCmd,
                        kCmdNewNamedPowerShell,
                        kCmdRenameTerminal,
                        kCmdCloseTerminal,
                        kCmdThemeSystem,
                        kCmdThemeLight,
                        kCmdThemeDark,
                        kCmdLanguageChinese,
                        kCmdLanguageEnglish,
                        kCmdShowFileNames,
                        kCmdQuickEdit,
                        kCmdRestartElevated,
                        kCmdStopCommand,
                        kCmdRestartShell,
                        kCmdClearCommandHistory,
                        kCmdSaveSessionReport,
                        kCmdNextTab,
                        kCmdPreviousTab,
                        kCmdCloseCurrentPage,
                        kCmdFocusSearch,
                        kCmdNextPane,
                        kCmdPreviousPane})
        if (command == id) return true;
    return false;
}
static_assert(!isWindowCommand(kToolMenuLaunch) && !isWindowCommand(kToolMenuRunAsAdmin) &&
                  !isWindowCommand(kToolMenuRemove) && !isWindowCommand(kToolMenuDesktop) &&
                  !isWindowCommand(kToolMenuPin) && !isWindowCommand(kToolMenuOpenLocation) &&
                  !isWindowCommand(kToolMenuFavorite) && !isWindowCommand(kToolMenuDownload),
              "a tree context-menu command would run a window command instead");

// The left pane's chosen width and the drag that changes it.
struct Splitter {
    int width = 300;
    bool dragging = false;
};

// The theme's colours and the brushes made from them.
struct WindowTheme {
    ThemeColors colors = kLightTheme;
    HBRUSH windowBrush = nullptr;
    HBRUSH treeBrush = nullptr;
    HBRUSH editBrush = nullptr;
    HBRUSH terminalBrush = nullptr;
    bool controlsThemedDark = false;  // the child controls were last given the dark theme
};

// window.json as read at creation; only the window shown by showMainWindow keeps its placement.
struct PlacementMemory {
    std::optional<WindowPlacement> saved;
    DocumentOutcome file;
    bool remembered = false;
};

struct FocusMemory {
    // The control that had the focus when the window last lost activation: a
    // dialog or another program took it, and it gets it back on return.
    HWND beforeDeactivate = nullptr;
    // The first frame is drawn and every page exists: from then on the focus
    // goes to a page's control (the caret and focus handling cost that frame).
    bool firstFrameDrawn = false;
};

// Session reports being written on workers.
struct ReportsInFlight {
    int beingSaved = 0;
    bool closeAfterLast = false;  // the user closed the window while a report was being written
};

struct MainState {
    HWND window = nullptr;
    HINSTANCE instance = nullptr;
    Settings settings;
    Splitter splitter;
    int currentTab = -1;
    bool helpShowsMcp = false;
    PageList pages;  // one record per tab of the page tab control, in tab order
    TerminalTabs terminals;
    WindowTheme theme;
    HFONT uiFont = nullptr;
    HWND searchBox = nullptr;
    HWND segmentTabs = nullptr;
    HWND tree = nullptr;
    HWND statusBar = nullptr;
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
    PlacementMemory placement;
    SessionLog session;  // for the session report
    HACCEL accelerators = nullptr;
    FocusMemory focus;
    ReportsInFlight reports;
    // Settings changes whose save failed: written with the next save that succeeds.
    std::vector<SettingsChange> unsavedSettings;
    bool historyFailureReported = false;  // a history file that could not be written is told once
};

// The state of a main window, found from its handle; null for any other
// window, and before creation and after destruction.
inline MainState* mainStateOf(HWND window) {
    wchar_t name[std::size(kMainWindowClass) + 1] = {};
    if (!window || !GetClassNameW(window, name, int(std::size(name))) || wcscmp(name, kMainWindowClass) != 0)
        return nullptr;
    return reinterpret_cast<MainState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}
