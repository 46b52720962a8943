// Bounded scrollback (scrollback_win.cpp): the transcript keeps its latest
// lines by moving to a fresh control filled from the mirror.
#pragma once

#include <windows.h>

#include <vector>

#include "terminal/editor_control_win.h"

// What moving the transcript needs from the editor and output sides above it.
struct ScrollbackHooks {
    // A control with the terminal's font, colours and subclass; hidden unless visible.
    HWND (*createControl)(Terminal& t, HWND parent, bool visible);
    // Streams runs in at the end of a control as protected text.
    void (*appendRuns)(Terminal& t, HWND control, const std::vector<OutputRun>& runs);
    // Lets the control in view draw again before it goes.
    void (*releaseRedraw)(Terminal& t);
    // Sets the output side's timers again on the terminal's (new) control.
    void (*resumeTimers)(Terminal& t);
};

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
