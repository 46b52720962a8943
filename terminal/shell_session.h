// One hidden CMD or PowerShell child on anonymous pipes, in a kill-on-close
// job, with a reader thread that posts decoded output to a window and a
// writer thread that feeds it the typed input.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "terminal/console_rules.h"

// Posted for each output chunk: WPARAM 0, LPARAM an owned std::u16string*.
// The receiver deletes the string.
constexpr UINT WM_TERMINAL_OUTPUT = WM_APP + 10;
// Posted when the shell has read its input: WPARAM the sequence number of the
// newest write of which it has read every byte (and so of all before it).
constexpr UINT WM_TERMINAL_INPUT_READ = WM_APP + 12;
// Posted once when the shell ended by itself (not stopped): WPARAM its exit code.
constexpr UINT WM_TERMINAL_ENDED = WM_APP + 15;

struct InputWrite {
    uint64_t sequence = 0;
    std::string bytes;  // in the shell's code page
};

// A process started, directly or not, by a shell.
struct ChildProcess {
    DWORD id = 0;
    DWORD parentId = 0;
    std::u16string exeName;
};

// Bytes of the shell's standard input it has not read yet, as PeekNamedPipe
// tells them; false when that cannot be seen. On Windows the call waits
// while the shell is in a read of that pipe (a synchronous file object
// serialises its I/O), so only the input watcher thread makes it.
using InputPeek = bool (*)(HANDLE shellInput, DWORD& unread);
bool peekNamedPipe(HANDLE shellInput, DWORD& unread);

struct ShellSession {
    HANDLE inputWrite = nullptr;  // our end of the child's stdin
    HANDLE outputRead = nullptr;  // our end of the child's stdout/stderr
    HANDLE job = nullptr;
    HANDLE process = nullptr;
    std::atomic<HWND> notifyWindow{nullptr};  // the editor may move to a fresh control
    UINT outputMessage = WM_TERMINAL_OUTPUT;
    UINT codePage = CP_OEMCP;
    HANDLE reader = nullptr;  // reader thread; joined by stopSession
    std::atomic<bool> running{false};
    std::mutex writeLock;  // guards inputQueue, lastWriteSequence and writerStopping
    bool inJob = false;  // the child was assigned to the job
    // An exe whose --send-ctrl-c mode gives the shell's console a Ctrl+C;
    // empty: stopping ends the shell's programs at once.
    std::u16string interruptHelper;
    std::u16string programOverride;  // tests only: a stand-in run instead of the shell
    DWORD jobError = 0;  // why the job's kill-on-close could not be set up; 0 when it was

    // Input: writeInput queues, the writer thread writes and watches the shell read.
    HANDLE writer = nullptr;  // writer thread; joined by stopSession
    HANDLE inputPeek = nullptr;  // the child's end of its stdin, to see what is still unread
    std::deque<InputWrite> inputQueue;
    std::condition_variable inputQueued;
    uint64_t lastWriteSequence = 0;
    bool writerStopping = false;

    // The watcher thread peeks at the shell's input for the writer, which
    // must never wait on the shell's end of the pipe itself. Under writeLock.
    InputPeek peekInput = peekNamedPipe;  // a test puts one that blocks as Windows does
    HANDLE watcher = nullptr;  // watcher thread; joined by stopSession
    std::condition_variable peekWanted;
    uint64_t peekRequested = 0;  // the writer's newest request
    uint64_t peekStarted = 0;  // the request the watcher's peek in progress (or last) answers
    uint64_t peekAnswered = 0;  // the request the last finished peek answers
    DWORD peekStartTick = 0;  // when the peek in progress began
    bool peekBusy = false;  // the watcher is inside a peek
    DWORD peekUnread = 0;  // its answer

    // Output posted to the window and not yet taken by the editor.
    std::mutex outputLock;  // guards the three fields after outputTaken
    std::condition_variable outputTaken;
    size_t pendingChars = 0;
    size_t pendingChunks = 0;
    bool readerStopping = false;

    ShellSession() = default;
    ShellSession(const ShellSession&) = delete;
    ShellSession& operator=(const ShellSession&) = delete;
};

// Starts the shell with its threads. A stopped session may be started again.
// The shell runs by its full system-folder path, in sessionStartDirectory(),
// with the colour variables in its own environment only.
bool startSession(ShellSession& session, ShellKind kind, HWND notifyWindow);
// Queues text for the shell's input and returns at once with the write's
// sequence number (1, 2, ... from the start of the session; 0 when nothing
// was queued). Writes reach the shell in order, as it reads them.
// The folder every new shell starts in (the user's profile).
std::u16string sessionStartDirectory();
uint64_t writeInput(ShellSession& session, const std::u16string& text);
// The editor took (rendered or freed) a chunk of this many characters off the
// output that was posted to it; the reader waits while too much is pending.
void noteOutputTaken(ShellSession& session, size_t chars);
// Output and read notices go to this window from now on.
void setNotifyWindow(ShellSession& session, HWND window);
// Kills the child and everything in its job, closes every handle, joins both
// threads. Safe twice and on a session that never started; not from its threads.
void stopSession(ShellSession& session);

DWORD shellProcessId(const ShellSession& session);  // 0 without a shell
// The processes the shell started and theirs in turn, parents first; never the
// shell itself nor its console host.
std::vector<ChildProcess> runningChildren(const ShellSession& session);
// Asked whether programs with a window of their own (unsaved work, perhaps)
// are to be ended too; no answer keeps them.
using EndWindowedChoice = std::function<bool(const std::vector<ChildProcess>& windowed)>;
// Ends those processes (the shell stays and prompts again); returns them.
// Windowed ones only when endWindowed says so; those that refuse to be ended
// (elevated, from a shell that is not) go to denied, once each.
std::vector<ChildProcess> stopRunningCommand(ShellSession& session, const EndWindowedChoice& endWindowed = {},
                                             std::vector<ChildProcess>* denied = nullptr);
// Starts the interrupt helper for the shell's console and returns at once;
// false when there is none, it could not start, or only windowed programs run. Every console program of
// the shell gets Ctrl+C, the shell too (cmd handles it and goes on).
bool interruptConsolePrograms(const ShellSession& session);
// This exe, or empty where the shell would not survive the event: Wine's
// cmd installs no Ctrl+C handler, so the event ends it.
std::u16string consoleInterruptHelper();
// The helper mode itself: Ctrl+C to every process on that process's console,
// this one excepted. 0 when sent.
int sendConsoleCtrlC(unsigned long processId);
