// A main window created inside the test program, and the helpers around it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "terminal/terminal.h"
#include "ui/main_window.h"

// Dispatches this thread's messages for the given time, as the program's own
// loop does (the main window's shortcuts first).
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
std::u16string tabLabel(HWND tabControl, int index);
// The text's last line, without the line breaks after it.
std::u16string lastLineOf(std::u16string text);
// The item labels of the popup menu open() shows, read while it is open; the menu is then dismissed.
std::vector<std::wstring> popupMenuLabels(const std::function<void()>& open);
// The pixels the font (null: the control's own) draws for the text in black on white: text drawn
// as the missing-glyph box draws as a character no font has does.
std::vector<uint32_t> drawnPixels(HWND control, const std::u16string& text, HFONT font = nullptr);
// This test program carries no embedded packs: hand it the exe's own copies
// through the data directory.
void useTheExesDataPacks();
// Registers the main window class once and creates a shown 1320 x 840 main window.
HWND createLocalMainWindow(int x, int y, DWORD settleMilliseconds);
// Destroys it and drops the WM_QUIT its destruction posts.
void destroyLocalMainWindow(HWND window);

// A main window of this process for one test, started without config.json
// and history files; they are put back as they were afterwards.
class WindowFixture : public ::testing::Test {
protected:
    KeptFile config{appDataFile(L"config.json")};
    KeptFile cmdHistory{appDataFile(L"history-cmd.txt")};
    KeptFile powerShellHistory{appDataFile(L"history-powershell.txt")};
    HWND window = nullptr;
    MainState* state = nullptr;

    void SetUp() override;
    void TearDown() override { close(); }
    void open();
    void close();
    // The first terminal (CMD) and a line entered into it.
    Terminal& cmd() { return *state->terminals.terminals.front().terminal; }
    void submit(const std::u16string& line);
    std::u16string activityText() const;
    std::u16string lastActivityLine() const { return lastLineOf(activityText()); }
    // The tool's place in the catalogue, or -1.
    int64_t catalogIndex(const std::u16string& id) const;
};
