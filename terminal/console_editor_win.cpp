#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>
#include <windowsx.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win_system_library.h"
#include "platform/win_text.h"
#include "terminal/output_rtf.h"
#include "terminal/terminal.h"
#include "ui/input_dialog.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kPromptTimer = 1;
constexpr UINT kPromptDelayMs = 350;
constexpr LPARAM kTextLimit = 268435456;
constexpr WPARAM kUndoLimit = 100;  // the control's default
// Posted to itself to render the rest of the queued output after a pause,
// so that other messages get their turn during a flood of output.
constexpr UINT WM_TERMINAL_CONTINUE = WM_APP + 11;
constexpr DWORD kOutputSliceMs = 40;
// Each insertion has a fixed cost that grows with the transcript (the control
// walks its paragraphs to find positions), so output goes in in large pieces.
constexpr size_t kBatchChars = 64 * 1024;
constexpr size_t kBatchRuns = 8192;  // each coloured run is a style change in the control
// Every insertion costs the control a walk over its paragraphs and a repaint,
// which grow with the transcript; output arriving in quick succession is
// therefore gathered and inserted at most this often.
constexpr UINT_PTR kRenderTimer = 2;
constexpr DWORD kRenderGapMs = 50;
// Repainting costs a walk over the paragraphs too: while output keeps coming,
// the control is held back from redrawing and shown at most this often.
constexpr UINT_PTR kPaintTimer = 3;
constexpr DWORD kPaintGapMs = 100;

enum MenuCommand : UINT { kMenuCopy = 1, kMenuPaste, kMenuSelectAll, kMenuFind, kMenuSave };

CHARRANGE selection(const Terminal& t) {
    CHARRANGE range = {0, 0};
    SendMessageW(t.editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

void select(const Terminal& t, LONG from, LONG to) {
    CHARRANGE range = {from, to};
    SendMessageW(t.editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

LONG textLength(const Terminal& t) {
    GETTEXTLENGTHEX query = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    return LONG(SendMessageW(t.editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

std::u16string textRange(const Terminal& t, LONG from, LONG to) {
    if (to <= from) return {};
    std::vector<wchar_t> buffer(size_t(to - from) + 1, L'\0');
    TEXTRANGEW range = {{from, to}, buffer.data()};
    LRESULT copied = SendMessageW(t.editor, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    return fromWide(buffer.data(), size_t(copied > 0 ? copied : 0));
}

void setSelectionFormat(const Terminal& t, COLORREF color, bool bold, bool isProtected) {
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_BOLD | CFM_PROTECTED;
    format.dwEffects = (bold ? CFE_BOLD : 0) | (isProtected ? CFE_PROTECTED : 0);
    format.crTextColor = color;
    SendMessageW(t.editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

// An empty selection takes the format of the text before it, which is
// protected output at the start of the input line; typing there must not be.
void makeInsertionEditable(Terminal& t) {
    CHARRANGE range = selection(t);
    if (range.cpMin != range.cpMax || range.cpMin < t.inputStart) return;
    t.allowEdit = true;
    setSelectionFormat(t, t.defaultColor, false, false);
    t.allowEdit = false;
}

// Puts the caret at inputStart. The control finds a position by walking its
// paragraphs from the top, so the common case, no typed input after the
// transcript, asks for the end of the text instead, which it finds at once.
void selectInsertionPoint(const Terminal& t) {
    if (t.inputStart >= textLength(t)) {
        select(t, -1, -1);
    } else {
        select(t, t.inputStart, t.inputStart);
    }
}

void repaint(const Terminal& t) {
    InvalidateRect(t.editor, nullptr, FALSE);
}

// Holding back redraw takes the control's visible style away until it is
// released, and releasing gives it back; a hidden control draws nothing
// anyway, so only a shown one is held.
void holdRedraw(Terminal& t) {
    if (t.redrawHeld || !(GetWindowLongPtrW(t.editor, GWL_STYLE) & WS_VISIBLE)) return;
    SendMessageW(t.editor, WM_SETREDRAW, FALSE, 0);
    t.redrawHeld = true;
}

// Lets the control draw again and brings the caret into view.
void releaseRedraw(Terminal& t) {
    if (!t.redrawHeld) return;
    KillTimer(t.editor, kPaintTimer);
    t.redrawHeld = false;
    SendMessageW(t.editor, WM_SETREDRAW, TRUE, 0);
    SendMessageW(t.editor, EM_SCROLLCARET, 0, 0);
    // The frame too: the scroll bar may have come or changed meanwhile.
    RedrawWindow(t.editor, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    t.lastPaintTick = GetTickCount();
}

// After an insertion: show it now, or with the next paint when one was recent.
void showInsertion(Terminal& t) {
    if (!t.redrawHeld) {  // a hidden control
        SendMessageW(t.editor, EM_SCROLLCARET, 0, 0);
        repaint(t);
        return;
    }
    DWORD since = GetTickCount() - t.lastPaintTick;
    if (since >= kPaintGapMs) {
        releaseRedraw(t);
    } else {
        SetTimer(t.editor, kPaintTimer, kPaintGapMs - since, nullptr);
    }
}

void caretGuard(Terminal& t) {
    if (selection(t).cpMin < t.inputStart) {
        LONG end = textLength(t);
        select(t, end, end);
    }
}

void armPromptTimer(Terminal& t) {
    t.promptTimerArmed = true;
    SetTimer(t.editor, kPromptTimer, kPromptDelayMs, nullptr);
}

void beep() {
    MessageBeep(MB_ICONASTERISK);
}

bool clipboardHasText() {
    return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
}

void copySelection(Terminal& t) {
    SendMessageW(t.editor, WM_COPY, 0, 0);
}

void removeSyntheticPrompt(Terminal& t) {
    if (t.syntheticPromptShown && t.syntheticPromptLength > 0) {
        LONG start = t.inputStart - LONG(t.syntheticPromptLength);
        if (start < 0) start = 0;
        if (start != t.inputStart) {
            CHARRANGE user = selection(t);
            LONG removed = t.inputStart - start;
            t.allowEdit = true;
            select(t, start, t.inputStart);
            SendMessageW(t.editor, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
            t.allowEdit = false;
            t.inputStart = start;
            if (user.cpMin >= start + removed) select(t, user.cpMin - removed, user.cpMax - removed);
        }
    }
    t.syntheticPromptShown = false;
}

// Takes one chunk off the queue: prompt removal and echo suppression, then
// its runs are appended to the batch being built.
void takeChunk(Terminal& t, std::u16string& chunk, std::vector<OutputRun>& batch) {
    removeSyntheticPrompt(t);
    if (!t.pendingEcho.empty() && !chunk.empty()) {
        EchoMatch echo = matchShellEcho(chunk, t.pendingEcho);
        if (echo.settled) {
            chunk.erase(0, echo.dropCount);
            t.pendingEcho.clear();
        }
    }
    for (OutputRun& run : parseTerminalOutput(chunk, t.sgr, toRgb(t.defaultColor))) {
        if (!batch.empty() && batch.back().color == run.color && batch.back().bold == run.bold) {
            batch.back().text += run.text;
        } else {
            batch.push_back(std::move(run));
        }
    }
}

void takeQueuedMessages(Terminal& t) {
    MSG message;
    while (PeekMessageW(&message, t.editor, WM_TERMINAL_OUTPUT, WM_TERMINAL_OUTPUT, PM_REMOVE)) {
        if (message.lParam) t.queuedOutput.push_back(reinterpret_cast<std::u16string*>(message.lParam));
    }
}

void freeQueuedOutput(Terminal& t) {
    if (t.editor) takeQueuedMessages(t);
    for (std::u16string* chunk : t.queuedOutput) delete chunk;
    t.queuedOutput.clear();
    t.renderPending = false;
}

// Renders queued chunks for a slice of time; the rest waits for the next turn.
void renderQueuedOutput(Terminal& t) {
    if (t.renderPending) KillTimer(t.editor, kRenderTimer);
    t.renderPending = false;
    takeQueuedMessages(t);
    DWORD started = GetTickCount();
    while (!t.queuedOutput.empty()) {
        std::vector<OutputRun> batch;
        size_t chars = 0;
        while (!t.queuedOutput.empty() && chars < kBatchChars && batch.size() < kBatchRuns) {
            std::u16string* chunk = t.queuedOutput.front();
            t.queuedOutput.pop_front();
            chars += chunk->size();
            ++t.outputChunks;
            takeChunk(t, *chunk, batch);
            delete chunk;
        }
        insertOutputRuns(t, batch);
        armPromptTimer(t);
        if (GetTickCount() - started >= kOutputSliceMs) break;
    }
    t.lastRenderTick = GetTickCount();
    if (!t.queuedOutput.empty()) {
        // Paint due now, not when the backlog is gone: posted messages come
        // before painting.
        if (!t.redrawHeld) UpdateWindow(t.editor);
        PostMessageW(t.editor, WM_TERMINAL_CONTINUE, 0, 0);
    }
}

void onOutput(Terminal& t, std::u16string* chunk) {
    if (!chunk) return;
    t.queuedOutput.push_back(chunk);
    if (t.renderPending) return;
    DWORD since = GetTickCount() - t.lastRenderTick;
    if (since >= kRenderGapMs) {
        renderQueuedOutput(t);
    } else {
        t.renderPending = true;
        SetTimer(t.editor, kRenderTimer, kRenderGapMs - since, nullptr);
    }
}

void onPromptTimer(Terminal& t) {
    KillTimer(t.editor, kPromptTimer);
    if (!t.promptTimerArmed) return;
    if (!t.queuedOutput.empty()) return;  // output is on its way; its rendering re-arms the timer
    t.promptTimerArmed = false;
    if (t.outputEndsWithPrompt) return;
    insertOutput(t, t.prompt, t.defaultColor, false);
    t.syntheticPromptShown = true;
    t.syntheticPromptLength = uint32_t(t.prompt.size());
}

void localClear(Terminal& t) {
    t.allowEdit = true;
    SETTEXTEX options = {ST_DEFAULT, 1200};
    SendMessageW(t.editor, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&options), reinterpret_cast<LPARAM>(L""));
    select(t, 0, 0);
    setSelectionFormat(t, t.defaultColor, false, false);
    t.allowEdit = false;
    InvalidateRect(t.editor, nullptr, TRUE);
    UpdateWindow(t.editor);
    t.inputStart = 0;
    t.outputEndsWithPrompt = false;
    t.syntheticPromptShown = false;
    t.pendingEcho.clear();
}

void historyBack(Terminal& t) {
    if (t.history.empty() || t.historyIndex == 0) return;
    if (t.historyIndex > t.history.size()) t.historyIndex = t.history.size();
    --t.historyIndex;
    replaceInput(t, t.history[size_t(t.historyIndex)]);
}

void historyForward(Terminal& t) {
    if (t.history.empty()) return;
    if (t.historyIndex + 1 >= t.history.size()) {
        t.historyIndex = t.history.size();
        replaceInput(t, u"");
        return;
    }
    ++t.historyIndex;
    replaceInput(t, t.history[size_t(t.historyIndex)]);
}

HWND dialogOwner(const Terminal& t) {
    HWND parent = GetParent(t.editor);
    return parent ? parent : t.editor;
}

bool askWithTerminalTexts(Terminal& t, int titleId, int promptId, std::u16string& value) {
    return askText(dialogOwner(t), terminalUiText(t, titleId), terminalUiText(t, promptId), terminalUiText(t, 33),
                   terminalUiText(t, 34), value);
}

void findDialog(Terminal& t) {
    std::u16string what = t.lastFind;
    if (!askWithTerminalTexts(t, 27, 28, what)) return;
    findInTerminal(t, what);
}

void reverseSearchDialog(Terminal& t) {
    std::u16string query = t.lastReverseQuery;
    if (!askWithTerminalTexts(t, 29, 30, query)) return;
    reverseSearchHistory(t, query);
}

// The parent refuses changes to protected text; a rich edit that does not
// report them (older or foreign implementations) is held back here as well.
bool touchesTranscript(const Terminal& t, WPARAM key, bool ctrl) {
    CHARRANGE range = selection(t);
    bool startsInOutput = range.cpMin < t.inputStart;
    switch (key) {
        case VK_BACK: return startsInOutput || (range.cpMin == range.cpMax && range.cpMin <= t.inputStart);
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
        case 'V': if (!ctrl) return false; pasteIntoInput(t); return true;
        case VK_INSERT: if (!shift) return false; pasteIntoInput(t); return true;
        case 'F': if (!ctrl) return false; findDialog(t); return true;
        case 'S': if (!ctrl) return false; saveOutput(t); return true;
        case 'R': if (!ctrl) return false; reverseSearchDialog(t); return true;
        case VK_F3: if (t.lastFind.empty()) return false; findInTerminal(t, t.lastFind); return true;
        case VK_UP: if (selection(t).cpMin < t.inputStart) return false; historyBack(t); return true;
        case VK_DOWN: if (selection(t).cpMin < t.inputStart) return false; historyForward(t); return true;
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
    if (t.quickEdit) {
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
    add(kMenuCopy, 90, hasSelection);
    add(kMenuPaste, 91, clipboardHasText());
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    add(kMenuSelectAll, 92, true);
    add(kMenuFind, 25, true);
    add(kMenuSave, 26, true);
    POINT at = contextMenuPoint(t, position);
    UINT command = UINT(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, t.editor, nullptr));
    DestroyMenu(menu);
    switch (command) {
        case kMenuCopy: copySelection(t); break;
        case kMenuPaste: pasteIntoInput(t); break;
        case kMenuSelectAll: select(t, 0, -1); break;
        case kMenuFind: findDialog(t); break;
        case kMenuSave: saveOutput(t); break;
    }
}

// What the user does is shown at once, even in the middle of a flood of output.
bool isUserInput(UINT message) {
    if (message == WM_MOUSEMOVE) return false;
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           message == WM_VSCROLL || message == WM_CONTEXTMENU || message == WM_PASTE;
}

LRESULT CALLBACK editorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    Terminal& t = *reinterpret_cast<Terminal*>(data);
    if (t.redrawHeld && isUserInput(message)) releaseRedraw(t);
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
        case WM_PASTE: pasteIntoInput(t); return 0;
        case WM_CUT:
        case WM_CLEAR:
            if (selection(t).cpMin < t.inputStart) return 0;
            break;
        case WM_CONTEXTMENU: onContextMenu(t, lParam); return 0;
        case WM_TIMER:
            if (wParam == kRenderTimer) {
                renderQueuedOutput(t);
                return 0;
            }
            if (wParam == kPaintTimer) {
                releaseRedraw(t);
                return 0;
            }
            if (wParam != kPromptTimer) break;
            onPromptTimer(t);
            return 0;
        case WM_TERMINAL_OUTPUT: onOutput(t, reinterpret_cast<std::u16string*>(lParam)); return 0;
        case WM_TERMINAL_CONTINUE: renderQueuedOutput(t); return 0;
        case WM_NCDESTROY:
            // Destroyed with its parent before destroyTerminal ran: free what is queued now.
            freeQueuedOutput(t);
            KillTimer(window, kPromptTimer);
            KillTimer(window, kRenderTimer);
            KillTimer(window, kPaintTimer);
            t.editor = nullptr;
            RemoveWindowSubclass(window, editorProc, id);
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

struct StreamSource {
    const std::string* bytes;
    size_t offset;
};

DWORD CALLBACK readStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    size_t count = source->bytes->size() - source->offset;
    if (wanted < 0) wanted = 0;
    if (count > size_t(wanted)) count = size_t(wanted);
    std::memcpy(buffer, source->bytes->data() + source->offset, count);
    source->offset += count;
    *given = LONG(count);
    return 0;
}

// Inserts the runs as one formatted stream at the (empty) selection, which
// carries the control's font and protection: one insertion and one layout
// for the whole batch instead of a format change and an insertion per run.
void streamRunsIn(Terminal& t, const std::vector<OutputRun>& runs) {
    std::string rtf = outputRunsToRtf(runs);
    StreamSource source = {&rtf, 0};
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&source), 0, readStream};
    SendMessageW(t.editor, EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
}

}  // namespace

COLORREF toColorRef(Rgb color) {
    return RGB(color.r, color.g, color.b);
}

Rgb toRgb(COLORREF color) {
    return {GetRValue(color), GetGValue(color), GetBValue(color)};
}

Terminal::~Terminal() {
    destroyTerminal(*this);
}

bool createTerminal(Terminal& t, HWND parent, HINSTANCE instance, ShellKind kind, int fontSize) {
    static HMODULE richEdit = loadSystemLibrary(L"Msftedit.dll");
    if (!richEdit) return false;
    t.editor = CreateWindowExW(WS_EX_CLIENTEDGE, L"RICHEDIT50W", L"",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL, 0,
                               0, 0, 0, parent, nullptr, instance, nullptr);
    if (!t.editor) return false;
    SendMessageW(t.editor, EM_EXLIMITTEXT, 0, kTextLimit);
    SendMessageW(t.editor, EM_SETBKGNDCOLOR, 0, LPARAM(t.backgroundColor));
    SendMessageW(t.editor, EM_SETEVENTMASK, 0, ENM_PROTECTED);
    setTerminalFont(t, fontSize);
    t.sgr.currentColor = toRgb(t.defaultColor);
    SetWindowSubclass(t.editor, editorProc, kSubclassId, reinterpret_cast<DWORD_PTR>(&t));
    t.prompt = substitutePrompt(kind, sessionStartDirectory());
    if (startSession(t.shell, kind, t.editor)) {
        armPromptTimer(t);
    } else {
        insertOutput(t, u"[终端启动失败]\r\n", t.defaultColor, false);
    }
    return true;
}

void destroyTerminal(Terminal& t) {
    stopSession(t.shell);  // first: no chunk can arrive after this
    freeQueuedOutput(t);
    if (t.editor) {
        KillTimer(t.editor, kPromptTimer);
        KillTimer(t.editor, kRenderTimer);
        KillTimer(t.editor, kPaintTimer);
        DestroyWindow(t.editor);
        t.editor = nullptr;
    }
    if (t.font) DeleteObject(t.font);
    t.font = nullptr;
    t.prompt.clear();
    t.pendingEcho.clear();
    t.history.clear();
    t.historyIndex = 0;
    t.lastFind.clear();
    t.lastReverseQuery.clear();
}

void setTerminalColors(Terminal& t, COLORREF background, COLORREF text) {
    t.backgroundColor = background;
    t.defaultColor = text;
    if (!t.sgr.colorActive) t.sgr.currentColor = toRgb(text);
    if (!t.editor) return;
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
    int dpi = 96;
    if (HDC dc = GetDC(t.editor)) {
        dpi = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(t.editor, dc);
    }
    HFONT font = CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                             L"Consolas");
    if (!font) return;
    SendMessageW(t.editor, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (t.font) DeleteObject(t.font);
    t.font = font;
}

void showTerminal(Terminal& t, bool visible) {
    if (!t.editor) return;
    releaseRedraw(t);  // or the release would show a control hidden meanwhile
    ShowWindow(t.editor, visible ? SW_SHOW : SW_HIDE);
}

void setQuickEdit(Terminal& t, bool quickEdit) {
    t.quickEdit = quickEdit;
}

void insertOutput(Terminal& t, const std::u16string& text, COLORREF color, bool bold) {
    if (text.empty()) return;
    insertOutputRuns(t, {OutputRun{text, toRgb(color), bold}});
}

void insertOutputRuns(Terminal& t, const std::vector<OutputRun>& runs) {
    std::vector<const OutputRun*> shown;
    for (const OutputRun& run : runs)
        if (!run.text.empty()) shown.push_back(&run);
    if (shown.empty() || !t.editor) return;
    CHARRANGE user = selection(t);
    LONG oldStart = t.inputStart;
    t.allowEdit = true;
    // A visible control repaints and scrolls after every change; held back,
    // it does so once, after the whole batch or later ones. Output is not the
    // user's to undo, and undo records for the pieces of a large batch cost
    // more time the more there are.
    holdRedraw(t);
    SendMessageW(t.editor, EM_SETUNDOLIMIT, 0, 0);
    selectInsertionPoint(t);
    if (shown.size() == 1) {
        setSelectionFormat(t, toColorRef(shown[0]->color), shown[0]->bold, true);
        SendMessageW(t.editor, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wstr(shown[0]->text)));
    } else {
        setSelectionFormat(t, t.defaultColor, false, true);
        streamRunsIn(t, runs);
    }
    t.inputStart = selection(t).cpMax;
    for (const OutputRun* run : shown) {
        size_t last = run->text.find_last_not_of(u" \t");
        if (last != std::u16string::npos) t.outputEndsWithPrompt = run->text[last] == u'>';
    }
    setSelectionFormat(t, t.defaultColor, false, false);
    // Keep the caret where the user left it inside the input line.
    if (user.cpMin > oldStart) {
        LONG shift = t.inputStart - oldStart;
        select(t, user.cpMin + shift, user.cpMax + shift);
    }
    SendMessageW(t.editor, EM_SETUNDOLIMIT, kUndoLimit, 0);
    showInsertion(t);
    t.allowEdit = false;
    t.syntheticPromptShown = false;
}

void replaceInput(Terminal& t, const std::u16string& text) {
    if (!t.editor) return;
    t.allowEdit = true;
    select(t, t.inputStart, -1);
    if (selection(t).cpMin == selection(t).cpMax) setSelectionFormat(t, t.defaultColor, false, false);
    SendMessageW(t.editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wstr(text)));
    t.allowEdit = false;
    SendMessageW(t.editor, EM_SCROLLCARET, 0, 0);
}

LRESULT protectedChangeAnswer(const Terminal& t) {
    return t.allowEdit ? 0 : 1;
}

void submitInput(Terminal& t) {
    std::u16string line = terminalInputLine(t);
    if (isHistoryWorthy(line) && (t.history.empty() || t.history.back() != line)) t.history.push_back(line);
    t.historyIndex = t.history.size();
    if (isLocalClearCommand(line)) {
        writeInput(t.shell, line + u"\n");
        localClear(t);
    } else {
        LONG end = textLength(t);
        if (end > t.inputStart) {
            CHARRANGE user = selection(t);
            t.allowEdit = true;
            select(t, t.inputStart, end);
            CHARFORMAT2W format = {};
            format.cbSize = sizeof format;
            format.dwMask = CFM_PROTECTED;
            format.dwEffects = CFE_PROTECTED;
            SendMessageW(t.editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
            select(t, user.cpMin, user.cpMax);
            t.allowEdit = false;
        }
        t.inputStart = end;
        insertOutput(t, u"\r\n", t.defaultColor, false);
        t.pendingEcho = line;
        writeInput(t.shell, line + u"\n");
    }
    armPromptTimer(t);
}

void pasteIntoInput(Terminal& t) {
    caretGuard(t);
    makeInsertionEditable(t);
    REPASTESPECIAL special = {0, 0};
    t.allowEdit = selection(t).cpMin >= t.inputStart;
    SendMessageW(t.editor, EM_PASTESPECIAL, CF_UNICODETEXT, reinterpret_cast<LPARAM>(&special));
    t.allowEdit = false;
}

bool findInTerminal(Terminal& t, const std::u16string& what) {
    if (what.empty()) return false;
    t.lastFind = what;
    FINDTEXTEXW find = {};
    find.chrg.cpMin = selection(t).cpMax;
    find.chrg.cpMax = -1;
    find.lpstrText = wstr(t.lastFind);
    LRESULT at = SendMessageW(t.editor, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find));
    if (at < 0) {
        find.chrg.cpMin = 0;
        at = SendMessageW(t.editor, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find));
    }
    if (at < 0) {
        beep();
        return false;
    }
    select(t, find.chrgText.cpMin, find.chrgText.cpMax);
    SendMessageW(t.editor, EM_SCROLLCARET, 0, 0);
    repaint(t);
    return true;
}

bool reverseSearchHistory(Terminal& t, const std::u16string& query) {
    size_t start = t.history.size();
    if (query == t.lastReverseQuery && t.lastReverseIndex < t.history.size()) start = t.lastReverseIndex;
    long found = reverseHistoryMatch(t.history, query, start);
    if (found < 0) {
        beep();
        return false;
    }
    t.lastReverseQuery = query;
    t.lastReverseIndex = uint32_t(found);
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

std::u16string terminalInputLine(const Terminal& t) {
    return textRange(t, t.inputStart, textLength(t));
}

std::u16string terminalUiText(const Terminal& t, int id) {
    return t.text ? t.text(id) : builtinTerminalText(id);
}

std::u16string builtinTerminalText(int id) {
    switch (id) {
        case 25: return u"查找…";
        case 26: return u"保存输出…";
        case 27: return u"查找";
        case 28: return u"查找内容：";
        case 29: return u"反向搜索历史";
        case 30: return u"反向搜索（子串；再按 Ctrl+R = 更早）：";
        case 31: return u"终端名称：";
        case 32: return u"命名终端";
        case 33: return u"确定";
        case 34: return u"取消";
        case 90: return u"复制";
        case 91: return u"粘贴";
        case 92: return u"全选";
        case 153: return u"已填入终端 - 请检查后按 Enter 运行。";
    }
    return {};
}
