#include "tests/e2e/exe_process.h"

#include <tlhelp32.h>

#include "ui/main_window.h"

std::wstring toolkeepExePath() {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer, n);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"toolkeep.exe";
}

ExeProcess startToolkeep(const std::wstring& arguments) {
    ExeProcess process;
    std::wstring commandLine = L"\"" + toolkeepExePath() + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    process.started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                     &process.info) != 0;
    return process;
}

int waitForExit(ExeProcess& process, DWORD milliseconds) {
    if (!process.started) return -1;
    if (WaitForSingleObject(process.info.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.info.hProcess, &code);
    return int(code);
}

void closeProcess(ExeProcess& process) {
    if (!process.started) return;
    if (WaitForSingleObject(process.info.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process.info.hProcess, 99);
    CloseHandle(process.info.hThread);
    CloseHandle(process.info.hProcess);
    process.started = false;
}

namespace {
struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[128];
    if (owner == search->processId && GetClassNameW(window, name, 128) && lstrcmpW(name, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND findProcessWindow(const ExeProcess& process, const wchar_t* className, DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        WindowSearch search{process.info.dwProcessId, className, nullptr};
        EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(50);
    } while (GetTickCount() - start < milliseconds);
    return nullptr;
}

bool waitUntilReady(HWND window, DWORD milliseconds) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(5)) {
        if (GetPropW(window, L"ToolkeepReady")) return true;
    }
    return false;
}

std::wstring environmentValue(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(value, n) : std::wstring();
}

std::vector<DWORD> childProcesses(DWORD parent, const wchar_t* exeName) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parent && (!exeName || lstrcmpiW(entry.szExeFile, exeName) == 0))
            children.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return children;
}

RunningExe::RunningExe(DWORD milliseconds) : process(startToolkeep(L"")), wait(milliseconds) {
    window = findProcessWindow(process, kMainWindowClass, wait);
    ready = window && waitUntilReady(window, wait);
}

RunningExe::~RunningExe() {
    if (window && IsWindow(window)) PostMessageW(window, WM_CLOSE, 0, 0);
    waitForExit(process, wait);
    closeProcess(process);
}
