// The rich-edit primitives every part of the console editor works with: the
// control's timers and messages, the selection, formats and text.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <memory>
#include <string>

#include "terminal/terminal.h"

// Timers of the editor control.
constexpr UINT_PTR kPromptTimer = 1;
constexpr UINT_PTR kRenderTimer = 2;
constexpr UINT_PTR kPaintTimer = 3;
constexpr UINT_PTR kTypeAheadTimer = 4;
constexpr UINT_PTR kRunningTimer = 5;
constexpr UINT_PTR kRetireTimer = 6;
constexpr UINT_PTR kInterruptTimer = 7;  // the grace period after a console Ctrl+C
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

// The chunk a WM_TERMINAL_OUTPUT message carries, owned from here on.
std::unique_ptr<std::u16string> takePostedChunk(LPARAM lParam);
