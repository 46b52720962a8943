#include "terminal/shell_session.h"

#include <process.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win_text.h"
#include "terminal/output_decoder.h"
#include "terminal/shell_launch.h"

namespace {

constexpr DWORD kReadSize = 4096;
// Output posted and not yet taken by the editor is bounded: the thread's
// message queue drops posts past 10 000 messages, and every terminal of the
// window shares that queue...
constexpr size_t kMaxPendingChunks = 2000;
// ...and a flood must not pile up memory faster than the editor shows it.
constexpr size_t kMaxPendingChars = 8 * 1024 * 1024 / sizeof(char16_t);
// A post refused while the window lives (its queue is full) is tried again
// after a pause that doubles from the first to the last value.
constexpr DWORD kFirstPostRetryMs = 5;
constexpr DWORD kLastPostRetryMs = 200;
// While written input is still unread, the writer looks this often whether
// the shell has read it; with nothing unread it sleeps until the next write.
constexpr DWORD kInputPollMs = 25;
// stopSession looks this often whether the writer has ended, unblocking it.
constexpr DWORD kWriterStopPollMs = 20;
// The shell's output closed: how long the reader waits for its exit code.
constexpr DWORD kEndedCodeWaitMs = 2000;

// Bytes at the end of a read that start a character whose other bytes have
// not arrived yet; they are decoded with the next read.
size_t incompleteTail(const char* data, size_t size, UINT codePage) {
    CPINFO info;
    if (!GetCPInfo(codePage, &info) || info.MaxCharSize < 2) return 0;
    UINT realCodePage = codePage == CP_OEMCP ? GetOEMCP() : codePage;
    // IsDBCSLeadByteEx knows no UTF-8, the OEM code page of the "Unicode
    // UTF-8" beta setting and of chcp 65001.
    if (realCodePage == CP_UTF8) return utf8IncompleteTail(data, size);
    size_t i = 0;
    while (i < size) i += IsDBCSLeadByteEx(realCodePage, BYTE(data[i])) ? 2 : 1;
    return i > size ? 1 : 0;
}

OemDecode codePageDecode(UINT codePage) {
    return [codePage](const char* data, size_t size, std::u16string& out) {
        size_t tail = incompleteTail(data, size, codePage);
        int whole = int(size - tail);
        if (whole == 0) return tail;
        int length = MultiByteToWideChar(codePage, 0, data, whole, nullptr, 0);
        if (length <= 0) return tail;
        size_t at = out.size();
        out.resize(at + size_t(length));
        MultiByteToWideChar(codePage, 0, data, whole, reinterpret_cast<wchar_t*>(&out[at]), length);
        return tail;
    };
}

// Waits until the editor has room for a chunk of this size and counts it as
// pending; false when the session stops meanwhile.
bool reserveOutput(ShellSession& session, size_t chars) {
    std::unique_lock<std::mutex> hold(session.outputLock);
    session.outputTaken.wait(hold, [&] {
        bool room = session.pendingChunks < kMaxPendingChunks &&
                    (session.pendingChars == 0 || session.pendingChars + chars <= kMaxPendingChars);
        return session.readerStopping || room;
    });
    if (session.readerStopping) return false;
    session.pendingChars += chars;
    ++session.pendingChunks;
    return true;
}

// Posts a chunk; a full queue is waited out, only a gone window or a
// stopping session loses it.
void postOutput(ShellSession& session, std::u16string* chunk) {
    size_t chars = chunk->size();
    DWORD pause = kFirstPostRetryMs;
    for (;;) {
        if (PostMessageW(session.notifyWindow, session.outputMessage, 0, reinterpret_cast<LPARAM>(chunk))) return;
        if (!IsWindow(session.notifyWindow)) break;
        std::unique_lock<std::mutex> hold(session.outputLock);
        if (session.outputTaken.wait_for(hold, std::chrono::milliseconds(pause),
                                         [&] { return session.readerStopping; }))
            break;
        pause = pause * 2 < kLastPostRetryMs ? pause * 2 : kLastPostRetryMs;
    }
    delete chunk;  // nobody else will free it
    noteOutputTaken(session, chars);
}

// This program's environment with the colour variables added, for the shell alone.
std::u16string shellEnvironment() {
    std::vector<std::u16string> inherited;
    if (wchar_t* strings = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) inherited.push_back(fromWide(entry));
        FreeEnvironmentStringsW(strings);
    }
    return environmentBlock(inherited, shellColourVariables());
}

unsigned __stdcall readerLoop(void* argument) {
    ShellSession& session = *static_cast<ShellSession*>(argument);
    HANDLE pipe = session.outputRead;  // our own copy: stopSession closes it only after the join
    std::vector<char> buffer(kReadSize);
    OutputDecoder decoder;
    OemDecode oem = codePageDecode(session.codePage);
    while (session.running.load()) {
        DWORD got = 0;
        if (!ReadFile(pipe, buffer.data(), kReadSize, &got, nullptr) || got == 0) break;
        std::u16string text = decodeShellOutput(decoder, buffer.data(), got, oem);
        if (text.empty() || !session.notifyWindow) continue;
        if (!reserveOutput(session, text.size())) break;
        postOutput(session, new std::u16string(std::move(text)));
    }
    // Still running: the pipe closed because the shell ended, not because it was stopped.
    if (session.running.exchange(false) && session.notifyWindow) {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(session.process, kEndedCodeWaitMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(session.process, &code);
        PostMessageW(session.notifyWindow, WM_TERMINAL_ENDED, WPARAM(code), 0);
    }
    return 0;
}

std::string encodeInput(const ShellSession& session, const std::u16string& text) {
    std::u16string lines = shellInputText(text);
    // No best fit: a look-alike such as a full-width ampersand must not turn
    // into the real shell operator on its way to the shell.
    UINT codePage = session.codePage;
    DWORD flags = (codePage == CP_UTF8 || codePage == CP_UTF7) ? 0 : WC_NO_BEST_FIT_CHARS;
    int size = WideCharToMultiByte(codePage, flags, wstr(lines), int(lines.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0 && flags) {  // an OEM code page of UTF-8 takes no flags
        flags = 0;
        size = WideCharToMultiByte(codePage, flags, wstr(lines), int(lines.size()), nullptr, 0, nullptr, nullptr);
    }
    if (size <= 0) return {};
    std::string bytes(size_t(size), '\0');
    WideCharToMultiByte(codePage, flags, wstr(lines), int(lines.size()), &bytes[0], size, nullptr, nullptr);
    return bytes;
}

// Bytes of input the shell has not read yet; 0 when that cannot be seen.
// Only for the watcher thread and for stopSession (once the shell has ended).
DWORD unreadInput(const ShellSession& session) {
    DWORD unread = 0;
    if (!session.inputPeek || !session.peekInput(session.inputPeek, unread)) return 0;
    return unread;
}

// Answers the writer's requests to peek; may block inside a peek as long as
// the shell reads, holding nothing the writer needs.
unsigned __stdcall watcherLoop(void* argument) {
    ShellSession& session = *static_cast<ShellSession*>(argument);
    std::unique_lock<std::mutex> hold(session.writeLock);
    for (;;) {
        session.peekWanted.wait(hold,
                                [&] { return session.writerStopping || session.peekRequested != session.peekStarted; });
        if (session.writerStopping) break;
        uint64_t request = session.peekStarted = session.peekRequested;
        session.peekBusy = true;
        session.peekStartTick = GetTickCount();
        hold.unlock();
        DWORD unread = unreadInput(session);
        hold.lock();
        session.peekBusy = false;
        session.peekAnswered = request;
        session.peekUnread = unread;
        session.inputQueued.notify_all();
    }
    return 0;
}

// Whether the shell has read all input written before request, as far as
// the watcher knows; held under writeLock. A peek that has waited a poll's
// time since the write is held up by a read of the shell's own: a read on an
// empty pipe, so nothing is left unread.
bool watcherSaysRead(const ShellSession& session, uint64_t request, DWORD writtenTick) {
    if (!session.watcher) return true;  // reading is not seen: a write counts as read once written
    if (session.peekAnswered >= request) return session.peekUnread == 0;
    if (!session.peekBusy) return false;
    DWORD now = GetTickCount();
    DWORD since = now - session.peekStartTick < now - writtenTick ? now - session.peekStartTick : now - writtenTick;
    return since >= kInputPollMs;
}

bool shellEnded(const ShellSession& session) { return WaitForSingleObject(session.process, 0) == WAIT_OBJECT_0; }

// Writes queued input in order, each write once the shell has read all
// before it (a shell reading a pipe may take several lines in one read and
// run only the first), and reports each write the shell has read. What the
// shell has read it learns from the watcher thread, never by a peek of its own.
unsigned __stdcall writerLoop(void* argument) {
    ShellSession& session = *static_cast<ShellSession*>(argument);
    uint64_t written = 0, reported = 0, request = 0;
    DWORD writtenTick = 0;
    for (;;) {
        bool unread = written != reported;
        bool read = false;
        InputWrite next;
        {
            std::unique_lock<std::mutex> hold(session.writeLock);
            if (unread) {
                if (session.peekAnswered >= request) {  // answered "not all read yet": look again a poll later
                    session.inputQueued.wait_for(hold, std::chrono::milliseconds(kInputPollMs),
                                                 [&] { return session.writerStopping; });
                    if (session.writerStopping) break;
                    request = ++session.peekRequested;
                    session.peekWanted.notify_one();
                }
                session.inputQueued.wait_for(hold, std::chrono::milliseconds(kInputPollMs),
                                             [&] { return session.writerStopping || session.peekAnswered >= request; });
                read = watcherSaysRead(session, request, writtenTick);
            } else {
                session.inputQueued.wait(hold, [&] { return session.writerStopping || !session.inputQueue.empty(); });
            }
            if (session.writerStopping) break;
            if (!unread) {
                next = std::move(session.inputQueue.front());
                session.inputQueue.pop_front();
            }
        }
        if (unread) {
            if (!read && !shellEnded(session)) continue;
            if (session.notifyWindow && !shellEnded(session))
                PostMessageW(session.notifyWindow, WM_TERMINAL_INPUT_READ, WPARAM(written), 0);
            reported = written;
        } else if (shellEnded(session)) {
            reported = written = next.sequence;  // lost, as input typed into an ended console is
        } else {
            DWORD done = 0;
            WriteFile(session.inputWrite, next.bytes.data(), DWORD(next.bytes.size()), &done, nullptr);
            written = next.sequence;
            writtenTick = GetTickCount();
            std::lock_guard<std::mutex> hold(session.writeLock);
            request = ++session.peekRequested;  // only a peek after this write tells of it
            session.peekWanted.notify_one();
        }
    }
    return 0;
}

// Makes a write the writer is blocked in return: cancels it, and reads what
// the ended shell left unread so that a write waiting for room completes.
void unblockWriter(ShellSession& session) {
    CancelSynchronousIo(session.writer);
    if (!shellEnded(session)) return;  // a peek would wait behind the shell's read
    DWORD unread = unreadInput(session);
    if (unread == 0) return;
    std::vector<char> discard(unread);
    DWORD got = 0;
    ReadFile(session.inputPeek, discard.data(), unread, &got, nullptr);
}

void closeAndClear(HANDLE& handle) {
    if (handle) CloseHandle(handle);
    handle = nullptr;
}

// Without kill-on-close (or the assignment: before Windows 8 a process in a
// job of its own, as under some launchers, cannot join another) the shell's
// programs outlive the terminal; the error is kept for the Activity log.
void createJob(ShellSession& session) {
    session.jobError = 0;
    session.job = CreateJobObjectW(nullptr, nullptr);
    if (!session.job) {
        session.jobError = GetLastError();
        return;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(session.job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        session.jobError = GetLastError();
        return;  // not in the job: stopSession ends the shell itself
    }
    session.inJob = AssignProcessToJobObject(session.job, session.process) != FALSE;
    if (!session.inJob) session.jobError = GetLastError();
}

// Starts the writer thread; childInput is the child's standard input handle
// as the child holds it (inherited handles keep their value).
void startInputWriter(ShellSession& session, HANDLE childInput) {
    if (!DuplicateHandle(session.process, childInput, GetCurrentProcess(), &session.inputPeek, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
        session.inputPeek = nullptr;  // the shell's reading is then not seen: each write counts as read once written
    if (session.inputPeek)
        session.watcher = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, watcherLoop, &session, 0, nullptr));
    session.writer = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, writerLoop, &session, 0, nullptr));
}

void stopInputWriter(ShellSession& session) {
    {
        std::lock_guard<std::mutex> hold(session.writeLock);
        session.writerStopping = true;
    }
    session.inputQueued.notify_all();
    session.peekWanted.notify_all();
    if (session.writer) {
        unblockWriter(session);  // cancel first: a write waiting for room would hold the join
        while (WaitForSingleObject(session.writer, kWriterStopPollMs) == WAIT_TIMEOUT) unblockWriter(session);
        closeAndClear(session.writer);
    }
    closeAndClear(session.inputWrite);  // the writer is gone: a peek now finds the pipe broken
    if (session.watcher) {
        // The shell has ended (the job is closed), so its read, and any peek behind it, returns.
        while (WaitForSingleObject(session.watcher, kWriterStopPollMs) == WAIT_TIMEOUT)
            CancelSynchronousIo(session.watcher);
        closeAndClear(session.watcher);
    }
    closeAndClear(session.inputPeek);
    std::lock_guard<std::mutex> hold(session.writeLock);
    session.inputQueue.clear();
    session.lastWriteSequence = 0;
    session.writerStopping = false;
    session.peekRequested = session.peekStarted = session.peekAnswered = 0;
    session.peekBusy = false;
}

}  // namespace

bool peekNamedPipe(HANDLE shellInput, DWORD& unread) {
    return PeekNamedPipe(shellInput, nullptr, 0, nullptr, &unread, nullptr) != FALSE;
}

void setNotifyWindow(ShellSession& session, HWND window) { session.notifyWindow.store(window); }

std::u16string sessionStartDirectory() {
    std::u16string profile = platform::getEnv(u"USERPROFILE").value_or(std::u16string());
    if (!profile.empty() && !platform::directoryExists(profile)) profile.clear();
    return shellStartDirectory(profile, platform::systemDir());
}

bool startSession(ShellSession& session, ShellKind kind, HWND notifyWindow) {
    session.notifyWindow = notifyWindow;
    session.outputMessage = WM_TERMINAL_OUTPUT;
    const bool standIn = !session.programOverride.empty();
    const std::u16string program = standIn ? session.programOverride : shellProgramPath(kind, platform::systemDir());
    if (program.empty()) return false;

    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE childInput = nullptr, childOutput = nullptr;
    if (!CreatePipe(&childInput, &session.inputWrite, &inheritable, 0)) return false;
    if (!CreatePipe(&session.outputRead, &childOutput, &inheritable, 0)) {
        CloseHandle(childInput);
        session.outputRead = nullptr;
        return false;
    }
    SetHandleInformation(session.inputWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(session.outputRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput;
    startup.hStdOutput = childOutput;
    startup.hStdError = childOutput;

    std::u16string commandLine = standIn ? u"\"" + program + u"\"" : shellCommandLine(kind);
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    std::u16string environment = shellEnvironment();
    const std::u16string directory = sessionStartDirectory();
    PROCESS_INFORMATION info = {};
    BOOL created = CreateProcessW(wstr(program), writable.data(), nullptr, nullptr, TRUE,
                                  CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, &environment[0],
                                  directory.empty() ? nullptr : wstr(directory), &startup, &info);
    CloseHandle(childInput);
    CloseHandle(childOutput);
    if (!created) {
        closeAndClear(session.inputWrite);
        closeAndClear(session.outputRead);
        return false;
    }
    session.process = info.hProcess;
    CloseHandle(info.hThread);
    createJob(session);

    session.running.store(true);
    session.reader = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, readerLoop, &session, 0, nullptr));
    if (!session.reader) {
        stopSession(session);
        return false;
    }
    startInputWriter(session, startup.hStdInput);
    return true;
}

uint64_t writeInput(ShellSession& session, const std::u16string& text) {
    if (!session.writer || text.empty()) return 0;
    std::string bytes = encodeInput(session, text);
    if (bytes.empty()) return 0;
    uint64_t sequence = 0;
    {
        std::lock_guard<std::mutex> hold(session.writeLock);
        sequence = ++session.lastWriteSequence;
        session.inputQueue.push_back({sequence, std::move(bytes)});
    }
    session.inputQueued.notify_one();
    return sequence;
}

void noteOutputTaken(ShellSession& session, size_t chars) {
    {
        std::lock_guard<std::mutex> hold(session.outputLock);
        session.pendingChars -= chars < session.pendingChars ? chars : session.pendingChars;
        if (session.pendingChunks > 0) --session.pendingChunks;
    }
    session.outputTaken.notify_all();
}

DWORD shellProcessId(const ShellSession& session) { return session.process ? GetProcessId(session.process) : 0; }

void stopSession(ShellSession& session) {
    session.running.store(false);
    {
        std::lock_guard<std::mutex> hold(session.outputLock);
        session.readerStopping = true;  // a reader waiting for room gives up
    }
    session.outputTaken.notify_all();
    closeAndClear(session.job);  // kill-on-close ends the shell and all it started
    if (session.process && !session.inJob) TerminateProcess(session.process, 1);
    session.inJob = false;
    stopInputWriter(session);
    closeAndClear(session.inputWrite);
    if (session.reader) {
        // A grandchild outside the job may still hold the pipe open.
        while (WaitForSingleObject(session.reader, 2000) == WAIT_TIMEOUT) {
            if (session.process) TerminateProcess(session.process, 1);
            CancelSynchronousIo(session.reader);
        }
        closeAndClear(session.reader);
    }
    closeAndClear(session.outputRead);
    closeAndClear(session.process);
    std::lock_guard<std::mutex> hold(session.outputLock);
    session.pendingChars = 0;
    session.pendingChunks = 0;
    session.readerStopping = false;
}
