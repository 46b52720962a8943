// The processes a shell has started, found by their parent ids, and the
// stopping of them: a console Ctrl+C first, sent by a helper process (this
// exe in its --send-ctrl-c mode) because attaching to the shell's console
// here would change the console of every thread of this process; then the
// console programs still running are ended. Programs with a window are ended
// only when the user says so, as closing their window would ask about unsaved work.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "data/text.h"
#include "platform/win_text.h"
#include "terminal/shell_session.h"

namespace {

// A command may start another while it is being ended; each round takes a
// new look, and this many rounds are enough for any chain of starts.
constexpr int kStopRounds = 8;
// How long a round lets the ended processes go before it looks again.
constexpr DWORD kStopSettleMs = 50;
// The exit code of a program ended by Ctrl+C, which the shell knows.
constexpr UINT kInterruptedExitCode = 0xC000013A;
// Its own child on Windows 8 and later: ending it ends the shell.
constexpr char16_t kConsoleHost[] = u"conhost.exe";

struct Ancestor {
    DWORD id = 0;
    uint64_t created = 0;  // 0 when unknown
};

uint64_t creationTime(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!process || !GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return uint64_t(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

uint64_t creationTime(DWORD id) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    uint64_t created = creationTime(process);
    if (process) CloseHandle(process);
    return created;
}

bool isConsoleHost(const std::u16string& exeName) {
    std::u16string name = exeName;
    for (char16_t& c : name)
        if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
    return name == kConsoleHost;
}

std::vector<ChildProcess> processSnapshot() {
    std::vector<ChildProcess> processes;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return processes;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        processes.push_back({entry.th32ProcessID, entry.th32ParentProcessID, fromWide(entry.szExeFile)});
    CloseHandle(snapshot);
    return processes;
}

// The descendants of the roots, parents first. A process whose parent id
// names a root but that is older than it is not its child: the id was reused.
std::vector<ChildProcess> descendants(const std::vector<ChildProcess>& processes, std::vector<Ancestor> roots,
                                      DWORD shellId) {
    std::vector<ChildProcess> found;
    std::vector<DWORD> seen = {shellId, GetCurrentProcessId()};
    for (const Ancestor& root : roots) seen.push_back(root.id);
    for (size_t next = 0; next < roots.size(); ++next) {
        Ancestor parent = roots[next];
        for (const ChildProcess& process : processes) {
            // Under Wine a process has no name until it has started: right after the
            // shell starts, that is the console host it starts first.
            if (process.parentId != parent.id || process.exeName.empty() || isConsoleHost(process.exeName)) continue;
            if (std::find(seen.begin(), seen.end(), process.id) != seen.end()) continue;
            uint64_t created = creationTime(process.id);
            if (created && parent.created && created < parent.created) continue;
            seen.push_back(process.id);
            found.push_back(process);
            roots.push_back({process.id, created});
        }
    }
    return found;
}

BOOL CALLBACK noteWindowOwner(HWND window, LPARAM owners) {
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    reinterpret_cast<std::vector<DWORD>*>(owners)->push_back(id);
    return TRUE;
}

// The processes that show a top-level window of their own.
std::vector<DWORD> windowOwners() {
    std::vector<DWORD> owners;
    EnumWindows(noteWindowOwner, reinterpret_cast<LPARAM>(&owners));
    return owners;
}

bool listed(const std::vector<ChildProcess>& list, DWORD id) {
    for (const ChildProcess& p : list)
        if (p.id == id) return true;
    return false;
}

}  // namespace

std::vector<ChildProcess> runningChildren(const ShellSession& session) {
    DWORD shellId = shellProcessId(session);
    if (!shellId) return {};
    return descendants(processSnapshot(), {{shellId, creationTime(session.process)}}, shellId);
}

std::vector<ChildProcess> stopRunningCommand(ShellSession& session, const EndWindowedChoice& endWindowed,
                                             std::vector<ChildProcess>* denied) {
    std::vector<ChildProcess> stopped, kept, refused;
    DWORD shellId = shellProcessId(session);
    if (!shellId) return stopped;
    // The ended ones stay roots: what they started meanwhile names them as parent.
    std::vector<Ancestor> roots = {{shellId, creationTime(session.process)}};
    bool asked = false, endWindows = false;
    for (int round = 0; round < kStopRounds; ++round) {
        std::vector<ChildProcess> running = descendants(processSnapshot(), roots, shellId);
        std::vector<DWORD> owners = windowOwners();
        std::vector<ChildProcess> windowed;
        for (const ChildProcess& process : running)
            if (std::find(owners.begin(), owners.end(), process.id) != owners.end() && !listed(kept, process.id))
                windowed.push_back(process);
        if (!windowed.empty() && !asked) {
            asked = true;
            endWindows = endWindowed && endWindowed(windowed);
        }
        if (!endWindows) kept.insert(kept.end(), windowed.begin(), windowed.end());
        std::vector<HANDLE> ending;
        for (const ChildProcess& process : running) {
            if (listed(kept, process.id) || listed(refused, process.id)) continue;
            HANDLE handle =
                OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, process.id);
            if (!handle) {
                // Gone already, or elevated: a shell that is not may not end it.
                if (GetLastError() == ERROR_ACCESS_DENIED) refused.push_back(process);
                continue;
            }
            uint64_t created = creationTime(handle);
            if (TerminateProcess(handle, kInterruptedExitCode)) {
                ending.push_back(handle);
                stopped.push_back(process);
                roots.push_back({process.id, created});
            } else {
                if (GetLastError() == ERROR_ACCESS_DENIED) refused.push_back(process);
                CloseHandle(handle);
            }
        }
        if (ending.empty()) break;
        DWORD settleStart = GetTickCount();
        for (HANDLE handle : ending) {
            DWORD spent = GetTickCount() - settleStart;
            WaitForSingleObject(handle, spent < kStopSettleMs ? kStopSettleMs - spent : 0);
            CloseHandle(handle);
        }
    }
    if (denied) *denied = refused;
    return stopped;
}

bool interruptConsolePrograms(const ShellSession& session) {
    DWORD shellId = shellProcessId(session);
    if (!shellId || session.interruptHelper.empty()) return false;
    // Only windowed programs run: they get no console event, the question comes at once.
    std::vector<DWORD> owners = windowOwners();
    std::vector<ChildProcess> running = runningChildren(session);
    if (std::all_of(running.begin(), running.end(), [&](const ChildProcess& p) {
            return std::find(owners.begin(), owners.end(), p.id) != owners.end();
        }))
        return false;
    std::u16string commandLine = u"\"" + session.interruptHelper + u"\" --send-ctrl-c " + decimalText(shellId);
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // Detached: it has no console of its own to leave before it attaches to
    // the shell's, and nothing here waits for it.
    if (!CreateProcessW(wstr(session.interruptHelper), writable.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                        nullptr, nullptr, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

std::u16string consoleInterruptHelper() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll && GetProcAddress(ntdll, "wine_get_version")) return {};
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return fromWide(path, length);
}

int sendConsoleCtrlC(unsigned long processId) {
    if (processId == 0 || processId == GetCurrentProcessId()) return 2;
    FreeConsole();
    if (!AttachConsole(processId)) return 3;
    // The event goes to every process on the console, this one included.
    SetConsoleCtrlHandler(nullptr, TRUE);
    BOOL sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    FreeConsole();
    return sent ? 0 : 4;
}
