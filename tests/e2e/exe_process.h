// Starting toolkeep.exe from the end-to-end tests and finding its window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ExeProcess {
    PROCESS_INFORMATION info = {};
    bool started = false;
};

// The toolkeep.exe that sits beside this test program.
std::wstring toolkeepExePath();
ExeProcess startToolkeep(const std::wstring& arguments);
// Exit code, or -1 when the process did not end within the time.
int waitForExit(ExeProcess& process, DWORD milliseconds);
void closeProcess(ExeProcess& process);
// The top-level window of the given class owned by the process, waiting up to the time.
HWND findProcessWindow(const ExeProcess& process, const wchar_t* className, DWORD milliseconds);
// Waits until the window has set its ready property (its first paint is done).
bool waitUntilReady(HWND window, DWORD milliseconds);
// The value of an environment variable of this program, or empty.
std::wstring environmentValue(const wchar_t* name);
// The processes the given one started (with the file name, only those of that name).
std::vector<DWORD> childProcesses(DWORD parent, const wchar_t* exeName = nullptr);

// toolkeep.exe started without arguments and its main window, ready when its
// first paint is done; the window is closed and the process waited for at the end.
struct RunningExe {
    ExeProcess process;
    HWND window = nullptr;
    bool ready = false;
    DWORD wait;
    explicit RunningExe(DWORD milliseconds);
    ~RunningExe();
    RunningExe(const RunningExe&) = delete;
    RunningExe& operator=(const RunningExe&) = delete;
    void command(int id) const { SendMessageW(window, WM_COMMAND, WPARAM(id), 0); }
};
