#include "platform/win_system_library.h"

#include <string>

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

}  // namespace

void restrictDllSearchToSystem() {
    // Windows 8 and Windows 7 with its update KB2533623 have it; plain Windows 7 does not.
    FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(found));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    SetDllDirectoryW(L"");
}

HMODULE loadSystemLibrary(const wchar_t* fileName) {
    wchar_t folder[MAX_PATH];
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring path(folder, length);
    path += L'\\';
    path += fileName;
    // Its own imports are then looked for beside it, in the system folder.
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool trueWindowsVersion(OSVERSIONINFOW& info) {
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    info = {};
    info.dwOSVersionInfoSize = sizeof info;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    FARPROC found = ntdll ? GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
    auto get = reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void (*)()>(found));
    return get && get(&info) == 0;
}
