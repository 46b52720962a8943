// A main window created inside the test program, and the helpers around it.
#pragma once

#include <windows.h>

#include <string>

// Dispatches this thread's messages for the given time.
void pump(DWORD milliseconds);
// %APPDATA%\Toolkeep\<name>.
std::wstring appDataFile(const wchar_t* name);
// Puts a file back as it was when the test began, or removes it when there was none.
struct KeptFile {
    std::wstring path;
    bool existed = false;
    std::string bytes;
    explicit KeptFile(std::wstring where);
    ~KeptFile();
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;
};
// The whole file, or empty when it cannot be read.
std::string fileBytes(const std::wstring& path);
std::wstring windowText(HWND window);
// This test program carries no embedded packs: hand it the exe's own copies
// through the data directory.
void useTheExesDataPacks();
// Registers the main window class once and creates a shown 1320 x 840 main window.
HWND createLocalMainWindow(int x, int y, DWORD settleMilliseconds);
// Destroys it and drops the WM_QUIT its destruction posts.
void destroyLocalMainWindow(HWND window);
