// One hidden CMD or PowerShell child on anonymous pipes, in a kill-on-close
// job, with a reader thread that posts decoded output to a window.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "terminal/console_rules.h"

// Posted for each output chunk: WPARAM 0, LPARAM an owned std::u16string*.
// The receiver deletes the string.
constexpr UINT WM_TERMINAL_OUTPUT = WM_APP + 10;

struct ShellSession {
    HANDLE inputWrite = nullptr;   // our end of the child's stdin
    HANDLE outputRead = nullptr;   // our end of the child's stdout/stderr
    HANDLE job = nullptr;
    HANDLE process = nullptr;
    HWND notifyWindow = nullptr;
    UINT outputMessage = WM_TERMINAL_OUTPUT;
    UINT codePage = CP_OEMCP;
    HANDLE reader = nullptr;       // reader thread; joined by stopSession
    std::atomic<bool> running{false};
    std::mutex writeLock;
    bool inJob = false;            // the child was assigned to the job

    ShellSession() = default;
    ShellSession(const ShellSession&) = delete;
    ShellSession& operator=(const ShellSession&) = delete;
};

// The shell runs by its full system-folder path, in sessionStartDirectory(),
// with the colour variables in its own environment only.
bool startSession(ShellSession& session, ShellKind kind, HWND notifyWindow);
// The folder every new shell starts in (the user's profile).
std::u16string sessionStartDirectory();
void writeInput(ShellSession& session, const std::u16string& text);
// Kills the child and everything in its job, closes every handle, joins the
// reader. Safe twice and on a session that never started; not from the reader.
void stopSession(ShellSession& session);
