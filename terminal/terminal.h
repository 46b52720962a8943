// One terminal tab: a rich-edit control holding the protected transcript of a
// shell and the editable input line after it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "terminal/sgr_parser.h"
#include "terminal/shell_session.h"

// UI text lookup by text id (25..34, 90..92, 153 are used here).
using TerminalTextLookup = std::function<std::u16string(int id)>;

struct Terminal {
    HWND editor = nullptr;
    HFONT font = nullptr;
    ShellSession shell;
    std::u16string prompt;             // substitute prompt, fixed at creation
    std::u16string pendingEcho;        // last submitted line until its echo was looked for
    std::vector<std::u16string> history;
    uint64_t historyIndex = 0;         // == history.size() when not browsing
    std::u16string lastFind;
    std::u16string lastReverseQuery;
    uint32_t lastReverseIndex = 0;
    int32_t inputStart = 0;            // where the editable input line begins
    bool allowEdit = false;            // the program itself is changing protected text
    bool quickEdit = false;
    bool promptTimerArmed = false;
    bool outputEndsWithPrompt = false;
    bool syntheticPromptShown = false;
    uint32_t syntheticPromptLength = 0;
    COLORREF defaultColor = RGB(204, 204, 204);
    COLORREF backgroundColor = RGB(12, 12, 12);
    SgrState sgr;                      // colorActive, currentColor, bold
    // Output chunks taken off the message queue, not yet rendered.
    std::deque<std::u16string*> queuedOutput;
    bool renderPending = false;        // the render timer will insert the queued output
    DWORD lastRenderTick = 0;
    bool redrawHeld = false;           // the control does not draw until the paint timer or user input
    DWORD lastPaintTick = 0;
    uint64_t outputChunks = 0;         // chunks received from the shell
    TerminalTextLookup text;           // empty: built-in Chinese texts
    // Told the path of a transcript that could not be saved; empty: a warning beep.
    std::function<void(const std::u16string& path)> reportSaveFailure;

    Terminal() = default;
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    ~Terminal();
};

bool createTerminal(Terminal& terminal, HWND parent, HINSTANCE instance, ShellKind kind, int fontSize);
void destroyTerminal(Terminal& terminal);
void setTerminalColors(Terminal& terminal, COLORREF background, COLORREF text);
void setTerminalFont(Terminal& terminal, int points);
void setQuickEdit(Terminal& terminal, bool quickEdit);
// Shows or hides the control (the tab strip does so as tabs change).
void showTerminal(Terminal& terminal, bool visible);
void insertOutput(Terminal& terminal, const std::u16string& text, COLORREF color, bool bold);
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
bool findInTerminal(Terminal& terminal, const std::u16string& what);      // beeps on no match
bool reverseSearchHistory(Terminal& terminal, const std::u16string& query);  // beeps on no match
std::u16string terminalText(const Terminal& terminal);     // whole text, lines end in CR LF
std::u16string terminalInputLine(const Terminal& terminal); // inputStart to end, CR between lines

// Output rendering and the transcript file.
void renderOutput(Terminal& terminal, const std::u16string& chunk);
void saveOutput(Terminal& terminal);
// The save behind the dialog; a failure goes to reportSaveFailure.
bool saveTranscript(Terminal& terminal, const std::u16string& path);
// The bytes saveOutput writes for a transcript: UTF-8 with a byte-order mark.
std::string transcriptFileBytes(const std::u16string& text);

// The terminal's text lookup, or the built-in Chinese texts without one.
std::u16string terminalUiText(const Terminal& terminal, int id);
std::u16string builtinTerminalText(int id);
