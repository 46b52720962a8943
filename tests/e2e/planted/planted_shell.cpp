// Planted beside a copy of toolkeep.exe as cmd.exe: if it ever runs, it
// leaves "<its own path>.ran" behind and ends.
#include <windows.h>

int main() {
    wchar_t path[MAX_PATH + 8] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    lstrcatW(path, L".ran");
    HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return 0;
}
