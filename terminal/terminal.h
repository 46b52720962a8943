// One terminal tab: a rich-edit control holding the protected transcript of a
// shell and the editable input line after it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/ui_text_ids.h"
#include "terminal/sgr_parser.h"
#include "terminal/path_completion.h"
#include "terminal/shell_session.h"
#include "terminal/transcript_mirror.h"

// UI text lookup by text id (data/ui_text_ids.h).
using TerminalTextLookup = std::function<std::u16string(int id)>;
// Asks for one line in a modal dialog owned by owner: true when confirmed, with
// text holding what was typed; the window above supplies the dialog.
using TerminalAskText =
    std::function<bool(HWND owner, const std::u16string& title, const std::u16string& prompt,
                       const std::u16string& okLabel, const std::u16string& cancelLabel, std::u16string& text)>;

// A line typed while the shell was busy, shown greyed until the shell reads it.
struct TypedAhead {
    uint64_t sequence = 0;  // the write's number (writeInput)
    int32_t start = 0;  // its characters in the transcript
    int32_t end = 0;
    bool greyed = false;
};

struct ScrollbackHooks;

// The editable input line after the transcript.
struct TerminalInputLine {
    int32_t start = 0;  // where the editable input line begins
    bool allowEdit = false;  // the program itself is changing protected text
    bool quickEdit = false;
    bool composing = false;  // an IME composition is open: output waits, as moving
                             // the selection would end the composition
    CompletionCycle completion;  // the last Tab press, for the next one
};

// Browsing the history, the reverse search and find.
struct TerminalRecall {
    uint64_t historyIndex = 0;  // == history.size() when not browsing
    std::u16string lastFind;
    std::u16string lastReverseQuery;
    uint32_t lastReverseIndex = 0;
};

// Lines submitted to the shell that it has not read or echoed yet.
struct TerminalTypeAhead {
    std::vector<TypedAhead> unread;  // oldest first
    std::u16string pendingEcho;  // what is still expected of the last submitted line's echo
};

// Output chunks taken off the message queue, and the pacing of their rendering.
struct TerminalOutputQueue {
    std::deque<std::unique_ptr<std::u16string>> chunks;  // not yet rendered
    bool renderPending = false;  // the render timer will insert the queued output
    DWORD lastRenderTick = 0;
    bool redrawHeld = false;  // the control does not draw until the paint timer or user input
    DWORD lastPaintTick = 0;
    uint64_t taken = 0;  // chunks received from the shell
};

// The transcript moving to a fresh control (bounded scrollback, recolouring).
struct TerminalRefill {
    HWND fresh = nullptr;  // hidden control being filled with the kept lines
    uint64_t next = 0;  // next mirror run for the fresh control
    HWND retired = nullptr;  // the control before the last refill, destroyed shortly
    const ScrollbackHooks* hooks = nullptr;  // set with the control
};

// What the shell is doing, as far as its output tells: at its prompt, inside
// a command, waiting, ended.
struct TerminalShellState {
    bool promptTimerArmed = false;
    bool outputEndsWithPrompt = false;
    bool syntheticPromptShown = false;
    uint32_t syntheticPromptLength = 0;
    // Lines submitted as commands that the shell has not prompted after yet
    // (cmd only): one runs while any is outstanding.
    uint32_t commandsOutstanding = 0;
    bool commandEndPending = false;  // the last one ended; told once its output is in the mirror
    PromptScan promptScan;  // the shell's prompts, counted across reads
    bool waitingShown = false;  // the status says the command waits for input
    bool shellEnded = false;  // the shell ended by itself; Enter starts a new one
    bool runningPoll = false;  // the running-command timer is set
    std::u16string runningShown;  // names last reported as running
    // Given Ctrl+C and not yet ended: the grace period runs while not empty.
    std::vector<ChildProcess> interrupted;
};

struct Terminal {
    HWND editor = nullptr;
    HFONT font = nullptr;
    ShellSession shell;
    ShellKind kind = ShellKind::Cmd;
    std::u16string prompt;  // substitute prompt, fixed at creation
    std::vector<std::u16string> history;  // oldest first, the saved history at the start
    std::u16string historyPath;  // the history file; empty: kept in memory only
    COLORREF defaultColor = RGB(204, 204, 204);
    COLORREF backgroundColor = RGB(12, 12, 12);
    SgrState sgr;  // colorActive, currentColor, bold
    TerminalInputLine input;
    TerminalRecall recall;
    TerminalTypeAhead typeAhead;
    TerminalOutputQueue output;
    TerminalRefill refill;
    TerminalShellState state;
    TranscriptMirror mirror;  // the transcript's runs, to refill a fresh control from
    TranscriptMirror cleared;  // what the local clear took from view, for the session report
    std::vector<EnteredCommand> entered;  // where each command entered begins in the mirror
    TerminalTextLookup text;  // the window's text table; empty: no texts
    TerminalAskText askText;  // empty: the find and search dialogs do not open
    // Set by the tab owner; empty ones are skipped.
    std::function<void()> stopRequested;  // Ctrl+Break and the context menu
    // The grace period after a console Ctrl+C is over; empty: stopTerminalCommand.
    std::function<void()> interruptGraceOver;
    // Names of the programs the shell runs, empty when none; visible terminal only.
    // waiting: no program runs, and the command has stopped for input.
    std::function<void(const std::u16string& names, bool waiting)> runningChanged;
    // A short note for the status bar (a search without a match); empty: a beep.
    std::function<void(const std::u16string& note)> showNote;
    // Told the path of a transcript that could not be saved; empty: a warning beep.
    std::function<void(const std::u16string& path)> reportSaveFailure;
    // The last command entered ended (the shell prompted again), with what it printed (cmd only).
    std::function<void(const std::u16string& command, const std::u16string& output)> commandEnded;
    // Told the error when the shell's programs would outlive the terminal (no kill-on-close job).
    std::function<void(unsigned long error)> reportJobFailure;

    Terminal() = default;
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    ~Terminal();
};

// What tests, self-tests and benchmarks watch of a terminal, through one
// narrow window instead of its records.
struct TerminalProbe {
    bool atShellPrompt = false;  // the output ends in the shell's own prompt
    bool substitutePrompt = false;  // the terminal's own prompt is shown
    bool commandRunning = false;  // a submitted command has not ended
    bool redrawHeld = false;
    bool refilling = false;  // a fresh control is being filled
    bool spareControl = false;  // a replaced control waits to be destroyed
    uint64_t outputChunks = 0;  // taken from the shell so far
    size_t queuedChunks = 0;  // taken off the message queue, not yet rendered
    size_t unreadLines = 0;  // submitted lines the shell has not read
    int32_t inputStart = 0;
    std::u16string lastFind;
};
TerminalProbe probeTerminal(const Terminal& terminal);
// For tests: as if the output had not ended in a prompt; as if the control had just painted.
void probeForgetShellPrompt(Terminal& terminal);
void probeCountPaintNow(Terminal& terminal);

// Without startShell the control is made but the shell waits for startTerminalShell
// (the window shows itself first); that starts it once, doing nothing when it runs.
bool createTerminal(Terminal& terminal, HWND parent, HINSTANCE instance, ShellKind kind, int fontSize,
                    bool startShell = true);
void startTerminalShell(Terminal& terminal);
// Takes the saved history from the file and adds the storable commands
// entered from now on to it. Returns where a file that was not history text
// was copied before a fresh one began (empty when none was).
std::u16string useHistoryFile(Terminal& terminal, const std::u16string& path);
// Appends the command to the terminal's history file without holding up the
// window for longer than a moment. A store that fails posts
// kHistoryNotStoredMessage to the terminal's parent, with the file's path
// (a new std::u16string the receiver deletes).
void storeInHistoryFile(Terminal& terminal, const std::u16string& command);
constexpr UINT kHistoryNotStoredMessage = WM_APP + 14;
void destroyTerminal(Terminal& terminal);
// Text in the terminal's own colour follows the change, and coloured output
// is shown legibly on the new background.
void setTerminalColors(Terminal& terminal, COLORREF background, COLORREF text);
void setTerminalFont(Terminal& terminal, int points);
void setQuickEdit(Terminal& terminal, bool quickEdit);
// Shows or hides the control (the tab strip does so as tabs change).
void showTerminal(Terminal& terminal, bool visible);
// Inserts text in the terminal's own text colour (notes of its own, prompts).
void insertOutput(Terminal& terminal, const std::u16string& text);
// Inserts several runs as insertOutput would one after the other, with one
// scroll and one repaint at the end.
void insertOutputRuns(Terminal& terminal, const std::vector<OutputRun>& runs);
COLORREF toColorRef(Rgb color);
Rgb toRgb(COLORREF color);
void replaceInput(Terminal& terminal, const std::u16string& text);

// The answer to EN_PROTECTED from a terminal's control: non-zero refuses.
LRESULT protectedChangeAnswer(const Terminal& terminal);

// Operations behind the keys and the menu, callable without the dialogs.
void submitInput(Terminal& terminal);
void pasteIntoInput(Terminal& terminal);
// Tab and Shift+Tab: completes the word before the caret with file and folder
// names (beeps when none begins with it).
bool completePathInInput(Terminal& terminal, bool backwards);
// The directory the shell's last prompt names; empty when the line before the
// input is no prompt.
std::u16string promptDirectoryOf(const Terminal& terminal);
// Forgets the commands of this session (the history files are emptied apart).
void clearTerminalHistory(Terminal& terminal);
bool findInTerminal(Terminal& terminal, const std::u16string& what);  // beeps on no match
bool reverseSearchHistory(Terminal& terminal, const std::u16string& query);  // beeps on no match
std::u16string terminalText(const Terminal& terminal);  // whole text, lines end in CR LF
std::u16string terminalInputLine(const Terminal& terminal);  // inputStart to end, CR between lines

// Running commands: ends what the shell started (never the shell itself) and
// returns it; starts a fresh shell in the same control after a marker line.
// Windowed programs are ended only when endWindowed agrees; those that refuse
// (elevated) are put in denied.
// The programs given Ctrl+C that ended of it are among those returned.
std::vector<ChildProcess> stopTerminalCommand(Terminal& terminal, const EndWindowedChoice& endWindowed = {},
                                              std::vector<ChildProcess>* denied = nullptr);
// A console Ctrl+C to what the shell runs, as a console's Ctrl+C; the grace
// period ends on a timer, never by waiting here. False when nothing runs, the
// session has no interrupt helper, or a grace period runs already.
bool interruptTerminalCommand(Terminal& terminal);
bool restartTerminalShell(Terminal& terminal);
// Empties the transcript (the local "cls").
void clearTranscript(Terminal& terminal);

// Output rendering and the transcript file.
void renderOutput(Terminal& terminal, const std::u16string& chunk);
void saveOutput(Terminal& terminal);
// The save behind the dialog; a failure goes to reportSaveFailure.
bool saveTranscript(Terminal& terminal, const std::u16string& path);
// The bytes saveOutput writes for a transcript: UTF-8 with a byte-order mark.
std::string transcriptFileBytes(const std::u16string& text);

// The text the terminal's lookup gives for the id; empty without a lookup.
std::u16string terminalUiText(const Terminal& terminal, int id);
