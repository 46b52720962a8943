#include "terminal/shell_session.h"

#include <process.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win_text.h"
#include "terminal/shell_launch.h"

namespace {

constexpr DWORD kReadSize = 4096;

// Bytes at the end of a read that start a double-byte character whose second
// byte has not arrived yet; they are decoded with the next read.
size_t incompleteTail(const char* data, size_t size, UINT codePage) {
    CPINFO info;
    if (!GetCPInfo(codePage, &info) || info.MaxCharSize < 2) return 0;
    UINT realCodePage = codePage == CP_OEMCP ? GetOEMCP() : codePage;
    size_t i = 0;
    while (i < size) i += IsDBCSLeadByteEx(realCodePage, BYTE(data[i])) ? 2 : 1;
    return i > size ? 1 : 0;
}

std::u16string decode(const char* data, size_t size, UINT codePage) {
    if (size == 0) return {};
    int length = MultiByteToWideChar(codePage, 0, data, int(size), nullptr, 0);
    if (length <= 0) return {};
    std::u16string text(size_t(length), u'\0');
    MultiByteToWideChar(codePage, 0, data, int(size), reinterpret_cast<wchar_t*>(&text[0]), length);
    return text;
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
    std::vector<char> buffer(kReadSize + 1);
    size_t carried = 0;
    while (session.running.load()) {
        DWORD got = 0;
        if (!ReadFile(pipe, buffer.data() + carried, kReadSize - DWORD(carried), &got, nullptr) || got == 0) break;
        size_t size = carried + got;
        carried = incompleteTail(buffer.data(), size, session.codePage);
        std::u16string text = decode(buffer.data(), size - carried, session.codePage);
        if (carried) buffer[0] = buffer[size - 1];
        if (text.empty() || !session.notifyWindow) continue;
        auto* chunk = new std::u16string(std::move(text));
        if (!PostMessageW(session.notifyWindow, session.outputMessage, 0, reinterpret_cast<LPARAM>(chunk)))
            delete chunk;  // the window is gone: nobody else will free it
    }
    session.running.store(false);
    return 0;
}

void closeAndClear(HANDLE& handle) {
    if (handle) CloseHandle(handle);
    handle = nullptr;
}

void createJob(ShellSession& session) {
    session.job = CreateJobObjectW(nullptr, nullptr);
    if (!session.job) return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(session.job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    session.inJob = AssignProcessToJobObject(session.job, session.process) != FALSE;
}

}  // namespace

std::u16string sessionStartDirectory() {
    std::u16string profile = platform::getEnv(u"USERPROFILE").value_or(std::u16string());
    if (!profile.empty() && !platform::directoryExists(profile)) profile.clear();
    return shellStartDirectory(profile, platform::systemDir());
}

bool startSession(ShellSession& session, ShellKind kind, HWND notifyWindow) {
    session.notifyWindow = notifyWindow;
    session.outputMessage = WM_TERMINAL_OUTPUT;
    const std::u16string program = shellProgramPath(kind, platform::systemDir());
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

    std::u16string commandLine = shellCommandLine(kind);
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
    return true;
}

void writeInput(ShellSession& session, const std::u16string& text) {
    if (!session.inputWrite || text.empty()) return;
    std::lock_guard<std::mutex> hold(session.writeLock);
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
    if (size <= 0) return;
    std::string bytes(size_t(size), '\0');
    WideCharToMultiByte(codePage, flags, wstr(lines), int(lines.size()), &bytes[0], size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(session.inputWrite, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    FlushFileBuffers(session.inputWrite);
}

void stopSession(ShellSession& session) {
    session.running.store(false);
    closeAndClear(session.job);  // kill-on-close ends the shell and all it started
    if (session.process && !session.inJob) TerminateProcess(session.process, 1);
    session.inJob = false;
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
}
