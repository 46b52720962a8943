// The output side of the console editor (terminal_output_win.cpp): the entry
// points the editor's window procedure calls.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "terminal/scrollback_win.h"

// Streams runs in at the end of a control as protected text.
void appendRunsTo(Terminal& t, HWND control, const std::vector<OutputRun>& runs);
// Sets the prompt and running-command timers again, on the terminal's current control.
void resumeOutputTimers(Terminal& t);
void onOutputMessage(Terminal& t, std::unique_ptr<std::u16string> chunk);
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
// The grace period after a console Ctrl+C is over: what still runs is ended.
void onInterruptTimer(Terminal& t);
