#include "terminal/terminal_tabs.h"

#include <commctrl.h>

#include "data/palette.h"
#include "data/text.h"
#include "platform/win_text.h"
#include "terminal/command_history.h"
#include "terminal/pipe_limits.h"

namespace {

std::u16string uiText(const TerminalTabs& tabs, int id) { return tabs.text ? tabs.text(id) : std::u16string(); }

void call(const std::function<void()>& f) {
    if (f) f();
}

void bringToFront(TerminalTabs& tabs, int index) {
    if (tabs.selectTab) {
        tabs.selectTab(index);
    } else {
        SendMessageW(tabs.pages->tabControl, TCM_SETCURSEL, WPARAM(index), 0);
    }
}

bool askTerminalName(TerminalTabs& tabs, std::u16string& name) {
    if (!tabs.askText) return false;
    return tabs.askText(tabs.owner, uiText(tabs, kTextTerminalNameTitle), uiText(tabs, kTextTerminalNamePrompt),
                        uiText(tabs, kTextOk), uiText(tabs, kTextCancel), name);
}

bool confirm(TerminalTabs& tabs, const std::u16string& question) {
    if (tabs.confirm) return tabs.confirm(question);
    std::u16string title = uiText(tabs, kTextAppName);
    if (title.empty()) title = u"Wrenly";
    return MessageBoxW(tabs.owner, wstr(question), wstr(title), MB_YESNO | MB_ICONWARNING) == IDYES;
}

Terminal* currentTerminal(TerminalTabs& tabs) {
    const Page* page = pageAt(*tabs.pages, selectedPage(*tabs.pages));
    return page ? page->terminal : nullptr;
}

std::u16string terminalLabel(const TerminalTabs& tabs, const Terminal& terminal) {
    const Page* page = pageAt(*tabs.pages, terminalPageIndex(*tabs.pages, &terminal));
    return page ? page->title : std::u16string();
}

// The first page listed for a terminal still to be made, or -1.
int firstListedPage(const PageList& list) {
    for (size_t i = 0; i < list.pages.size(); ++i)
        if (list.pages[i].kind == PageKind::Terminal && !list.pages[i].terminal) return int(i);
    return -1;
}

// "ping.exe (PID 1234)"
std::u16string processLabel(const ChildProcess& process) {
    return process.exeName + u" (PID " + decimalText(process.id) + u")";
}

// One line per running program.
std::u16string describeProcesses(const std::vector<ChildProcess>& processes) {
    std::u16string lines;
    for (const ChildProcess& process : processes) {
        lines += u'\n';
        lines += processLabel(process);
    }
    return lines;
}

void report(TerminalTabs& tabs, const std::u16string& line, COLORREF color) {
    if (tabs.reportActivity) tabs.reportActivity(line, color);
}

// After the grace period of a console Ctrl+C, or at once without one.
void endCommandIn(TerminalTabs& tabs, Terminal& terminal) {
    std::vector<ChildProcess> denied;
    bool windowedAsked = false;
    auto endWindowed = [&](const std::vector<ChildProcess>& windowed) {
        windowedAsked = true;
        return confirm(tabs, withValues(uiText(tabs, kTextStopWindowedAsk), {describeProcesses(windowed)}));
    };
    std::vector<ChildProcess> stopped = stopTerminalCommand(terminal, endWindowed, &denied);
    std::u16string where = terminalLabel(tabs, terminal);
    for (const ChildProcess& process : stopped) {
        report(tabs, u"> " + uiText(tabs, kTextStopped) + u" " + processLabel(process) + u" - " + where, kActionBlue);
    }
    for (const ChildProcess& process : denied) {
        std::u16string line = withValues(uiText(tabs, kTextCannotStopElevated), {processLabel(process)});
        report(tabs, u"> " + line + u" - " + where, kFailureRed);
    }
    // Something still runs that the user kept or that cannot be ended: no restart offered.
    if (!stopped.empty() || windowedAsked || !denied.empty()) return;
    if (!confirm(tabs, uiText(tabs, kTextNothingToStop))) return;
    if (restartTerminalShell(terminal))
        report(tabs, u"> " + uiText(tabs, kTextShellRestartedActivity) + u" - " + where, kActionBlue);
}

// As a console does: Ctrl+C to the console programs, then the rest ended.
// Pressed again during the grace period, the rest is ended at once.
void stopCommandIn(TerminalTabs& tabs, Terminal& terminal) {
    if (!interruptTerminalCommand(terminal)) endCommandIn(tabs, terminal);
}

// What the running program waits for when it is one that cannot work on the
// shell's pipe, and what to use instead; empty otherwise.
std::u16string pipeLimitText(const TerminalTabs& tabs, const Terminal& terminal, const std::u16string& names) {
    if (terminal.entered.empty()) return {};
    PipeLimitHint hint = pipeLimitHint(terminal.entered.back().line);
    if (hint.limit == PipeLimit::None || lowerAscii(names).find(hint.program + u".") == std::u16string::npos) return {};
    int id = hint.limit == PipeLimit::NeedsConsole ? kTextNeedsConsole : kTextWaitsForEndOfInput;
    return u" — " + withValues(uiText(tabs, id), {hint.program, hint.instead});
}

// The status bar's words for the visible terminal's command: the programs
// it runs (with what a program that cannot work on the pipe waits for), or
// that it waits for input (a built-in such as set /p or pause).
std::u16string runningStatusText(const TerminalTabs& tabs, const Terminal& terminal, const std::u16string& names,
                                 bool waiting) {
    if (!names.empty())
        return uiText(tabs, kTextRunningPrefix) + names + uiText(tabs, kTextRunningSuffix) +
               pipeLimitText(tabs, terminal, names);
    return waiting ? uiText(tabs, kTextWaitingForInput) : std::u16string();
}

void showRunning(TerminalTabs& tabs, const Terminal& terminal, const std::u16string& names, bool waiting) {
    if (tabs.showStatus) tabs.showStatus(runningStatusText(tabs, terminal, names, waiting));
}

// Terminals of the kind before the next one made (with those listed ahead: before the next one listed).
size_t sameKindCount(const TerminalTabs& tabs, ShellKind kind, bool countListed) {
    size_t count = 0;
    for (const TerminalEntry& entry : tabs.terminals) count += entry.kind == kind ? 1 : 0;
    if (countListed)
        for (ShellKind listed : tabs.listedAhead) count += listed == kind ? 1 : 0;
    return count;
}

}  // namespace

int openTerminalTab(TerminalTabs& tabs, ShellKind kind, bool startShell) {
    auto terminal = std::make_unique<Terminal>();
    terminal->text = tabs.text;
    terminal->askText = tabs.askText;
    Terminal* created = terminal.get();
    TerminalTabs* owner = &tabs;
    terminal->stopRequested = [owner, created] { stopCommandIn(*owner, *created); };
    terminal->interruptGraceOver = [owner, created] { endCommandIn(*owner, *created); };
    terminal->shell.interruptHelper = tabs.interruptHelper;
    terminal->runningChanged = [owner, created](const std::u16string& names, bool waiting) {
        showRunning(*owner, *created, names, waiting);
    };
    terminal->showNote = [owner](const std::u16string& note) {
        if (owner->showStatus) owner->showStatus(note);
    };
    terminal->reportSaveFailure = [&tabs](const std::u16string& path) {
        if (tabs.reportSaveFailure) tabs.reportSaveFailure(path);
    };
    terminal->commandEnded = [owner](const std::u16string& command, const std::u16string& output) {
        if (owner->commandEnded) owner->commandEnded(command, output);
    };
    terminal->reportJobFailure = [owner, created](unsigned long error) {
        std::u16string line = withValues(uiText(*owner, kTextJobSetupFailed), {decimalText(error)});
        report(*owner, u"> " + line + u" - " + terminalLabel(*owner, *created), kFailureRed);
    };
    if (tabs.historyFile) {
        std::u16string historyPath = tabs.historyFile(kind);
        std::u16string keptAs = useHistoryFile(*terminal, historyPath);
        if (!keptAs.empty() && tabs.reportHistoryKeptAside) tabs.reportHistoryKeptAside(historyPath, keptAs);
    }
    if (!createTerminal(*terminal, tabs.owner, tabs.instance, kind, tabs.fontSize, startShell)) return -1;
    setQuickEdit(*terminal, tabs.quickEdit);
    setTerminalColors(*terminal, tabs.background, tabs.textColor);
    const std::u16string name = automaticTerminalName(kind, sameKindCount(tabs, kind, false));
    int index = firstListedPage(*tabs.pages);
    if (tabs.listedAhead.empty() || index < 0) {
        index = addPage(*tabs.pages, {PageKind::Terminal, name, created->editor, created});
    } else {
        tabs.listedAhead.erase(tabs.listedAhead.begin());
        Page& listed = tabs.pages->pages[size_t(index)];
        listed.window = created->editor;
        listed.terminal = created;
        setPageTitle(*tabs.pages, index, name);
    }
    tabs.terminals.push_back({std::move(terminal), kind});
    return index;
}

void listTerminalTab(TerminalTabs& tabs, ShellKind kind) {
    addPage(*tabs.pages, {PageKind::Terminal, automaticTerminalName(kind, sameKindCount(tabs, kind, true))});
    tabs.listedAhead.push_back(kind);
}

void openListedTerminals(TerminalTabs& tabs) {
    while (!tabs.listedAhead.empty()) {
        if (openTerminalTab(tabs, tabs.listedAhead.front(), false) >= 0) continue;
        tabs.listedAhead.erase(tabs.listedAhead.begin());
        removePage(*tabs.pages, firstListedPage(*tabs.pages));
    }
}

void openNewTerminal(TerminalTabs& tabs, ShellKind kind) {
    int index = openTerminalTab(tabs, kind);
    if (index < 1) return;
    bringToFront(tabs, index);
    call(tabs.layoutRightPane);
    call(tabs.rebuildMenuBar);
}

void openNamedTerminal(TerminalTabs& tabs, ShellKind kind) {
    std::u16string name;
    if (!askTerminalName(tabs, name)) return;
    int index = openTerminalTab(tabs, kind);
    if (index < 1) return;
    if (!name.empty()) setPageTitle(*tabs.pages, index, name);
    bringToFront(tabs, index);
    call(tabs.layoutRightPane);
    call(tabs.rebuildMenuBar);
}

int currentTerminalIndex(const TerminalTabs& tabs) {
    const int index = selectedPage(*tabs.pages);
    const Page* page = pageAt(*tabs.pages, index);
    return page && page->terminal ? index : -1;
}

void renameCurrentTerminal(TerminalTabs& tabs) {
    int index = currentTerminalIndex(tabs);
    if (index < 0) return;
    std::u16string name = tabs.pages->pages[size_t(index)].title;
    if (!askTerminalName(tabs, name) || name.empty()) return;
    setPageTitle(*tabs.pages, index, name);
    call(tabs.layoutRightPane);
}

void closeCurrentTerminal(TerminalTabs& tabs) {
    int index = currentTerminalIndex(tabs);
    if (index < 0 || tabs.terminals.size() < 2) {
        call(tabs.rebuildMenuBar);
        return;
    }
    const Terminal* front = tabs.pages->pages[size_t(index)].terminal;
    size_t k = 0;
    while (k < tabs.terminals.size() && tabs.terminals[k].terminal.get() != front) ++k;
    if (k == tabs.terminals.size()) return;
    std::vector<ChildProcess> running = runningChildren(tabs.terminals[k].terminal->shell);
    if (!running.empty() && !confirm(tabs, uiText(tabs, kTextCloseRunningTerminal) + describeProcesses(running) +
                                               u"\n\n" + uiText(tabs, kTextCloseQuestion)))
        return;
    if (tabs.terminalClosing)
        tabs.terminalClosing(*tabs.terminals[k].terminal, terminalLabel(tabs, *tabs.terminals[k].terminal));
    removePage(*tabs.pages, index);
    std::unique_ptr<Terminal> closed = std::move(tabs.terminals[k].terminal);
    tabs.terminals.erase(tabs.terminals.begin() + long(k));
    destroyTerminal(*closed);
    closed.reset();
    const int count = int(tabs.pages->pages.size());
    bringToFront(tabs, index < count ? index : count - 1);
    call(tabs.layoutRightPane);
    call(tabs.rebuildMenuBar);
}

void fillCommand(TerminalTabs& tabs, const std::u16string& shellName, const std::u16string& command) {
    ShellKind kind = shellKindForName(shellName);
    int index = -1;
    for (size_t k = 0; k < tabs.terminals.size(); ++k) {
        if (tabs.terminals[k].kind == kind) {
            index = terminalPageIndex(*tabs.pages, tabs.terminals[k].terminal.get());
            break;
        }
    }
    if (index < 0) {
        index = openTerminalTab(tabs, kind);
        call(tabs.rebuildMenuBar);
        if (index < 0) return;
    }
    bringToFront(tabs, index);
    call(tabs.layoutRightPane);
    if (Terminal* terminal = currentTerminal(tabs)) {
        replaceInput(*terminal, command);
        SetFocus(terminal->editor);
    }
    // The line names what was filled: the record says which command the admin was handed.
    if (tabs.reportActivity)
        tabs.reportActivity(u"> " + command + u" - " + uiText(tabs, kTextCommandFilled), kActionBlue);
}

void stopCommandInCurrentTerminal(TerminalTabs& tabs) {
    if (Terminal* terminal = currentTerminal(tabs)) stopCommandIn(tabs, *terminal);
}

void restartShellInCurrentTerminal(TerminalTabs& tabs) {
    Terminal* terminal = currentTerminal(tabs);
    if (!terminal || !confirm(tabs, uiText(tabs, kTextRestartQuestion))) return;
    if (restartTerminalShell(*terminal))
        report(tabs, u"> " + uiText(tabs, kTextShellRestartedActivity) + u" - " + terminalLabel(tabs, *terminal),
               kActionBlue);
}

bool confirmCloseWithRunningWork(TerminalTabs& tabs) {
    std::u16string running;
    for (const TerminalEntry& entry : tabs.terminals) {
        std::vector<ChildProcess> children = runningChildren(entry.terminal->shell);
        if (children.empty()) continue;
        running += u'\n';
        running += terminalLabel(tabs, *entry.terminal);
        running += u':';
        running += describeProcesses(children);
    }
    if (running.empty()) return true;
    return confirm(tabs, uiText(tabs, kTextCloseRunningWindow) + running + u"\n\n" + uiText(tabs, kTextCloseQuestion));
}

void destroyAllTerminals(TerminalTabs& tabs) {
    for (TerminalEntry& entry : tabs.terminals) destroyTerminal(*entry.terminal);
    tabs.terminals.clear();
}

Terminal* terminalForEditor(TerminalTabs& tabs, HWND editor) {
    for (TerminalEntry& entry : tabs.terminals)
        if (entry.terminal->editor == editor) return entry.terminal.get();
    return nullptr;
}

LRESULT answerProtectedNotification(TerminalTabs& tabs, HWND editor) {
    Terminal* terminal = terminalForEditor(tabs, editor);
    return terminal ? protectedChangeAnswer(*terminal) : 0;
}

void setAllTerminalsFont(TerminalTabs& tabs, int points) {
    tabs.fontSize = points;
    for (TerminalEntry& entry : tabs.terminals) setTerminalFont(*entry.terminal, points);
}

void setAllTerminalsQuickEdit(TerminalTabs& tabs, bool quickEdit) {
    tabs.quickEdit = quickEdit;
    for (TerminalEntry& entry : tabs.terminals) setQuickEdit(*entry.terminal, quickEdit);
}

void setAllTerminalsColors(TerminalTabs& tabs, COLORREF background, COLORREF text) {
    tabs.background = background;
    tabs.textColor = text;
    for (TerminalEntry& entry : tabs.terminals) setTerminalColors(*entry.terminal, background, text);
}

bool clearCommandHistoryEverywhere(TerminalTabs& tabs) {
    if (!confirm(tabs, uiText(tabs, kTextClearHistoryQuestion))) return true;
    std::u16string failed;
    for (ShellKind kind : {ShellKind::Cmd, ShellKind::PowerShell}) {
        std::u16string path = tabs.historyFile ? tabs.historyFile(kind) : std::u16string();
        if (!path.empty() && !clearCommandHistory(path)) failed += u" " + path;
    }
    for (TerminalEntry& entry : tabs.terminals) clearTerminalHistory(*entry.terminal);
    if (failed.empty()) {
        report(tabs, u"> " + uiText(tabs, kTextHistoryCleared), kActionBlue);
    } else {
        report(tabs, u"> " + uiText(tabs, kTextHistoryNotCleared) + failed, kFailureRed);
    }
    return failed.empty();
}
