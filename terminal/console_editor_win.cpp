#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>
#include <windowsx.h>

#include <string>
#include <vector>

#include "data/text.h"
#include "platform/win_dpi.h"
#include "platform/win_clock.h"
#include "platform/win_fonts.h"
#include "platform/win_system_library.h"
#include "platform/win_text.h"
#include "terminal/command_history.h"
#include "terminal/terminal_output_win.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr LPARAM kTextLimit = 268435456;

enum MenuCommand : UINT { kMenuCopy = 1, kMenuPaste, kMenuSelectAll, kMenuFind, kMenuSave, kMenuStop };

// An empty selection takes the format of the text before it, which is
// protected output at the start of the input line; typing there must not be.
void makeInsertionEditable(Terminal& t) {
    CHARRANGE range = selection(t);
    if (range.cpMin != range.cpMax || range.cpMin < t.input.start) return;
    t.input.allowEdit = true;
    setSelectionFormat(t, t.defaultColor, false, false);
    t.input.allowEdit = false;
}

void caretGuard(Terminal& t) {
    if (selection(t).cpMin < t.input.start) {
        LONG end = textLength(t);
        select(t, end, end);
    }
}

void beep() { MessageBeep(MB_ICONASTERISK); }

bool clipboardHasText() { return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT); }

void copySelection(Terminal& t) { SendMessageW(t.editor, WM_COPY, 0, 0); }

void requestStop(Terminal& t) {
    if (t.stopRequested) {
        t.stopRequested();
    } else {
        stopTerminalCommand(t);
    }
}

void historyBack(Terminal& t) {
    if (t.history.empty() || t.recall.historyIndex == 0) return;
    if (t.recall.historyIndex > t.history.size()) t.recall.historyIndex = t.history.size();
    --t.recall.historyIndex;
    replaceInput(t, t.history[size_t(t.recall.historyIndex)]);
}

// As cmd.exe does: the typed line goes, and history browsing starts afresh.
void clearInputLine(Terminal& t) {
    replaceInput(t, u"");
    t.recall.historyIndex = t.history.size();
}

void historyForward(Terminal& t) {
    if (t.history.empty()) return;
    if (t.recall.historyIndex + 1 >= t.history.size()) {
        t.recall.historyIndex = t.history.size();
        replaceInput(t, u"");
        return;
    }
    ++t.recall.historyIndex;
    replaceInput(t, t.history[size_t(t.recall.historyIndex)]);
}

HWND dialogOwner(const Terminal& t) {
    HWND parent = GetParent(t.editor);
    return parent ? parent : t.editor;
}

// The line goes back to the control afterwards: keys typed next, Enter above
// all, reach the line the dialog filled, and a found match shows selected.
bool askWithTerminalTexts(Terminal& t, int titleId, int promptId, std::u16string& value) {
    if (!t.askText) return false;
    bool answered = t.askText(dialogOwner(t), terminalUiText(t, titleId), terminalUiText(t, promptId),
                              terminalUiText(t, kTextOk), terminalUiText(t, kTextCancel), value);
    if (t.editor && IsWindowVisible(t.editor)) SetFocus(t.editor);
    return answered;
}

void findDialog(Terminal& t) {
    std::u16string what = t.recall.lastFind;
    if (!askWithTerminalTexts(t, kTextFindTitle, kTextFindPrompt, what)) return;
    findInTerminal(t, what);
}

void reverseSearchDialog(Terminal& t) {
    std::u16string query = t.recall.lastReverseQuery;
    if (!askWithTerminalTexts(t, kTextReverseSearchTitle, kTextReverseSearchPrompt, query)) return;
    reverseSearchHistory(t, query);
}

// The parent refuses changes to protected text; a rich edit that does not
// report them (older or foreign implementations) is held back here as well.
bool touchesTranscript(const Terminal& t, WPARAM key, bool ctrl) {
    CHARRANGE range = selection(t);
    bool startsInOutput = range.cpMin < t.input.start;
    switch (key) {
        case VK_BACK: return startsInOutput || (range.cpMin == range.cpMax && range.cpMin <= t.input.start);
        case VK_DELETE: return startsInOutput;
        case 'X': return ctrl && startsInOutput;
    }
    return false;
}

bool onKeyDown(Terminal& t, WPARAM key) {
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (key) {
        case VK_RETURN: submitInput(t); return true;
        case 'V':
            if (!ctrl) return false;
            pasteIntoInput(t);
            return true;
        case VK_INSERT:
            if (!shift) return false;
            pasteIntoInput(t);
            return true;
        case 'F':
            if (!ctrl) return false;
            findDialog(t);
            return true;
        case 'S':
            if (!ctrl) return false;
            saveOutput(t);
            return true;
        case 'R':
            if (!ctrl) return false;
            reverseSearchDialog(t);
            return true;
        case VK_F3:
            if (t.recall.lastFind.empty()) return false;
            findInTerminal(t, t.recall.lastFind);
            return true;
        case VK_UP:
            if (selection(t).cpMin < t.input.start) return false;
            historyBack(t);
            return true;
        case VK_DOWN:
            if (selection(t).cpMin < t.input.start) return false;
            historyForward(t);
            return true;
        case VK_CANCEL: requestStop(t); return true;  // Ctrl+Break
        case VK_ESCAPE: clearInputLine(t); return true;
        case VK_TAB:
            if (ctrl) return false;  // the window's: switching tabs
            completePathInInput(t, shift);
            return true;
    }
    return touchesTranscript(t, key, ctrl);
}

bool onChar(Terminal& t, WPARAM code) {
    if (code < 0x20) return true;  // Enter, TAB, Escape and Ctrl+letters insert nothing
    caretGuard(t);
    makeInsertionEditable(t);
    return false;
}

POINT contextMenuPoint(const Terminal& t, LPARAM position) {
    if (position != -1) return {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    RECT bounds;
    GetWindowRect(t.editor, &bounds);
    return {bounds.left + 12, bounds.top + 12};
}

void onContextMenu(Terminal& t, LPARAM position) {
    CHARRANGE range = selection(t);
    bool hasSelection = range.cpMax > range.cpMin;
    if (t.input.quickEdit) {
        if (hasSelection) {
            copySelection(t);
            select(t, range.cpMax, range.cpMax);
        } else if (clipboardHasText()) {
            pasteIntoInput(t);
        }
        return;
    }
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    auto add = [&](UINT id, int textId, bool enabled) {
        AppendMenuW(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id, wstr(terminalUiText(t, textId)));
    };
    add(kMenuCopy, kTextCopy, hasSelection);
    add(kMenuPaste, kTextPaste, clipboardHasText());
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    add(kMenuSelectAll, kTextSelectAll, true);
    add(kMenuFind, kTextFindMenu, true);
    add(kMenuSave, kTextSaveOutput, true);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    add(kMenuStop, kTextStopCommand, true);
    POINT at = contextMenuPoint(t, position);
    UINT command = UINT(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, t.editor, nullptr));
    DestroyMenu(menu);
    switch (command) {
        case kMenuCopy: copySelection(t); break;
        case kMenuPaste: pasteIntoInput(t); break;
        case kMenuSelectAll: select(t, 0, -1); break;
        case kMenuFind: findDialog(t); break;
        case kMenuSave: saveOutput(t); break;
        case kMenuStop: requestStop(t); break;
    }
}

bool onTimer(Terminal& t, WPARAM timer) {
    switch (timer) {
        case kRenderTimer: renderQueuedOutput(t); return true;
        case kPaintTimer: releaseRedraw(t); return true;
        case kPromptTimer: onPromptTimer(t); return true;
        case kTypeAheadTimer: onTypeAheadTimer(t); return true;
        case kRunningTimer: onRunningTimer(t); return true;
        case kRetireTimer: onRetireTimer(t); return true;
        case kInterruptTimer: onInterruptTimer(t); return true;
    }
    return false;
}

// The rich edit control inserts composed text itself, without WM_CHAR, at
// the selection: it must sit in the input line with an editable format, and
// output must not move it until the composition ends.
void onImeComposing(Terminal& t) {
    if (!t.input.composing) {
        caretGuard(t);
        makeInsertionEditable(t);
    }
    t.input.composing = true;
}

// What the user does is shown at once, even in the middle of a flood of output.
bool isUserInput(UINT message) {
    if (message == WM_MOUSEMOVE) return false;
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           message == WM_VSCROLL || message == WM_CONTEXTMENU || message == WM_PASTE;
}

LRESULT CALLBACK editorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    Terminal& t = *reinterpret_cast<Terminal*>(data);
    if (t.output.redrawHeld && isUserInput(message)) releaseRedraw(t);
    switch (message) {
        case WM_KEYDOWN:
            if (onKeyDown(t, wParam)) return 0;
            break;
        case WM_CHAR:
            if (onChar(t, wParam)) return 0;
            break;
        case WM_IME_CHAR:
        case WM_UNICHAR:
            caretGuard(t);
            makeInsertionEditable(t);
            break;
        case WM_IME_STARTCOMPOSITION:
        case WM_IME_COMPOSITION: onImeComposing(t); break;
        case WM_IME_ENDCOMPOSITION:
            t.input.composing = false;
            PostMessageW(window, WM_TERMINAL_CONTINUE, 0, 0);  // the output held meanwhile
            break;
        case WM_PASTE: pasteIntoInput(t); return 0;
        case WM_CUT:
        case WM_CLEAR:
            if (selection(t).cpMin < t.input.start) return 0;
            break;
        case WM_CONTEXTMENU: onContextMenu(t, lParam); return 0;
        case WM_TIMER:
            if (!onTimer(t, wParam)) break;
            return 0;
        case WM_TERMINAL_OUTPUT: onOutputMessage(t, takePostedChunk(lParam)); return 0;
        case WM_TERMINAL_CONTINUE: renderQueuedOutput(t); return 0;
        case WM_TERMINAL_INPUT_READ: onInputRead(t, uint64_t(wParam)); return 0;
        case WM_TERMINAL_ENDED: onShellEnded(t, DWORD(wParam)); return 0;
        case WM_TERMINAL_REFILL: onRefillSlice(t); return 0;
        case WM_NCDESTROY:
            if (window == t.editor) {
                // Destroyed with its parent before destroyTerminal ran: free what is queued now.
                dropSpareControls(t);
                freeQueuedOutput(t);
                killOutputTimers(t);
                t.editor = nullptr;
            }
            RemoveWindowSubclass(window, editorProc, id);
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

COLORREF toColorRef(Rgb color) { return RGB(color.r, color.g, color.b); }

Rgb toRgb(COLORREF color) { return {GetRValue(color), GetGValue(color), GetBValue(color)}; }

Terminal::~Terminal() { destroyTerminal(*this); }

namespace {

HWND createEditorControl(Terminal& t, HWND parent, bool visible) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    HWND editor = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"RICHEDIT50W", L"",
        WS_CHILD | (visible ? WS_VISIBLE : 0) | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL, 0, 0, 0, 0,
        parent, nullptr, instance, nullptr);
    if (!editor) return nullptr;
    SendMessageW(editor, EM_EXLIMITTEXT, 0, kTextLimit);
    SendMessageW(editor, EM_SETBKGNDCOLOR, 0, LPARAM(t.backgroundColor));
    SendMessageW(editor, EM_SETEVENTMASK, 0, ENM_PROTECTED);
    if (t.font) SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(t.font), FALSE);
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = t.defaultColor;
    SendMessageW(editor, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SetWindowSubclass(editor, editorProc, kSubclassId, reinterpret_cast<DWORD_PTR>(&t));
    return editor;
}

constexpr ScrollbackHooks kScrollbackHooks = {createEditorControl, appendRunsTo, releaseRedraw, resumeOutputTimers};

}  // namespace

bool createTerminal(Terminal& t, HWND parent, HINSTANCE instance, ShellKind kind, int fontSize, bool startShell) {
    static const HMODULE richEdit = loadSystemLibrary(L"Msftedit.dll");
    if (!richEdit) return false;
    (void)instance;  // the control takes its parent's
    t.editor = createEditorControl(t, parent, true);
    if (!t.editor) return false;
    t.refill.hooks = &kScrollbackHooks;
    setTerminalFont(t, fontSize);
    t.sgr.currentColor = toRgb(t.defaultColor);
    t.kind = kind;
    t.prompt = substitutePrompt(kind, sessionStartDirectory());
    if (startShell) startTerminalShell(t);
    return true;
}

void startTerminalShell(Terminal& t) {
    if (!t.editor || t.shell.process) return;
    if (startSession(t.shell, t.kind, t.editor)) {
        armPromptTimer(t);
        if (t.shell.jobError && t.reportJobFailure) t.reportJobFailure(t.shell.jobError);
    } else {
        insertOutput(t, terminalUiText(t, kTextTerminalStartFailed) + u"\r\n");
    }
}

std::u16string useHistoryFile(Terminal& t, const std::u16string& path) {
    HistoryLoad load = loadCommandHistory(path);
    t.historyPath = path;
    t.history = std::move(load.entries);
    t.recall.historyIndex = t.history.size();
    return load.keptAs;
}

void destroyTerminal(Terminal& t) {
    stopSession(t.shell);  // first: no chunk can arrive after this
    dropSpareControls(t);
    freeQueuedOutput(t);
    if (t.editor) {
        killOutputTimers(t);
        DestroyWindow(t.editor);
        t.editor = nullptr;
    }
    if (t.font) DeleteObject(t.font);
    t.font = nullptr;
    t.prompt.clear();
    t.typeAhead.pendingEcho.clear();
    t.history.clear();
    t.recall.historyIndex = 0;
    t.recall.lastFind.clear();
    t.recall.lastReverseQuery.clear();
}

void setTerminalColors(Terminal& t, COLORREF background, COLORREF text) {
    bool changed = background != t.backgroundColor || text != t.defaultColor;
    t.backgroundColor = background;
    t.defaultColor = text;
    if (!t.sgr.colorActive) t.sgr.currentColor = toRgb(text);
    if (!t.editor || !changed) return;
    if (refillInCurrentColors(t)) return;
    SendMessageW(t.editor, EM_SETBKGNDCOLOR, 0, LPARAM(background));
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = text;
    SendMessageW(t.editor, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    InvalidateRect(t.editor, nullptr, TRUE);
}

void setTerminalFont(Terminal& t, int points) {
    if (points < 8) points = 8;
    if (points > 28) points = 28;
    HFONT font = createMonospaceFont(-MulDiv(points, windowDpi(t.editor), 72));
    if (!font) return;
    SendMessageW(t.editor, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (t.font) DeleteObject(t.font);
    t.font = font;
}

void setQuickEdit(Terminal& t, bool quickEdit) { t.input.quickEdit = quickEdit; }

// The new line is drawn now and in the text colour whatever the text it
// replaced looked like: what shows is what Enter sends.
void replaceInput(Terminal& t, const std::u16string& text) {
    if (!t.editor) return;
    releaseRedraw(t);
    t.input.allowEdit = true;
    select(t, t.input.start, -1);
    SendMessageW(t.editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wstr(text)));
    select(t, t.input.start, -1);
    setSelectionFormat(t, t.defaultColor, false, false);
    select(t, -1, -1);
    t.input.allowEdit = false;
    SendMessageW(t.editor, EM_SCROLLCARET, 0, 0);
    repaint(t);
}

LRESULT protectedChangeAnswer(const Terminal& t) { return t.input.allowEdit ? 0 : 1; }

namespace {

// The typed line becomes transcript and goes to the shell: a command, or the
// input of the command that runs (no echo of it is expected then).
void commitInputLine(Terminal& t, const std::u16string& line, bool asCommand) {
    LONG start = t.input.start;
    LONG end = textLength(t);
    CHARFORMAT2W format = {};
    format.dwMask = CFM_PROTECTED;
    format.dwEffects = CFE_PROTECTED;
    setRangeFormat(t, t.input.start, end, format);
    t.input.start = end;
    if (asCommand && isHistoryWorthy(line))
        t.entered.push_back({t.mirror.dropped + t.mirror.runs.size(), line, clockText(ClockFormat::Time)});
    mirrorAppend(t.mirror, {OutputRun{line, toRgb(t.defaultColor), false, false, true}});
    t.typeAhead.pendingEcho = asCommand ? line : std::u16string();
    noteSubmittedLine(t, writeInput(t.shell, line + u"\n"), start, end);
    insertOutput(t, u"\r\n");
}

// The input line continues a line the running command printed (set /p's
// question, pause's "press any key"), or the command has stopped for input
// (a question without text): what is typed there answers it. A line typed
// below finished output is the next command, read once this one ends.
bool answersRunningCommand(const Terminal& t) {
    if (t.state.commandsOutstanding == 0 || t.input.start == 0) return false;
    if (t.state.waitingShown) return true;
    std::u16string before = textRange(t, t.input.start - 1, t.input.start);
    return before != u"\r" && before != u"\n";
}

}  // namespace

void submitInput(Terminal& t) {
    if (t.state.shellEnded) {  // the typed line stays for the new shell
        restartTerminalShell(t);
        return;
    }
    std::u16string line = terminalInputLine(t);
    if (answersRunningCommand(t)) {  // never a command, never kept
        noteWaitingForInput(t, false);
        commitInputLine(t, line, false);
        armPromptTimer(t);
        return;
    }
    if (isHistoryWorthy(line)) {
        rememberCommand(t.history, line);
        if (!t.historyPath.empty() && mayStoreCommand(line)) storeInHistoryFile(t, line);
    }
    t.recall.historyIndex = t.history.size();
    // cmd prompts on its output after every line it reads; PowerShell on a
    // pipe does not, so its end is guessed from silence (the substitute prompt).
    if (t.kind == ShellKind::Cmd) ++t.state.commandsOutstanding;
    if (isLocalClearCommand(line)) {
        replaceInput(t, u"");  // the clear's own line must not move to the fresh control
        writeInput(t.shell, line + u"\n");
        clearTranscript(t);
    } else {
        commitInputLine(t, line, true);
    }
    armPromptTimer(t);
    startRunningPoll(t);
}

void pasteIntoInput(Terminal& t) {
    caretGuard(t);
    makeInsertionEditable(t);
    REPASTESPECIAL special = {0, 0};
    t.input.allowEdit = selection(t).cpMin >= t.input.start;
    SendMessageW(t.editor, EM_PASTESPECIAL, CF_UNICODETEXT, reinterpret_cast<LPARAM>(&special));
    t.input.allowEdit = false;
}

std::u16string promptDirectoryOf(const Terminal& t) {
    LONG lineStart =
        LONG(SendMessageW(t.editor, EM_LINEINDEX, SendMessageW(t.editor, EM_EXLINEFROMCHAR, 0, t.input.start), 0));
    if (lineStart < 0 || lineStart > t.input.start) return {};
    return promptDirectory(textRange(t, lineStart, t.input.start));
}

bool completePathInInput(Terminal& t, bool backwards) {
    if (!t.editor) return false;
    caretGuard(t);
    CHARRANGE range = selection(t);
    std::u16string input = terminalInputLine(t);
    size_t caret = size_t(range.cpMin - t.input.start);
    CompletionResult result = completeInput(t.input.completion, input, caret, backwards, promptDirectoryOf(t));
    if (!result.completed) {
        beep();
        return false;
    }
    replaceInput(t, result.input);
    LONG at = t.input.start + LONG(result.caret);
    select(t, at, at);
    return true;
}

void clearTerminalHistory(Terminal& t) {
    t.history.clear();
    t.recall.historyIndex = 0;
    t.recall.lastReverseQuery.clear();
    t.recall.lastReverseIndex = 0;
}

bool findInTerminal(Terminal& t, const std::u16string& what) {
    if (what.empty()) return false;
    t.recall.lastFind = what;
    FINDTEXTEXW find = {};
    find.chrg.cpMin = selection(t).cpMax;
    find.chrg.cpMax = -1;
    find.lpstrText = wstr(t.recall.lastFind);
    LRESULT at = SendMessageW(t.editor, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find));
    if (at < 0) {
        find.chrg.cpMin = 0;
        at = SendMessageW(t.editor, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find));
    }
    if (at < 0) {
        std::u16string note = withValues(terminalUiText(t, kTextFindNone), {what});
        if (t.showNote)
            t.showNote(note);
        else
            beep();
        return false;
    }
    releaseRedraw(t);
    select(t, find.chrgText.cpMin, find.chrgText.cpMax);
    SendMessageW(t.editor, EM_SCROLLCARET, 0, 0);
    repaint(t);
    return true;
}

bool reverseSearchHistory(Terminal& t, const std::u16string& query) {
    size_t start = t.history.size();
    if (query == t.recall.lastReverseQuery && t.recall.lastReverseIndex < t.history.size())
        start = t.recall.lastReverseIndex;
    long found = reverseHistoryMatch(t.history, query, start);
    if (found < 0) {
        beep();
        return false;
    }
    t.recall.lastReverseQuery = query;
    t.recall.lastReverseIndex = uint32_t(found);
    replaceInput(t, t.history[size_t(found)]);
    return true;
}

std::u16string terminalText(const Terminal& t) {
    if (!t.editor) return {};
    GETTEXTLENGTHEX query = {GTL_USECRLF | GTL_PRECISE | GTL_NUMCHARS, 1200};
    LRESULT length = SendMessageW(t.editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(size_t(length) + 1, L'\0');
    GETTEXTEX options = {DWORD((length + 1) * sizeof(wchar_t)), GT_USECRLF, 1200, nullptr, nullptr};
    LRESULT copied = SendMessageW(t.editor, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&options),
                                  reinterpret_cast<LPARAM>(buffer.data()));
    return fromWide(buffer.data(), size_t(copied > 0 ? copied : 0));
}

std::u16string terminalInputLine(const Terminal& t) { return textRange(t, t.input.start, textLength(t)); }

std::u16string terminalUiText(const Terminal& t, int id) { return t.text ? t.text(id) : std::u16string(); }
