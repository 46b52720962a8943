// The output side of a terminal: queued shell output rendered in paced
// batches, the bounded transcript, the local clear, greyed type-ahead, the
// substitute prompt and the running-command indicator.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "data/text.h"
#include "platform/win_text.h"
#include "terminal/editor_control_win.h"
#include "terminal/output_rtf.h"
#include "terminal/readable_color.h"

namespace {

constexpr UINT kPromptDelayMs = 350;
constexpr WPARAM kUndoLimit = 100;  // the control's default
constexpr DWORD kOutputSliceMs = 40;
// Each insertion has a fixed cost that grows with the transcript (the control
// walks its paragraphs to find positions), so output goes in in large pieces.
constexpr size_t kBatchChars = 64 * 1024;
constexpr size_t kBatchRuns = 8192;  // each coloured run is a style change in the control
// Every insertion costs the control a walk over its paragraphs and a repaint,
// which grow with the transcript; output arriving in quick succession is
// therefore gathered and inserted at most this often.
constexpr DWORD kRenderGapMs = 50;
// Repainting costs a walk over the paragraphs too: while output keeps coming,
// the control is held back from redrawing and shown at most this often.
constexpr DWORD kPaintGapMs = 100;
// A shell that reads a typed line at once shows no grey flash.
constexpr UINT kTypeAheadGreyMs = 150;
// How often the visible terminal looks for running commands.
constexpr UINT kRunningPollMs = 500;
// Longest line erased by a carriage return is looked for this far back first.
constexpr LONG kLineScanChars = 512;

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

// Holding back redraw takes the control's visible style away until it is
// released, and releasing gives it back; a hidden control draws nothing
// anyway, so only a shown one is held.
void holdRedraw(Terminal& t) {
    if (t.redrawHeld || !isShown(t)) return;
    SendMessageW(t.editor, WM_SETREDRAW, FALSE, 0);
    t.redrawHeld = true;
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

// Removes [from, to) of the transcript, keeping the user's selection on the
// same characters.
void removeTranscriptText(Terminal& t, LONG from, LONG to) {
    if (to <= from) return;
    CHARRANGE user = selection(t);
    t.allowEdit = true;
    select(t, from, to);
    SendMessageW(t.editor, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    t.allowEdit = false;
    LONG removed = to - from;
    auto moved = [&](LONG position) {
        if (position >= to) return position - removed;
        return position > from ? from : position;
    };
    select(t, moved(user.cpMin), moved(user.cpMax));
    t.inputStart = moved(t.inputStart);
    // Typed lines inside the removed text go with it; later ones move up.
    std::vector<TypedAhead> kept;
    for (TypedAhead line : t.unreadInput) {
        if (line.start >= from && line.start < to) continue;
        line.start = moved(line.start);
        line.end = moved(line.end);
        kept.push_back(line);
    }
    t.unreadInput.swap(kept);
}

void removeSyntheticPrompt(Terminal& t) {
    if (t.syntheticPromptShown && t.syntheticPromptLength > 0) {
        LONG start = t.inputStart - LONG(t.syntheticPromptLength);
        if (start < 0) start = 0;
        removeTranscriptText(t, start, t.inputStart);
        mirrorRemoveTail(t.mirror, t.syntheticPromptLength);
    }
    t.syntheticPromptShown = false;
}

// A carriage return before the batch: the last line of the transcript goes,
// and the batch's text takes its place.
void eraseLastOutputLine(Terminal& t) {
    LONG end = t.inputStart;
    for (LONG span = kLineScanChars;; span *= 8) {
        LONG from = end > span ? end - span : 0;
        std::u16string tail = textRange(t, from, end);
        size_t lineBreak = tail.find_last_of(u"\r\n");
        if (lineBreak != std::u16string::npos) {
            removeTranscriptText(t, from + LONG(lineBreak) + 1, end);
            return;
        }
        if (from == 0) {
            removeTranscriptText(t, 0, end);
            return;
        }
    }
}

// Takes one chunk off the queue: prompt removal and echo suppression, then
// its runs are appended to the batch being built.
void takeChunk(Terminal& t, std::u16string& chunk, std::vector<OutputRun>& batch) {
    removeSyntheticPrompt(t);
    if (!t.pendingEcho.empty() && !chunk.empty()) {
        EchoMatch echo = matchShellEcho(chunk, t.pendingEcho);
        chunk.erase(0, echo.dropCount);
        t.pendingEcho = echo.settled ? std::u16string() : echo.rest;
    }
    for (OutputRun& run : parseTerminalOutput(chunk, t.sgr, toRgb(t.defaultColor))) {
        if (!batch.empty() && !run.lineReset && sameLook(batch.back(), run)) {
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

// The runs in the colours they are shown in: the terminal's text colour,
// or their own made legible on its background.
std::vector<OutputRun> shownRuns(const Terminal& t, const std::vector<OutputRun>& runs) {
    std::vector<OutputRun> shown = runs;
    Rgb background = toRgb(t.backgroundColor);
    for (OutputRun& run : shown) run.color = run.themeColor ? toRgb(t.defaultColor) : readableOn(run.color, background);
    return shown;
}

// Inserts the runs as one formatted stream at the (empty) selection, which
// carries the control's font and protection: one insertion and one layout
// for the whole batch instead of a format change and an insertion per run.
void streamRunsIn(const Terminal& t, HWND control, const std::vector<OutputRun>& runs) {
    std::string rtf = outputRunsToRtf(shownRuns(t, runs));
    StreamSource source = {&rtf, 0};
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&source), 0, readStream};
    SendMessageW(control, EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
}

COLORREF greyedColor(const Terminal& t) {
    return RGB((GetRValue(t.defaultColor) + GetRValue(t.backgroundColor)) / 2,
               (GetGValue(t.defaultColor) + GetGValue(t.backgroundColor)) / 2,
               (GetBValue(t.defaultColor) + GetBValue(t.backgroundColor)) / 2);
}

std::u16string runningNames(const Terminal& t, const std::vector<ChildProcess>& running) {
    DWORD shell = shellProcessId(t.shell);
    std::u16string names;
    for (const ChildProcess& child : running) {
        if (child.parentId != shell && shell != 0) continue;
        if (names.find(child.exeName) != std::u16string::npos) continue;
        if (!names.empty()) names += u", ";
        names += child.exeName;
    }
    return names;
}

void reportStatus(Terminal& t, const std::u16string& names, bool waiting) {
    if (names == t.runningShown && waiting == t.waitingShown) return;
    t.runningShown = names;
    t.waitingShown = waiting;
    if (t.runningChanged) t.runningChanged(names, waiting);
}

void reportRunning(Terminal& t, const std::vector<ChildProcess>& running) {
    reportStatus(t, runningNames(t, running), t.waitingShown);
}

// cmd has printed its prompt: the line before the input ends in one that
// names a folder (an empty line read after a prompt puts a second one on
// the same line).
void noteShellPrompt(Terminal& t) {
    if (!t.commandRunning) return;
    LONG from = t.inputStart > kLineScanChars ? t.inputStart - kLineScanChars : 0;
    std::u16string tail = textRange(t, from, t.inputStart);
    size_t last = tail.find_last_not_of(u" \t");
    if (last == std::u16string::npos || tail[last] != u'>') return;
    size_t begin = tail.find_last_of(u"\r\n>", last - (last > 0 ? 1 : 0));
    begin = (begin == std::u16string::npos || begin == last) ? 0 : begin + 1;
    if (promptDirectory(tail.substr(begin, last + 1 - begin)).empty()) return;
    t.commandRunning = false;
    noteWaitingForInput(t, false);
}

std::u16string exitCodeText(DWORD code) {
    wchar_t buffer[16];
    // Crash codes (NTSTATUS values) read as hexadecimal.
    swprintf(buffer, 16, code >= 0x10000 ? L"0x%08lX" : L"%lu", static_cast<unsigned long>(code));
    return fromWide(buffer);
}

void stopRunningPoll(Terminal& t) {
    if (t.editor) KillTimer(t.editor, kRunningTimer);
    t.runningPoll = false;
    reportRunning(t, {});
}

}  // namespace

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

void armPromptTimer(Terminal& t) {
    t.promptTimerArmed = true;
    SetTimer(t.editor, kPromptTimer, kPromptDelayMs, nullptr);
}

void killOutputTimers(Terminal& t) {
    for (UINT_PTR timer : {kPromptTimer, kRenderTimer, kPaintTimer, kTypeAheadTimer, kRunningTimer})
        KillTimer(t.editor, timer);
}

void freeQueuedOutput(Terminal& t) {
    if (t.editor) takeQueuedMessages(t);
    for (std::u16string* chunk : t.queuedOutput) {
        noteOutputTaken(t.shell, chunk->size());
        delete chunk;
    }
    t.queuedOutput.clear();
    t.renderPending = false;
}

// Renders queued chunks for a slice of time; the rest waits for the next turn.
void renderQueuedOutput(Terminal& t) {
    if (t.renderPending) KillTimer(t.editor, kRenderTimer);
    t.renderPending = false;
    // While a fresh control is filled, output waits: filling it has a fixed
    // amount of work only as long as nothing is added meanwhile, and a flood
    // would otherwise outrun it. The shell waits too, once enough is pending.
    if (t.freshEditor || t.imeComposing) return;
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
            noteOutputTaken(t.shell, chunk->size());
            takeChunk(t, *chunk, batch);
            delete chunk;
        }
        insertOutputRuns(t, batch);
        if (t.waitingShown) noteWaitingForInput(t, false);
        noteShellPrompt(t);
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

void onOutputMessage(Terminal& t, std::u16string* chunk) {
    if (!chunk) return;
    t.queuedOutput.push_back(chunk);
    if (t.renderPending || t.freshEditor || t.imeComposing) return;
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
    if (t.outputEndsWithPrompt || t.shellEnded) return;
    // A command still runs: a prompt now would claim it had ended. cmd's own
    // prompt ends it; silence without one is a command waiting for input.
    bool childrenRun = !runningChildren(t.shell).empty();
    if (t.commandRunning) {
        if (!childrenRun) noteWaitingForInput(t, true);
        return;
    }
    if (childrenRun) return;
    insertOutput(t, t.prompt);
    t.syntheticPromptShown = true;
    t.syntheticPromptLength = uint32_t(t.prompt.size());
}

void noteSubmittedLine(Terminal& t, uint64_t sequence, LONG start, LONG end) {
    if (sequence == 0 || end <= start) return;
    t.unreadInput.push_back({sequence, start, end, false});
    SetTimer(t.editor, kTypeAheadTimer, kTypeAheadGreyMs, nullptr);
}

void onTypeAheadTimer(Terminal& t) {
    KillTimer(t.editor, kTypeAheadTimer);
    for (TypedAhead& line : t.unreadInput) {
        if (line.greyed) continue;
        setRangeColor(t, line.start, line.end, greyedColor(t));
        line.greyed = true;
    }
}

void onInputRead(Terminal& t, uint64_t sequence) {
    std::vector<TypedAhead> unread;
    for (const TypedAhead& line : t.unreadInput) {
        if (line.sequence > sequence) {
            unread.push_back(line);
        } else if (line.greyed) {
            setRangeColor(t, line.start, line.end, t.defaultColor);
        }
    }
    t.unreadInput.swap(unread);
    if (t.unreadInput.empty()) KillTimer(t.editor, kTypeAheadTimer);
    startRunningPoll(t);  // the shell just took a command
}

void noteWaitingForInput(Terminal& t, bool waiting) {
    if (waiting && !isShown(t)) {  // told when shown
        t.waitingShown = true;
        return;
    }
    reportStatus(t, t.runningShown, waiting);
}

// What the old shell printed, all of it, before a line about its end. A
// composition still open gives way (rendering would otherwise wait for it
// for ever): the line moves the caret anyway.
void renderAllOutput(Terminal& t) {
    completeRefill(t);
    t.imeComposing = false;
    do {
        renderQueuedOutput(t);
    } while (!t.queuedOutput.empty());
}

void onShellEnded(Terminal& t, DWORD exitCode) {
    // A notice from a shell since replaced, or a shell still there, is stale.
    if (!t.editor || !t.shell.process || WaitForSingleObject(t.shell.process, 0) != WAIT_OBJECT_0) return;
    renderAllOutput(t);
    removeSyntheticPrompt(t);
    t.shellEnded = true;
    t.commandRunning = false;
    t.promptTimerArmed = false;
    KillTimer(t.editor, kPromptTimer);
    reportStatus(t, {}, false);
    std::u16string note = withValues(terminalUiText(t, kTextShellEnded), {exitCodeText(exitCode)});
    insertOutput(t, u"\r\n" + note + u"\r\n");
}

void startRunningPoll(Terminal& t) {
    if (!t.editor || !t.runningChanged || !isShown(t)) return;
    t.runningPoll = true;
    SetTimer(t.editor, kRunningTimer, kRunningPollMs, nullptr);
}

void onRunningTimer(Terminal& t) {
    if (!isShown(t)) {
        stopRunningPoll(t);
        return;
    }
    std::vector<ChildProcess> running = runningChildren(t.shell);
    reportRunning(t, running);
    if (running.empty()) stopRunningPoll(t);
}

void showTerminal(Terminal& t, bool visible) {
    if (!t.editor) return;
    releaseRedraw(t);  // or the release would show a control hidden meanwhile
    ShowWindow(t.editor, visible ? SW_SHOW : SW_HIDE);
    if (visible) {
        if (t.waitingShown && t.runningChanged) t.runningChanged(t.runningShown, true);
        startRunningPoll(t);
    } else if (t.runningPoll || !t.runningShown.empty()) {
        stopRunningPoll(t);
    }
}

void appendRunsTo(Terminal& t, HWND control, const std::vector<OutputRun>& runs) {
    if (!control || runs.empty()) return;
    CHARRANGE end = {-1, -1};
    SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_BOLD | CFM_PROTECTED;
    format.dwEffects = CFE_PROTECTED;
    format.crTextColor = t.defaultColor;
    SendMessageW(control, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    streamRunsIn(t, control, runs);
}

void insertOutput(Terminal& t, const std::u16string& text) {
    if (text.empty()) return;
    insertOutputRuns(t, {OutputRun{text, toRgb(t.defaultColor), false, false, true}});
}

void insertOutputRuns(Terminal& t, const std::vector<OutputRun>& given) {
    if (!t.editor) return;
    std::vector<OutputRun> runs = given;
    bool eraseLine = foldLineResets(runs);
    std::vector<const OutputRun*> shown;
    for (const OutputRun& run : runs)
        if (!run.text.empty()) shown.push_back(&run);
    if (shown.empty() && !eraseLine) return;
    // A visible control repaints and scrolls after every change; held back,
    // it does so once, after the whole batch or later ones. Output is not the
    // user's to undo, and undo records for the pieces of a large batch cost
    // more time the more there are.
    holdRedraw(t);
    SendMessageW(t.editor, EM_SETUNDOLIMIT, 0, 0);
    if (eraseLine) {
        eraseLastOutputLine(t);
        mirrorEraseLastLine(t.mirror);
    }
    mirrorAppend(t.mirror, runs);
    if (!shown.empty()) {
        CHARRANGE user = selection(t);
        LONG oldStart = t.inputStart;
        t.allowEdit = true;
        selectInsertionPoint(t);
        if (shown.size() == 1) {
            Rgb color = shownRuns(t, {*shown[0]})[0].color;
            setSelectionFormat(t, toColorRef(color), shown[0]->bold, true);
            SendMessageW(t.editor, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wstr(shown[0]->text)));
        } else {
            setSelectionFormat(t, t.defaultColor, false, true);
            streamRunsIn(t, t.editor, runs);
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
        t.allowEdit = false;
    }
    trimScrollback(t);
    SendMessageW(t.editor, EM_SETUNDOLIMIT, kUndoLimit, 0);
    showInsertion(t);
    t.syntheticPromptShown = false;
}

void clearTranscript(Terminal& t) {
    // A fresh control: the control empties itself in time that grows with
    // the square of its lines.
    replaceWithEmptyControl(t);
    t.unreadInput.clear();
    KillTimer(t.editor, kTypeAheadTimer);
    t.outputEndsWithPrompt = false;
    t.syntheticPromptShown = false;
    t.pendingEcho.clear();
}

std::vector<ChildProcess> stopTerminalCommand(Terminal& t, const EndWindowedChoice& endWindowed,
                                              std::vector<ChildProcess>* denied) {
    std::vector<ChildProcess> stopped = stopRunningCommand(t.shell, endWindowed, denied);
    if (!stopped.empty() && t.editor) {
        reportRunning(t, {});
        armPromptTimer(t);
    }
    return stopped;
}

bool restartTerminalShell(Terminal& t) {
    if (!t.editor) return false;
    stopSession(t.shell);
    renderAllOutput(t);  // still belongs above the marker
    t.unreadInput.clear();
    KillTimer(t.editor, kTypeAheadTimer);
    t.pendingEcho.clear();
    t.shellEnded = false;
    t.commandRunning = false;
    t.sgr = SgrState{};
    t.sgr.currentColor = toRgb(t.defaultColor);
    insertOutput(t, u"\r\n" + terminalUiText(t, kTextShellRestarted) + u"\r\n");
    reportRunning(t, {});
    if (!startSession(t.shell, t.kind, t.editor)) {
        insertOutput(t, terminalUiText(t, kTextTerminalStartFailed) + u"\r\n");
        return false;
    }
    armPromptTimer(t);
    if (t.shell.jobError && t.reportJobFailure) t.reportJobFailure(t.shell.jobError);
    return true;
}
