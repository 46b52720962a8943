// What the console editor's two halves share: the rich-edit primitives, and
// the output side's entry points that the editor's window procedure calls.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <string>

#include "terminal/terminal.h"

// Timers of the editor control.
constexpr UINT_PTR kPromptTimer = 1;
constexpr UINT_PTR kRenderTimer = 2;
constexpr UINT_PTR kPaintTimer = 3;
constexpr UINT_PTR kTypeAheadTimer = 4;
constexpr UINT_PTR kRunningTimer = 5;
constexpr UINT_PTR kRetireTimer = 6;
// Posted to itself to render the rest of the queued output after a pause,
// so that other messages get their turn during a flood of output.
constexpr UINT WM_TERMINAL_CONTINUE = WM_APP + 11;
// Posted to itself to fill the next slice of a fresh control (scrollback).
constexpr UINT WM_TERMINAL_REFILL = WM_APP + 13;

CHARRANGE selection(const Terminal& t);
void select(const Terminal& t, LONG from, LONG to);
LONG textLength(const Terminal& t);
std::u16string textRange(const Terminal& t, LONG from, LONG to);
void setSelectionFormat(const Terminal& t, COLORREF color, bool bold, bool isProtected);
// Formats [from, to), protected or not, without touching the user's selection.
void setRangeFormat(Terminal& t, LONG from, LONG to, CHARFORMAT2W format);
void setRangeColor(Terminal& t, LONG from, LONG to, COLORREF color);
// Redraws the control with its next paint.
void repaint(const Terminal& t);
// Whether the terminal is shown in its tab: its control's own style, whatever
// its parent, or a held redraw, which takes that style away for a while.
bool isShown(const Terminal& t);

// The editor's rich-edit control with the terminal's font, colours and
// subclass; hidden unless `visible` (console_editor_win.cpp).
HWND createEditorControl(Terminal& t, HWND parent, bool visible);
// Streams runs in at the end of a control as protected text.
void appendRunsTo(Terminal& t, HWND control, const std::vector<OutputRun>& runs);

// Bounded scrollback (scrollback_win.cpp): the transcript keeps its latest
// lines by moving to a fresh control filled from the mirror.
void trimScrollback(Terminal& t);
void onRefillSlice(Terminal& t);
// Fills the fresh control to the end and puts it in place now.
void completeRefill(Terminal& t);
// Shows the transcript in the terminal's current colours by moving it to a
// fresh control: recolouring it in place would cost the control a walk from
// the top for every run. False when there is no transcript, or no control.
bool refillInCurrentColors(Terminal& t);
void onRetireTimer(Terminal& t);
// Moves the input line and the shell to an empty control at once (the local clear).
void replaceWithEmptyControl(Terminal& t);
// Destroys a fresh or retired control (teardown).
void dropSpareControls(Terminal& t);

// Output side (terminal_output_win.cpp).
void onOutputMessage(Terminal& t, std::u16string* chunk);
void renderQueuedOutput(Terminal& t);
void freeQueuedOutput(Terminal& t);
void onPromptTimer(Terminal& t);
void armPromptTimer(Terminal& t);
void releaseRedraw(Terminal& t);
void killOutputTimers(Terminal& t);
// A submitted line goes into the transcript; typed ahead, it greys until read.
void noteSubmittedLine(Terminal& t, uint64_t sequence, LONG start, LONG end);
void onTypeAheadTimer(Terminal& t);
void onInputRead(Terminal& t, uint64_t sequence);
// The status bar's note that the running command waits for what is typed.
void noteWaitingForInput(Terminal& t, bool waiting);
// The shell ended by itself (WM_TERMINAL_ENDED): its output, then a line saying so.
void onShellEnded(Terminal& t, DWORD exitCode);
// The running-command indicator: polls the visible terminal's shell.
void startRunningPoll(Terminal& t);
void onRunningTimer(Terminal& t);
