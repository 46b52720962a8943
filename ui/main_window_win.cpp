#include "ui/main_window.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include <commctrl.h>
#include <objbase.h>
#include <richedit.h>
#include <windowsx.h>

#include "data/custom_tools.h"
#include "data/data_pack.h"
#include "data/text.h"
#include "platform/win_dpi.h"
#include "platform/win_clock.h"
#include "platform/win_text.h"
#include "playbooks/playbook.h"
#include "playbooks/playbook_files.h"
#include "terminal/command_history.h"
#include "ui/activity.h"
#include "ui/custom_tool_dialogs.h"
#include "ui/input_dialog.h"
#include "ui/keyboard.h"
#include "ui/layout.h"
#include "ui/main_state.h"
#include "ui/menus.h"
#include "ui/pages.h"
#include "ui/session_report.h"
#include "ui/settings_change.h"
#include "ui/settings_commands.h"
#include "ui/themed_controls.h"
#include "ui/tool_launch.h"
#include "ui/ui_fonts.h"
#include "ui/ui_text.h"
#include "ui/window_placement.h"

namespace {

constexpr UINT kReadyMessage = WM_APP + 50;
constexpr wchar_t kReadyProperty[] = L"ToolkeepReady";

MainState& stateOf(HWND window) { return *reinterpret_cast<MainState*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

HWND createChild(const MainState& state, DWORD exStyle, const wchar_t* className, DWORD style, int id = 0) {
    return CreateWindowExW(exStyle, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, state.window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), state.instance, nullptr);
}

void setFont(HWND window, HFONT font) { SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

void insertSegment(HWND tabs, int index, int textId) {
    std::u16string label = uiText(textId);
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(wstr(label));
    TabCtrl_InsertItem(tabs, index, &item);
}

void createLeftPane(MainState& state) {
    state.searchBox = createChild(state, WS_EX_CLIENTEDGE, L"EDIT", ES_AUTOHSCROLL, kSearchBoxId);
    SendMessageW(state.searchBox, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(wstr(uiText(kTextSearchCue))));
    state.uiFont = createUiFont(12, windowDpi(state.window));
    setFont(state.searchBox, state.uiFont);

    state.segmentTabs = createChild(state, 0, WC_TABCONTROLW, WS_CLIPSIBLINGS);
    setFont(state.segmentTabs, state.uiFont);
    insertSegment(state.segmentTabs, 0, kTextToolsSegment);
    insertSegment(state.segmentTabs, 1, kTextPlaybooks);
    insertSegment(state.segmentTabs, 2, kTextResultsSegment);
    TabCtrl_SetCurSel(state.segmentTabs, 0);

    state.tree = createChild(state, 0, WC_TREEVIEWW,
                             WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
    state.statusBar = createChild(state, 0, STATUSCLASSNAMEW, SBARS_SIZEGRIP | CCS_BOTTOM);
    state.pages.tabControl = createChild(state, 0, WC_TABCONTROLW, WS_CLIPSIBLINGS);
    setFont(state.pages.tabControl, state.uiFont);
}

void wireNavigation(MainState& state) {
    NavigationPane& nav = state.navigation;
    nav.searchBox = state.searchBox;
    nav.segmentTabs = state.segmentTabs;
    nav.tree = state.tree;
    nav.catalog = &state.catalog.tools;
    nav.playbooks = &state.catalog.playbooks;
    nav.settings = &state.settings;
    MainState* s = &state;
    nav.launchTool = [s](uint64_t tool, bool elevated) { launchTool(*s, int64_t(tool), elevated); };
    nav.openDownloadPage = [s](uint64_t tool) { openDownloadPage(*s, int64_t(tool)); };
    nav.openPlaybook = [s](size_t playbook) { openPlaybookTab(s->playbook, s->catalog.playbooks, playbook); };
    nav.removeCustomTool = [s](uint64_t tool) { confirmRemoveCustomTool(*s, int64_t(tool)); };
    nav.changeSettings = [s](const SettingsChange& change) { changeSettings(*s, change); };
}

void createAssistant(MainState& state) {
    createLogPane(state.assistantOutput, state.window, state.instance, state.settings.fontSize);
    AssistantPanel& assistant = state.assistant;
    assistant.pane = &state.assistantOutput;
    assistant.catalog = &state.catalog.tools;
    assistant.playbooks = &state.catalog.playbooks;
    MainState* s = &state;
    assistant.onResults = [s](const std::vector<uint64_t>& tools, const std::u16string& query) {
        s->session.questions.push_back({clockText(ClockFormat::Time), query, tools.size()});
        showAssistantResults(s->navigation, tools, query);
    };
    createAssistantInput(assistant, state.window, state.instance);
    addPage(state.pages, {PageKind::Assistant, uiText(kTextAssistantTab), state.assistantOutput.window});
}

void createPlaybookPanelWindow(MainState& state) {
    registerPlaybookViewClass(state.instance);
    PlaybookPanel& panel = state.playbook;
    MainState* s = &state;
    panel.runTool = [s](const std::u16string& id) { runToolById(*s, id); };
    panel.findTool = [s](const std::u16string& id) {
        for (const ToolRecord& tool : s->catalog.tools)
            if (tool.id == id) return WalkTool{toolDisplayName(tool), tool.isInstalled};
        for (const ToolRecord& tool : s->catalog.absent)
            if (tool.id == id) return WalkTool{toolDisplayName(tool), false};
        return WalkTool{};
    };
    panel.openLink = [s](const std::u16string& url) { openSecureLink(*s, url); };
    panel.openPlaybook = [s](const std::u16string& id) {
        const std::vector<Playbook>& all = s->catalog.playbooks;
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i].id == id) {
                openPlaybookTab(s->playbook, all, i);
                return;
            }
        }
    };
    panel.opened = [s](const Playbook& playbook) {
        notePlaybookOpened(s->session, playbook, clockText(ClockFormat::Time));
    };
    panel.stepUsed = [s](const Playbook& playbook, int step, WalkActionKind action) {
        noteStepUsed(s->session, playbook, step, action, clockText(ClockFormat::Time));
    };
    panel.fillCommand = [s](const std::u16string& shell, const std::u16string& command) {
        fillCommand(s->terminals, shell, command);
    };
    panel.close = [s]() { closePlaybookTab(s->playbook); };
    panel.texts.text = [](int id) { return uiText(id); };
    panel.texts.english = uiEnglish;
    panel.host.pages = &state.pages;
    panel.host.selectTab = [s](int index) { selectTab(*s, index); };
    panel.host.afterClose = [s]() {
        selectFirstTerminalOrActivity(*s);
        layoutRightPane(*s);
        buildMenuBar(*s);
    };
    panel.host.layout = [s]() { layoutRightPane(*s); };
    createPlaybookPanel(panel, state.window, state.instance, state.settings.fontSize);
}

// A user file that could not be read or understood is named at start-up, with
// where its original is.
void reportFileProblem(MainState& state, const DocumentOutcome& file) {
    switch (file.state) {
        case DocumentState::Loaded:
        case DocumentState::Missing: return;
        case DocumentState::Unreadable:
            reportActivity(state, uiTextWith(kTextFileUnreadable, {file.path, asciiToWide(std::to_string(file.error))}),
                           kFailureRed);
            return;
        case DocumentState::Unusable:
            reportActivity(state,
                           file.keptAs.empty() ? uiTextWith(kTextFileBrokenNotKept, {file.path})
                                               : uiTextWith(kTextFileBrokenKept, {file.path, file.keptAs}),
                           kFailureRed);
            return;
    }
}

// A pack the user edited may give two playbooks, or two steps, one id, or reading rules that cannot be used.
void reportDuplicateIds(MainState& state, const std::vector<Playbook>& all) {
    // The team's and the user's files are judged whole when read (reportPlaybookFiles).
    std::vector<Playbook> playbooks;
    for (const Playbook& playbook : all)
        if (playbook.origin == PlaybookOrigin::Shipped) playbooks.push_back(playbook);
    for (const DuplicateId& d : findDuplicateIds(playbooks)) {
        reportActivity(state,
                       d.stepId.empty() ? uiTextWith(kTextDuplicatePlaybook, {d.playbookId})
                                        : uiTextWith(kTextDuplicateStep, {d.playbookId, d.stepId}),
                       kFailureRed);
    }
    for (const Playbook& playbook : playbooks)
        for (const PlaybookStep& step : playbook.steps)
            if (!step.readingProblem.empty())
                reportActivity(state,
                               uiTextWith(kTextBrokenReading, {playbook.id, step.id,
                                                               localized(step.readingProblem, step.readingProblemEn)}),
                               kFailureRed);
}

// One line per playbook file that could not be read or has problems: its first problem and how many more.
void reportPlaybookFiles(MainState& state, const std::vector<PlaybookFile>& files) {
    for (const PlaybookFile& file : files) {
        if (file.problems.empty()) continue;
        const std::u16string first = problemLine(file.problems.front(), uiEnglish());
        const size_t more = file.problems.size() - 1;
        reportActivity(state,
                       more == 0 ? uiTextWith(kTextPlaybookFileProblem, {first})
                                 : uiTextWith(kTextPlaybookFileProblems, {first, decimalText(more)}),
                       kFailureRed);
    }
}

// Posted from wherever a command failed to reach its history file; told once.
void onHistoryNotStored(MainState& state, LPARAM path) {
    std::unique_ptr<std::u16string> where(reinterpret_cast<std::u16string*>(path));
    if (!where || state.historyFailureReported) return;
    state.historyFailureReported = true;
    reportActivity(state, uiTextWith(kTextHistoryNotStored, {*where}), kFailureRed);
}

void openStartupTerminals(MainState& state) {
    TerminalTabs& tabs = state.terminals;
    tabs.owner = state.window;
    tabs.pages = &state.pages;
    tabs.instance = state.instance;
    tabs.fontSize = state.settings.fontSize;
    tabs.quickEdit = state.settings.quickEdit;
    tabs.interruptHelper = consoleInterruptHelper();
    MainState* s = &state;
    tabs.selectTab = [s](int index) { selectTab(*s, index); };
    tabs.layoutRightPane = [s]() { layoutRightPane(*s); };
    tabs.rebuildMenuBar = [s]() { buildMenuBar(*s); };
    tabs.reportActivity = [s](const std::u16string& line, COLORREF color) { reportActivity(*s, line, color); };
    tabs.reportSaveFailure = [s](const std::u16string& path) {
        reportActivity(*s, uiTextWith(kTextOutputNotSaved, {path}), kFailureRed);
    };
    tabs.historyFile = historyFilePath;
    tabs.commandEnded = [s](const std::u16string& command, const std::u16string& output) {
        notePanelCommandEnded(s->playbook, command, output);
    };
    tabs.terminalClosing = [s](const Terminal& terminal, const std::u16string& name) {
        s->session.closedTerminals.push_back(terminalReportRecord(terminal, name, false));
    };
    tabs.reportHistoryKeptAside = [s](const std::u16string& path, const std::u16string& copy) {
        reportActivity(*s, uiTextWith(kTextHistoryTornKept, {path, copy}), kFailureRed);
    };
    tabs.text = [](int id) { return uiText(id); };
    tabs.askText = askText;
    tabs.showStatus = [s](const std::u16string& text) {
        SendMessageW(s->statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wstr(text)));
    };
    // Only their tabs are in the first frame; the terminals follow it (onReady).
    listTerminalTab(tabs, ShellKind::Cmd);
    listTerminalTab(tabs, ShellKind::PowerShell);
}

// The pages the first frame does not show, made once it is painted: each
// starts hidden, so none paints or uncovers anything until the layout gives
// it its place. Lines reported before the Activity page existed are written
// to it now.
void createHiddenPages(MainState& state) {
    if (createLogPane(state.activity, state.window, state.instance, state.settings.fontSize)) {
        const int activity = pageIndex(state.pages, PageKind::Activity);
        if (activity >= 0) state.pages.pages[size_t(activity)].window = state.activity.window;
        ShowWindow(state.activity.window, state.currentTab == activity ? SW_SHOW : SW_HIDE);
        setPaneColors(state.activity, state.theme.colors.terminalBackground, state.theme.colors.terminalText);
        for (const ActivityRecord& line : state.session.activity)
            appendLine(state.activity, line.text, toColorRef(line.color));
    }
    createPlaybookPanelWindow(state);
    setPanelColors(state.playbook, state.theme.colors.terminalBackground, state.theme.colors.terminalText);
    openListedTerminals(state.terminals);
    for (TerminalEntry& entry : state.terminals.terminals) showTerminal(*entry.terminal, false);
    layoutRightPane(state);
}

LRESULT onCreate(HWND window, const CREATESTRUCTW& create) {
    MainState* state = new MainState;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    state->window = window;
    state->instance = create.hInstance;
    state->session.startedAt = clockText(ClockFormat::DateTime);
    if (auto* start = static_cast<WindowStart*>(create.lpCreateParams)) state->start = std::move(*start);
    state->settings = loadSettings(&state->settingsFile);
    state->placement.saved = loadWindowPlacement(&state->placement.file);
    setUiLanguage(int(state->settings.language));
    state->splitter.width = state->settings.leftWidth;
    state->accelerators = createShortcutTable();
    updateTitle(window);
    // Before the children: the menu bar shrinks the client area, and the
    // layout that follows is cheap while there is nothing to lay out.
    buildMenuBar(*state);

    createLeftPane(*state);
    wireNavigation(*state);
    addPage(state->pages, {PageKind::Activity, uiText(kTextActivityTab)});  // its page follows the first frame
    createAssistant(*state);
    openStartupTerminals(*state);

    applyTheme(*state);
    // A window made without the start-up work (in-process tests) reads its own.
    applyCatalog(*state, state->start.catalog.valid() ? state->start.catalog.get() : readCatalog());
    layoutWindow(*state);
    writeAssistantGreeting(state->assistant);
    reportFileProblem(*state, state->settingsFile);
    reportFileProblem(*state, state->customToolsFile);
    reportFileProblem(*state, state->placement.file);
    reportPlaybookFiles(*state, state->catalog.brokenPlaybookFiles);
    for (const std::u16string& pack : state->catalog.unusableToolPacks)
        reportActivity(*state, uiTextWith(kTextToolPackUnusable, {pack}), kFailureRed);
    reportDuplicateIds(*state, state->catalog.playbooks);
    selectTab(*state, pageIndex(state->pages, PageKind::Assistant));
    PostMessageW(window, kReadyMessage, 0, 0);
    return 0;
}

bool askCloseWithoutReport(MainState& state) {
    const std::u16string question = uiText(kTextCloseWithoutReport);
    if (state.terminals.confirm) return state.terminals.confirm(question);
    return MessageBoxW(state.window, wstr(question), wstr(uiText(kTextSaveSessionReport)),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

// Programs still running in a terminal end with the window: ask first. A
// session report still being written is waited for (onSessionReportSaved
// closes the window); closing again meanwhile asks whether to drop it.
void onClose(HWND window, MainState& state) {
    if (state.reports.closeAfterLast) {
        if (askCloseWithoutReport(state)) DestroyWindow(window);
        return;
    }
    if (!confirmCloseWithRunningWork(state.terminals)) return;
    if (state.reports.beingSaved == 0) {
        DestroyWindow(window);
        return;
    }
    state.reports.closeAfterLast = true;
    if (state.statusBar)
        SendMessageW(state.statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wstr(uiText(kTextWaitingForReport))));
}

void onDestroy(MainState& state) {
    rememberWindowPlacement(state);
    RemovePropW(state.window, kReadyProperty);
    destroyAllTerminals(state.terminals);
    destroyLogPane(state.activity);
    destroyLogPane(state.help);
    destroyLogPane(state.about);
    destroyAssistantInput(state.assistant);
    destroyLogPane(state.assistantOutput);
    destroyPlaybookPanel(state.playbook);
    deleteThemeBrushes(state);
    if (state.uiFont) DeleteObject(state.uiFont);
    state.uiFont = nullptr;
    if (state.accelerators) DestroyAcceleratorTable(state.accelerators);
    state.accelerators = nullptr;
    PostQuitMessage(0);
}

void onNcDestroy(HWND window) {
    MainState* state = reinterpret_cast<MainState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    delete state;
}

LRESULT onEraseBackground(HWND window, MainState& state, HDC dc) {
    if (!state.theme.windowBrush) return DefWindowProcW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, state.theme.windowBrush);
    return 1;
}

LRESULT onEditColors(MainState& state, HDC dc, HWND control) {
    if (terminalForEditor(state.terminals, control)) {
        SetTextColor(dc, state.theme.colors.terminalText);
        SetBkColor(dc, state.theme.colors.terminalBackground);
        return reinterpret_cast<LRESULT>(state.theme.terminalBrush);
    }
    SetTextColor(dc, state.theme.colors.editText);
    SetBkColor(dc, state.theme.colors.editBackground);
    return reinterpret_cast<LRESULT>(state.theme.editBrush);
}

LRESULT onNotify(HWND window, MainState& state, const NMHDR& header) {
    if (header.code == EN_PROTECTED) return answerProtectedNotification(state.terminals, header.hwndFrom);
    if (header.code == NM_CUSTOMDRAW && header.hwndFrom == state.tree) {
        return drawTreeItemInTheme(state, *reinterpret_cast<NMTVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
    }
    if (header.hwndFrom == state.pages.tabControl) {
        if (header.code == TCN_SELCHANGE) {
            selectTab(state, selectedPage(state.pages));
            buildMenuBar(state);
        } else if (header.code == NM_DBLCLK) {
            renameCurrentTerminal(state.terminals);
        }
        return 0;
    }
    if (header.hwndFrom == state.segmentTabs) {
        if (header.code == TCN_SELCHANGE) onSegmentTabChanged(state.navigation);
        return 0;
    }
    if (header.hwndFrom == state.tree) return onNavigationTreeNotify(state.navigation, window, header);
    return DefWindowProcW(window, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void onCommand(MainState& state, WPARAM wParam, LPARAM lParam) {
    if (lParam && LOWORD(wParam) == kSearchBoxId) {
        if (HIWORD(wParam) == EN_CHANGE) onSearchBoxChanged(state.navigation);
        return;
    }
    if (!lParam) runMenuCommand(state, LOWORD(wParam));
}

void onActivate(MainState& state, WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(state.window, focus)) state.focus.beforeDeactivate = focus;
        return;
    }
    if (HWND page = currentPageWindow(state)) InvalidateRect(page, nullptr, TRUE);
}

void onExitSizeMove(MainState& state) {
    const Page* front = pageAt(state.pages, state.currentTab);
    if (front && front->kind == PageKind::Playbook && state.playbook.window) {
        InvalidateRect(state.playbook.window, nullptr, TRUE);
    }
}

// The ready property holds the moment it was set, in tenths of a millisecond
// of the performance counter (one clock for all processes): a start-up
// measurement reads when the window became ready, however late it looks.
INT_PTR readyStamp() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return std::max<INT_PTR>(1, INT_PTR(double(now.QuadPart) * 10000.0 / double(frequency.QuadPart)));
}

// Posted at creation, so it comes after the first paint: the window is ready
// once any child still waiting for its paint has it. The hidden pages and the
// terminals are made now and the shells start; input waits for this, so
// nothing reaches a page before it exists or a terminal before its shell runs.
void onReady(HWND window, MainState& state) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const INT_PTR firstFrame = readyStamp();
    // Only what the user starts uses COM (launching through the shell, the
    // file dialogs); joining an apartment costs the first frame some milliseconds.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    createHiddenPages(state);
    state.focus.firstFrameDrawn = true;
    if (GetFocus() == window) restoreFocus(state);
    // Set once every page exists, so whoever waits for it finds them all.
    SetPropW(window, kReadyProperty, reinterpret_cast<HANDLE>(firstFrame));
    for (TerminalEntry& entry : state.terminals.terminals) startTerminalShell(*entry.terminal);
}

}  // namespace

// With the theme following the system, a change of the Windows app theme
// comes as this broadcast.
void onSettingChange(MainState& state, LPARAM area) {
    const wchar_t* name = reinterpret_cast<const wchar_t*>(area);
    if (!name || wcscmp(name, L"ImmersiveColorSet") != 0 || state.settings.theme != ThemeMode::System) return;
    applyTheme(state);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return onCreate(window, *reinterpret_cast<CREATESTRUCTW*>(lParam));
    if (message == WM_NCDESTROY) {
        onNcDestroy(window);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (!GetWindowLongPtrW(window, GWLP_USERDATA)) return DefWindowProcW(window, message, wParam, lParam);
    MainState& state = stateOf(window);
    switch (message) {
        case WM_CLOSE: onClose(window, state); return 0;
        case WM_DESTROY: onDestroy(state); return 0;
        case WM_SIZE: layoutWindow(state); return 0;
        case WM_GETMINMAXINFO: onGetMinMaxInfo(state, *reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
        case WM_ACTIVATE: onActivate(state, wParam); break;
        // Activation puts the focus on the window itself, where no key is used.
        case WM_SETFOCUS: restoreFocus(state); return 0;
        case WM_ERASEBKGND: return onEraseBackground(window, state, reinterpret_cast<HDC>(wParam));
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == window && onSplitterSetCursor(state)) return TRUE;
            break;
        case WM_LBUTTONDOWN: onSplitterButtonDown(state, GET_X_LPARAM(lParam)); return 0;
        case WM_MOUSEMOVE: onSplitterMouseMove(state, GET_X_LPARAM(lParam), wParam); return 0;
        case WM_LBUTTONUP: onSplitterButtonUp(state); return 0;
        case WM_CAPTURECHANGED: onSplitterCaptureLost(state); return 0;
        case WM_EXITSIZEMOVE: onExitSizeMove(state); return 0;
        case WM_CTLCOLOREDIT: return onEditColors(state, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_NOTIFY: return onNotify(window, state, *reinterpret_cast<NMHDR*>(lParam));
        case WM_CONTEXTMENU:
            // From the keyboard (no point): the tree's menu for its selection.
            if (reinterpret_cast<HWND>(wParam) == state.tree && lParam == -1 &&
                showSelectedItemMenu(state.navigation, window))
                return 0;
            break;
        case WM_COMMAND: onCommand(state, wParam, lParam); return 0;
        case WM_SETTINGCHANGE: onSettingChange(state, lParam); break;
        case WM_PARENTNOTIFY:
            if (LOWORD(wParam) == WM_CREATE) themeNewChild(state, reinterpret_cast<HWND>(lParam));
            break;
        case kReadyMessage: onReady(window, state); return 0;
        case kReportSavedMessage: onSessionReportSaved(state, wParam, lParam); return 0;
        case kHistoryNotStoredMessage: onHistoryNotStored(state, lParam); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
