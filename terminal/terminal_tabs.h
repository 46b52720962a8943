// The terminal pages of the main tab control. The main window embeds one
// TerminalTabs record, hands it the page list, keeps its settings copies
// current and supplies the callbacks; the functions here own creating,
// naming, renaming and closing.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "terminal/page_list.h"
#include "terminal/terminal.h"

struct TerminalEntry {
    std::unique_ptr<Terminal> terminal;
    ShellKind kind = ShellKind::Cmd;
};

struct TerminalTabs {
    HWND owner = nullptr;  // parent of the terminal controls, owner of the dialogs
    PageList* pages = nullptr;  // the main tab control's pages; set before any terminal opens
    HINSTANCE instance = nullptr;
    int fontSize = 12;  // setting fontSize
    bool quickEdit = false;  // setting quickEdit
    COLORREF background = RGB(12, 12, 12);  // theme: terminal background
    COLORREF textColor = RGB(204, 204, 204);  // theme: terminal text
    std::vector<TerminalEntry> terminals;  // tab order
    std::vector<ShellKind> listedAhead;  // terminal pages listed, still waiting for their terminals (listTerminalTab)
    // Handed to each new terminal's shell (consoleInterruptHelper); empty:
    // stopping ends programs without a Ctrl+C first.
    std::u16string interruptHelper;

    // Supplied by the main window; empty callbacks are skipped.
    std::function<void(int tabIndex)> selectTab;
    std::function<void()> layoutRightPane;
    std::function<void()> rebuildMenuBar;
    std::function<void(const std::u16string& line, COLORREF color)> reportActivity;
    std::function<void(const std::u16string& text)> showStatus;  // the status bar
    // Asks a yes/no question; empty: a message box owned by `owner`.
    std::function<bool(const std::u16string& question)> confirm;
    std::function<void(const std::u16string& path)> reportSaveFailure;  // a transcript was not saved
    // Told of a terminal about to be closed, with its tab's name.
    std::function<void(const Terminal& terminal, const std::u16string& name)> terminalClosing;
    // A command entered in any terminal ended, with its output (Terminal::commandEnded).
    std::function<void(const std::u16string& command, const std::u16string& output)> commandEnded;
    // Where a kind's history is kept; empty: in each terminal's memory only.
    std::function<std::u16string(ShellKind kind)> historyFile;
    // A history file that was not history text, and where it was copied.
    std::function<void(const std::u16string& path, const std::u16string& copy)> reportHistoryKeptAside;
    TerminalTextLookup text;  // also handed to every terminal
    TerminalAskText askText;  // likewise; empty: the naming commands do nothing
};

// Creates a terminal and its tab at the end; returns the tab index or -1.
// Without startShell, startTerminalShell starts its shell later. A tab listed
// ahead is taken over instead of adding one.
int openTerminalTab(TerminalTabs& tabs, ShellKind kind, bool startShell = true);
// Adds the tab of a terminal still to be opened, under the name it will have:
// the tab strip looks whole while the terminals are made later, in the same
// order (openListedTerminals).
void listTerminalTab(TerminalTabs& tabs, ShellKind kind);
// Makes the terminals whose tabs were listed ahead, without starting their
// shells; a terminal that cannot be made loses its tab.
void openListedTerminals(TerminalTabs& tabs);
// The New CMD / New PowerShell terminal commands.
void openNewTerminal(TerminalTabs& tabs, ShellKind kind);
void openNamedTerminal(TerminalTabs& tabs, ShellKind kind);
void renameCurrentTerminal(TerminalTabs& tabs);
void closeCurrentTerminal(TerminalTabs& tabs);
// Puts a command into the input line of the first terminal of the shell's
// kind (opening one if needed) without running it.
void fillCommand(TerminalTabs& tabs, const std::u16string& shellName, const std::u16string& command);
// Ends what the shell of the terminal in front runs, naming it in the
// Activity log; with nothing to end, offers to restart the shell.
void stopCommandInCurrentTerminal(TerminalTabs& tabs);
// Asks, then starts a fresh shell in the terminal in front.
void restartShellInCurrentTerminal(TerminalTabs& tabs);
// Before the window closes: true when no terminal runs anything, or the user
// agreed to end what runs.
bool confirmCloseWithRunningWork(TerminalTabs& tabs);
// Empties both history files and the histories of the open terminals, once
// the user agreed; false when a file could not be emptied.
bool clearCommandHistoryEverywhere(TerminalTabs& tabs);
// Destroys every terminal (window destruction).
void destroyAllTerminals(TerminalTabs& tabs);

// The terminal whose control is the window, or null.
Terminal* terminalForEditor(TerminalTabs& tabs, HWND editor);
// The answer to EN_PROTECTED: refuse unless the owning terminal allows it;
// 0 for controls that belong to no terminal.
LRESULT answerProtectedNotification(TerminalTabs& tabs, HWND editor);
// Tab index of the terminal in front, or -1 when the front tab is no terminal.
int currentTerminalIndex(const TerminalTabs& tabs);
void setAllTerminalsFont(TerminalTabs& tabs, int points);
void setAllTerminalsQuickEdit(TerminalTabs& tabs, bool quickEdit);
void setAllTerminalsColors(TerminalTabs& tabs, COLORREF background, COLORREF text);
