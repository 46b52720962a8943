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
#include "terminal/terminal_output_win.h"
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
// How long console programs have to end after Ctrl+C before they are ended.
constexpr UINT kInterruptGraceMs = 1000;
// Longest line erased by a carriage return is looked for this far back first.
constexpr LONG kLineScanChars = 512;

// Puts the caret at inputStart. The control finds a position by walking its
// paragraphs from the top, so the common case, no typed input after the
// transcript, asks for the end of the text instead, which it finds at once.
void selectInsertionPoint(const Terminal& t) {
    if (t.input.start >= textLength(t)) {
        select(t, -1, -1);
    } else {
        select(t, t.input.start, t.input.start);
    }
}

// Holding back redraw takes the control's visible style away until it is
// released, and releasing gives it back; a hidden control draws nothing
// anyway, so only a shown one is held.
void holdRedraw(Terminal& t) {
    if (t.output.redrawHeld || !isShown(t)) return;
    SendMessageW(t.editor, WM_SETREDRAW, FALSE, 0);
    t.output.redrawHeld = true;
}

// After an insertion: show it now, or with the next paint when one was recent.
void showInsertion(Terminal& t) {
    if (!t.output.redrawHeld) {  // a hidden control
        SendMessageW(t.editor, EM_SCROLLCARET, 0, 0);
        repaint(t);
        return;
    }
    DWORD since = GetTickCount() - t.output.lastPaintTick;
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
    t.input.allowEdit = true;
    select(t, from, to);
    SendMessageW(t.editor, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    t.input.allowEdit = false;
    LONG removed = to - from;
    auto moved = [&](LONG position) {
        if (position >= to) return position - removed;
        return position > from ? from : position;
    };
    select(t, moved(user.cpMin), moved(user.cpMax));
    t.input.start = moved(t.input.start);
    // Typed lines inside the removed text go with it; later ones move up.
    std::vector<TypedAhead> kept;
    for (TypedAhead line : t.typeAhead.unread) {
        if (line.start >= from && line.start < to) continue;
        line.start = moved(line.start);
        line.end = moved(line.end);
        kept.push_back(line);
    }
    t.typeAhead.unread.swap(kept);
}

void removeSyntheticPrompt(Terminal& t) {
    if (t.state.syntheticPromptShown && t.state.syntheticPromptLength > 0) {
        LONG start = t.input.start - LONG(t.state.syntheticPromptLength);
        if (start < 0) start = 0;
        removeTranscriptText(t, start, t.input.start);
        mirrorRemoveTail(t.mirror, t.state.syntheticPromptLength);
    }
    t.state.syntheticPromptShown = false;
}

// A carriage return before the batch: the last line of the transcript goes,
// and the batch's text takes its place.
void eraseLastOutputLine(Terminal& t) {
    LONG end = t.input.start;
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

// cmd prints its prompt after each line it has finished with, so every
// prompt in its output ends one of the commands submitted (typed ahead ones
// come one after the other); the last one ends the running state.
void noteShellPrompts(Terminal& t, const std::u16string& output) {
    size_t prompts = countPrompts(t.state.promptScan, output);
    if (prompts == 0 || t.state.commandsOutstanding == 0) return;
    t.state.commandsOutstanding -= uint32_t(std::min<size_t>(prompts, t.state.commandsOutstanding));
    if (t.state.commandsOutstanding > 0) return;
    noteWaitingForInput(t, false);
    t.state.commandEndPending = true;
}

// The last command entered and what the mirror holds after its line, less the
// prompt that ended it. A command whose line has left the mirror is not told.
void tellCommandEnded(Terminal& t) {
    t.state.commandEndPending = false;
    if (!t.commandEnded || t.entered.empty() || t.entered.back().run < t.mirror.dropped) return;
    const EnteredCommand command = t.entered.back();
    std::u16string output;
    for (uint64_t k = command.run - t.mirror.dropped; k < t.mirror.runs.size(); ++k)
        output += t.mirror.runs[static_cast<size_t>(k)].text;
    const size_t lineEnd = output.find(u'\n');
    output.erase(0, lineEnd == std::u16string::npos ? output.size() : lineEnd + 1);
    const size_t promptLine = output.find_last_of(u"\r\n");
    output.resize(promptLine == std::u16string::npos ? 0 : promptLine + 1);
    t.commandEnded(command.line, output);
}

// Takes one chunk off the queue: prompt removal and echo suppression, then
// its runs are appended to the batch being built.
void takeChunk(Terminal& t, std::u16string& chunk, std::vector<OutputRun>& batch) {
    removeSyntheticPrompt(t);
    if (!t.typeAhead.pendingEcho.empty() && !chunk.empty()) {
        EchoMatch echo = matchShellEcho(chunk, t.typeAhead.pendingEcho);
        chunk.erase(0, echo.dropCount);
        t.typeAhead.pendingEcho = echo.settled ? std::u16string() : echo.rest;
    }
    if (t.kind == ShellKind::Cmd) noteShellPrompts(t, chunk);
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
        if (message.lParam) t.output.chunks.push_back(takePostedChunk(message.lParam));
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
    if (names == t.state.runningShown && waiting == t.state.waitingShown) return;
    t.state.runningShown = names;
    t.state.waitingShown = waiting;
    if (t.runningChanged) t.runningChanged(names, waiting);
}

void reportRunning(Terminal& t, const std::vector<ChildProcess>& running) {
    reportStatus(t, runningNames(t, running), t.state.waitingShown);
}

std::u16string exitCodeText(DWORD code) {
    wchar_t buffer[16];
    // Crash codes (NTSTATUS values) read as hexadecimal.
    swprintf(buffer, 16, code >= 0x10000 ? L"0x%08lX" : L"%lu", static_cast<unsigned long>(code));
    return fromWide(buffer);
}

void stopRunningPoll(Terminal& t) {
    if (t.editor) KillTimer(t.editor, kRunningTimer);
    t.state.runningPoll = false;
    reportRunning(t, {});
}

}  // namespace

// Lets the control draw again and brings the caret into view.
void releaseRedraw(Terminal& t) {
    if (!t.output.redrawHeld) return;
    KillTimer(t.editor, kPaintTimer);
    t.output.redrawHeld = false;
    SendMessageW(t.editor, WM_SETREDRAW, TRUE, 0);
    SendMessageW(t.editor, EM_SCROLLCARET, 0, 0);
    // The frame too: the scroll bar may have come or changed meanwhile.
    RedrawWindow(t.editor, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    t.output.lastPaintTick = GetTickCount();
}

void armPromptTimer(Terminal& t) {
    t.state.promptTimerArmed = true;
    SetTimer(t.editor, kPromptTimer, kPromptDelayMs, nullptr);
}

void killOutputTimers(Terminal& t) {
    for (UINT_PTR timer : {kPromptTimer, kRenderTimer, kPaintTimer, kTypeAheadTimer, kRunningTimer, kInterruptTimer})
        KillTimer(t.editor, timer);
}

void resumeOutputTimers(Terminal& t) {
    if (t.state.promptTimerArmed) armPromptTimer(t);
    if (t.state.runningPoll) startRunningPoll(t);
    // A fresh control starts the grace period afresh: a little longer, never lost.
    if (!t.state.interrupted.empty()) SetTimer(t.editor, kInterruptTimer, kInterruptGraceMs, nullptr);
}

void freeQueuedOutput(Terminal& t) {
    if (t.editor) takeQueuedMessages(t);
    for (const std::unique_ptr<std::u16string>& chunk : t.output.chunks) noteOutputTaken(t.shell, chunk->size());
    t.output.chunks.clear();
    t.output.renderPending = false;
}

// Renders queued chunks for a slice of time; the rest waits for the next turn.
void renderQueuedOutput(Terminal& t) {
    if (t.output.renderPending) KillTimer(t.editor, kRenderTimer);
    t.output.renderPending = false;
    // While a fresh control is filled, output waits: filling it has a fixed
    // amount of work only as long as nothing is added meanwhile, and a flood
    // would otherwise outrun it. The shell waits too, once enough is pending.
    if (t.refill.fresh || t.input.composing) return;
    takeQueuedMessages(t);
    DWORD started = GetTickCount();
    while (!t.output.chunks.empty()) {
        std::vector<OutputRun> batch;
        size_t chars = 0;
        while (!t.output.chunks.empty() && chars < kBatchChars && batch.size() < kBatchRuns) {
            std::unique_ptr<std::u16string> chunk = std::move(t.output.chunks.front());
            t.output.chunks.pop_front();
            chars += chunk->size();
            ++t.output.taken;
            noteOutputTaken(t.shell, chunk->size());
            takeChunk(t, *chunk, batch);
        }
        insertOutputRuns(t, batch);
        if (t.state.commandEndPending) tellCommandEnded(t);
        if (t.state.waitingShown) noteWaitingForInput(t, false);
        armPromptTimer(t);
        if (GetTickCount() - started >= kOutputSliceMs) break;
    }
    t.output.lastRenderTick = GetTickCount();
    if (!t.output.chunks.empty()) {
        // Paint due now, not when the backlog is gone: posted messages come
        // before painting.
        if (!t.output.redrawHeld) UpdateWindow(t.editor);
        PostMessageW(t.editor, WM_TERMINAL_CONTINUE, 0, 0);
    }
}

void onOutputMessage(Terminal& t, std::unique_ptr<std::u16string> chunk) {
    if (!chunk) return;
    t.output.chunks.push_back(std::move(chunk));
    if (t.output.renderPending || t.refill.fresh || t.input.composing) return;
    DWORD since = GetTickCount() - t.output.lastRenderTick;
    if (since >= kRenderGapMs) {
        renderQueuedOutput(t);
    } else {
        t.output.renderPending = true;
        SetTimer(t.editor, kRenderTimer, kRenderGapMs - since, nullptr);
    }
}

void onPromptTimer(Terminal& t) {
    KillTimer(t.editor, kPromptTimer);
    if (!t.state.promptTimerArmed) return;
    if (!t.output.chunks.empty()) return;  // output is on its way; its rendering re-arms the timer
    t.state.promptTimerArmed = false;
    if (t.state.outputEndsWithPrompt || t.state.shellEnded) return;
    // A command still runs: a prompt now would claim it had ended. cmd's own
    // prompt ends it; silence without one is a command waiting for input.
    bool childrenRun = !runningChildren(t.shell).empty();
    if (t.state.commandsOutstanding > 0) {
        if (!childrenRun) noteWaitingForInput(t, true);
        return;
    }
    if (childrenRun) return;
    insertOutput(t, t.prompt);
    t.state.syntheticPromptShown = true;
    t.state.syntheticPromptLength = uint32_t(t.prompt.size());
}

void noteSubmittedLine(Terminal& t, uint64_t sequence, LONG start, LONG end) {
    if (sequence == 0 || end <= start) return;
    t.typeAhead.unread.push_back({sequence, start, end, false});
    SetTimer(t.editor, kTypeAheadTimer, kTypeAheadGreyMs, nullptr);
}

void onTypeAheadTimer(Terminal& t) {
    KillTimer(t.editor, kTypeAheadTimer);
    for (TypedAhead& line : t.typeAhead.unread) {
        if (line.greyed) continue;
        setRangeColor(t, line.start, line.end, greyedColor(t));
        line.greyed = true;
    }
}

void onInputRead(Terminal& t, uint64_t sequence) {
    std::vector<TypedAhead> unread;
    for (const TypedAhead& line : t.typeAhead.unread) {
        if (line.sequence > sequence) {
            unread.push_back(line);
        } else if (line.greyed) {
            setRangeColor(t, line.start, line.end, t.defaultColor);
        }
    }
    t.typeAhead.unread.swap(unread);
    if (t.typeAhead.unread.empty()) KillTimer(t.editor, kTypeAheadTimer);
    startRunningPoll(t);  // the shell just took a command
}

void noteWaitingForInput(Terminal& t, bool waiting) {
    if (waiting && !isShown(t)) {  // told when shown
        t.state.waitingShown = true;
        return;
    }
    reportStatus(t, t.state.runningShown, waiting);
}

// What the old shell printed, all of it, before a line about its end. A
// composition still open gives way (rendering would otherwise wait for it
// for ever): the line moves the caret anyway.
void renderAllOutput(Terminal& t) {
    completeRefill(t);
    t.input.composing = false;
    do {
        renderQueuedOutput(t);
    } while (!t.output.chunks.empty());
}

void onShellEnded(Terminal& t, DWORD exitCode) {
    // A notice from a shell since replaced, or a shell still there, is stale.
    if (!t.editor || !t.shell.process || WaitForSingleObject(t.shell.process, 0) != WAIT_OBJECT_0) return;
    renderAllOutput(t);
    removeSyntheticPrompt(t);
    t.state.shellEnded = true;
    t.state.commandsOutstanding = 0;
    t.state.promptTimerArmed = false;
    KillTimer(t.editor, kPromptTimer);
    reportStatus(t, {}, false);
    std::u16string note = withValues(terminalUiText(t, kTextShellEnded), {exitCodeText(exitCode)});
    insertOutput(t, u"\r\n" + note + u"\r\n");
}

void startRunningPoll(Terminal& t) {
    if (!t.editor || !t.runningChanged || !isShown(t)) return;
    t.state.runningPoll = true;
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
        if (t.state.waitingShown && t.runningChanged) t.runningChanged(t.state.runningShown, true);
        startRunningPoll(t);
    } else if (t.state.runningPoll || !t.state.runningShown.empty()) {
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
        LONG oldStart = t.input.start;
        t.input.allowEdit = true;
        selectInsertionPoint(t);
        if (shown.size() == 1) {
            Rgb color = shownRuns(t, {*shown[0]})[0].color;
            setSelectionFormat(t, toColorRef(color), shown[0]->bold, true);
            SendMessageW(t.editor, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wstr(shown[0]->text)));
        } else {
            setSelectionFormat(t, t.defaultColor, false, true);
            streamRunsIn(t, t.editor, runs);
        }
        t.input.start = selection(t).cpMax;
        for (const OutputRun* run : shown) {
            size_t last = run->text.find_last_not_of(u" \t");
            if (last != std::u16string::npos) t.state.outputEndsWithPrompt = run->text[last] == u'>';
        }
        setSelectionFormat(t, t.defaultColor, false, false);
        // Keep the caret where the user left it inside the input line.
        if (user.cpMin > oldStart) {
            LONG shift = t.input.start - oldStart;
            select(t, user.cpMin + shift, user.cpMax + shift);
        }
        t.input.allowEdit = false;
    }
    trimScrollback(t);
    SendMessageW(t.editor, EM_SETUNDOLIMIT, kUndoLimit, 0);
    showInsertion(t);
    t.state.syntheticPromptShown = false;
}

void clearTranscript(Terminal& t) {
    // A fresh control: the control empties itself in time that grows with
    // the square of its lines.
    replaceWithEmptyControl(t);
    t.typeAhead.unread.clear();
    KillTimer(t.editor, kTypeAheadTimer);
    t.state.outputEndsWithPrompt = false;
    t.state.syntheticPromptShown = false;
    t.typeAhead.pendingEcho.clear();
}

bool interruptTerminalCommand(Terminal& t) {
    if (!t.editor || t.shell.interruptHelper.empty() || !t.state.interrupted.empty()) return false;
    std::vector<ChildProcess> running = runningChildren(t.shell);
    if (running.empty() || !interruptConsolePrograms(t.shell)) return false;
    t.state.interrupted = running;
    SetTimer(t.editor, kInterruptTimer, kInterruptGraceMs, nullptr);
    return true;
}

void onInterruptTimer(Terminal& t) {
    KillTimer(t.editor, kInterruptTimer);
    if (t.interruptGraceOver) {
        t.interruptGraceOver();
    } else {
        stopTerminalCommand(t);
    }
}

std::vector<ChildProcess> stopTerminalCommand(Terminal& t, const EndWindowedChoice& endWindowed,
                                              std::vector<ChildProcess>* denied) {
    if (t.editor) KillTimer(t.editor, kInterruptTimer);
    std::vector<ChildProcess> stopped;
    if (!t.state.interrupted.empty()) {
        std::vector<ChildProcess> running = runningChildren(t.shell);
        for (const ChildProcess& process : t.state.interrupted) {
            bool still =
                std::any_of(running.begin(), running.end(), [&](const ChildProcess& p) { return p.id == process.id; });
            if (!still) stopped.push_back(process);
        }
        t.state.interrupted.clear();
    }
    std::vector<ChildProcess> ended = stopRunningCommand(t.shell, endWindowed, denied);
    stopped.insert(stopped.end(), ended.begin(), ended.end());
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
    t.typeAhead.unread.clear();
    KillTimer(t.editor, kTypeAheadTimer);
    t.typeAhead.pendingEcho.clear();
    t.state.shellEnded = false;
    t.state.commandsOutstanding = 0;
    t.state.promptScan = {};
    t.state.interrupted.clear();
    KillTimer(t.editor, kInterruptTimer);
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

TerminalProbe probeTerminal(const Terminal& t) {
    TerminalProbe probe;
    probe.atShellPrompt = t.state.outputEndsWithPrompt;
    probe.substitutePrompt = t.state.syntheticPromptShown;
    probe.commandRunning = t.state.commandsOutstanding > 0;
    probe.redrawHeld = t.output.redrawHeld;
    probe.refilling = t.refill.fresh != nullptr;
    probe.spareControl = t.refill.retired != nullptr;
    probe.outputChunks = t.output.taken;
    probe.queuedChunks = t.output.chunks.size();
    probe.unreadLines = t.typeAhead.unread.size();
    probe.inputStart = t.input.start;
    probe.lastFind = t.recall.lastFind;
    return probe;
}

void probeForgetShellPrompt(Terminal& t) { t.state.outputEndsWithPrompt = false; }

void probeCountPaintNow(Terminal& t) { t.output.lastPaintTick = GetTickCount(); }
