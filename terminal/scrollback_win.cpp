// Bounded scrollback. Dropping lines from the top of a rich-edit control
// costs time in proportion to the whole text for every line dropped (seconds
// for a few thousand lines of a long transcript), and so does emptying it.
// The transcript therefore moves to a fresh control instead: it is filled
// from the mirror in slices, between other messages, while the control in
// view stays as it is and new output waits; then it takes that one's place.
#include <windows.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "terminal/scrollback_win.h"

namespace {

// The transcript keeps this many of the latest lines. It moves to a fresh
// control once a block more has come, so the cost of refilling is spread
// over many lines of output.
constexpr uint64_t kScrollbackLines = 50000;
constexpr uint64_t kRefillBlockLines = 25000;
// Lines streamed into the fresh control per step; a step costs the control a
// walk over what it holds, so steps are large, and a slice holds steps for
// at most kRefillSliceMs before other messages get their turn.
constexpr uint64_t kRefillStepLines = 1000;
constexpr DWORD kRefillSliceMs = 40;
// The replaced control is destroyed a little later, once the messages the
// reader thread posted to it have been passed on.
constexpr UINT kRetireDelayMs = 1000;
constexpr WPARAM kUndoLimit = 100;  // the control's default, for the user's typing
// A transcript this short is shown in new colours at once; a longer one
// takes a moment, in slices, while the old colours stay in view.
constexpr uint64_t kRecolorAtOnceLines = 2000;

// The control's place in its parent; a control without a width would wrap
// every character onto a line of its own while it is filled.
void placeLike(HWND control, HWND model, HWND after) {
    RECT bounds;
    GetWindowRect(model, &bounds);
    MapWindowPoints(nullptr, GetParent(model), reinterpret_cast<POINT*>(&bounds), 2);
    SetWindowPos(control, after, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 SWP_NOACTIVATE | (after ? 0 : SWP_NOZORDER));
}

void moveTimers(Terminal& t, HWND from, HWND to) {
    for (UINT_PTR timer :
         {kPromptTimer, kRenderTimer, kPaintTimer, kTypeAheadTimer, kRunningTimer, kRetireTimer, kInterruptTimer})
        KillTimer(from, timer);
    t.refill.hooks->resumeTimers(t);
    if (t.output.renderPending || !t.output.chunks.empty()) PostMessageW(to, WM_TERMINAL_CONTINUE, 0, 0);
}

// Output the reader posted to a control that is about to go.
void takeMessagesOf(Terminal& t, HWND control) {
    MSG message;
    while (PeekMessageW(&message, control, WM_TERMINAL_OUTPUT, WM_TERMINAL_OUTPUT, PM_REMOVE))
        if (message.lParam) t.output.chunks.push_back(takePostedChunk(message.lParam));
}

void destroyControl(Terminal& t, HWND& control) {
    if (!control) return;
    takeMessagesOf(t, control);
    DestroyWindow(control);
    control = nullptr;
}

// Puts `fresh` where the terminal's control is, with the input line and
// caret, and makes it the terminal's control; the old one is retired.
void swapIn(Terminal& t, HWND fresh) {
    HWND old = t.editor;
    std::u16string typed = textRange(t, t.input.start, textLength(t));
    CHARRANGE user = selection(t);
    LONG caretInInput = user.cpMin >= t.input.start ? user.cpMin - t.input.start : LONG(typed.size());
    bool visible = isShown(t);
    bool focused = GetFocus() == old;
    t.refill.hooks->releaseRedraw(t);

    placeLike(fresh, old, old);
    SendMessageW(fresh, EM_SETUNDOLIMIT, kUndoLimit, 0);
    destroyControl(t, t.refill.retired);
    t.editor = fresh;
    t.input.start = textLength(t);
    t.input.allowEdit = true;
    select(t, -1, -1);
    setSelectionFormat(t, t.defaultColor, false, false);
    if (!typed.empty()) SendMessageW(fresh, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(typed.c_str()));
    t.input.allowEdit = false;
    select(t, t.input.start + caretInInput, t.input.start + caretInInput);
    setNotifyWindow(t.shell, fresh);
    // Positions in the old text mean nothing here; a line still unread
    // simply stays in the text colour.
    t.typeAhead.unread.clear();

    if (visible) ShowWindow(fresh, SW_SHOWNA);
    ShowWindow(old, SW_HIDE);
    moveTimers(t, old, fresh);
    if (focused) SetFocus(fresh);
    SendMessageW(fresh, EM_SCROLLCARET, 0, 0);
    t.refill.retired = old;
    SetTimer(fresh, kRetireTimer, kRetireDelayMs, nullptr);
}

// Starts filling a fresh control from the first run the mirror keeps.
bool startRefill(Terminal& t) {
    // Shown, but under the control in view: a hidden control leaves its text
    // to be laid out all at once when it is first shown.
    if (!t.refill.hooks) return false;
    t.refill.fresh = t.refill.hooks->createControl(t, GetParent(t.editor), isShown(t));
    if (!t.refill.fresh) return false;
    placeLike(t.refill.fresh, t.editor, t.editor);
    // No undo records while it is filled: each would cost the control time
    // that grows with everything it recorded before.
    SendMessageW(t.refill.fresh, EM_SETUNDOLIMIT, 0, 0);
    t.refill.next = t.mirror.dropped;
    PostMessageW(t.editor, WM_TERMINAL_REFILL, 0, 0);
    return true;
}

void finishRefill(Terminal& t) {
    HWND fresh = t.refill.fresh;
    t.refill.fresh = nullptr;
    uint64_t end = t.mirror.dropped + t.mirror.runs.size();
    t.refill.hooks->appendRuns(t, fresh, mirrorTake(t.mirror, t.refill.next, end, UINT64_MAX));
    swapIn(t, fresh);
}

}  // namespace

void trimScrollback(Terminal& t) {
    if (t.refill.fresh || t.mirror.lines < kScrollbackLines + kRefillBlockLines) return;
    mirrorDropOldest(t.mirror, kScrollbackLines);
    startRefill(t);  // without a fresh control the transcript simply goes on growing
}

bool refillInCurrentColors(Terminal& t) {
    if (!t.editor || t.mirror.runs.empty()) return false;
    destroyControl(t, t.refill.fresh);  // one being filled has the old colours
    if (!startRefill(t)) return false;
    if (t.mirror.lines <= kRecolorAtOnceLines) completeRefill(t);
    return true;
}

void onRefillSlice(Terminal& t) {
    if (!t.refill.fresh) return;
    DWORD started = GetTickCount();
    // Only finished lines: the unfinished last line may still change, and
    // goes over with the swap.
    while (t.refill.next < mirrorCompleteEnd(t.mirror)) {
        t.refill.hooks->appendRuns(t, t.refill.fresh,
                                   mirrorTake(t.mirror, t.refill.next, mirrorCompleteEnd(t.mirror), kRefillStepLines));
        if (GetTickCount() - started >= kRefillSliceMs) {
            PostMessageW(t.editor, WM_TERMINAL_REFILL, 0, 0);
            return;
        }
    }
    finishRefill(t);
}

void completeRefill(Terminal& t) {
    while (t.refill.fresh) onRefillSlice(t);
}

void onRetireTimer(Terminal& t) {
    KillTimer(t.editor, kRetireTimer);
    size_t queued = t.output.chunks.size();
    destroyControl(t, t.refill.retired);
    if (t.output.chunks.size() != queued) PostMessageW(t.editor, WM_TERMINAL_CONTINUE, 0, 0);
}

void replaceWithEmptyControl(Terminal& t) {
    if (!t.editor || !t.refill.hooks) return;
    destroyControl(t, t.refill.fresh);
    HWND fresh = t.refill.hooks->createControl(t, GetParent(t.editor), false);
    if (!fresh) return;
    // The record keeps what the view loses, numbered as it was; text the
    // bounded scrollback dropped before leaves a gap, and the record restarts.
    if (t.cleared.dropped + t.cleared.runs.size() != t.mirror.dropped) {
        mirrorClear(t.cleared);
        t.cleared.dropped = t.mirror.dropped;
    }
    mirrorAppend(t.cleared, std::vector<OutputRun>(t.mirror.runs.begin(), t.mirror.runs.end()));
    mirrorDropOldest(t.cleared, kScrollbackLines);
    mirrorClear(t.mirror);
    swapIn(t, fresh);  // the input line alone goes over
}

void dropSpareControls(Terminal& t) {
    destroyControl(t, t.refill.fresh);
    destroyControl(t, t.refill.retired);
}
