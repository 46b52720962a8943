// Files planted beside toolkeep.exe never stand in for the system's: a
// cmd.exe, a Msftedit.dll and a whoami.bat placed there stay unused, and the
// terminals run the system's shell in the user's profile folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_text.h"
#include "terminal/terminal.h"
#include "tests/e2e/exe_process.h"

namespace {

constexpr DWORD kWaitMs = 20000;

std::wstring besideThisProgram(const wchar_t* name) {
    std::wstring self = toolkeepExePath();
    return self.substr(0, self.find_last_of(L"\\/") + 1) + name;
}

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring environment(const wchar_t* name) {
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(name, buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

std::wstring textOf(HWND window) {
    LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(size_t(length) + 1, L'\0');
    SendMessageW(window, WM_GETTEXT, WPARAM(length + 1), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(size_t(length));
    return text;
}

size_t countOf(const std::wstring& text, const std::wstring& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + what.size())) ++count;
    return count;
}

bool waitUntil(DWORD ms, const std::function<bool()>& done) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        if (GetTickCount() - start >= ms) return false;
        Sleep(20);
    }
}

void typeLine(HWND editor, const std::wstring& line) {
    for (wchar_t c : line) SendMessageW(editor, WM_CHAR, WPARAM(c), 1);
    SendMessageW(editor, WM_KEYDOWN, VK_RETURN, 1);
    SendMessageW(editor, WM_KEYUP, VK_RETURN, 0xC0000001);
}

BOOL CALLBACK collectRichEdits(HWND window, LPARAM param) {
    wchar_t name[32] = {};
    if (GetClassNameW(window, name, 32) && lstrcmpiW(name, L"RICHEDIT50W") == 0)
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

// The CMD terminal of a main window in another process: the rich edit (its
// class name's case differs between systems) whose text ends in the CMD prompt
// of the given folder.
HWND cmdTerminal(HWND mainWindow, const std::wstring& folder) {
    std::vector<HWND> editors;
    EnumChildWindows(mainWindow, collectRichEdits, reinterpret_cast<LPARAM>(&editors));
    const std::wstring prompt = folder + L">";
    for (HWND editor : editors) {
        std::wstring text = textOf(editor);
        while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
        bool endsInPrompt =
            text.size() >= prompt.size() && text.compare(text.size() - prompt.size(), prompt.size(), prompt) == 0;
        if (endsInPrompt && text.find(L"PS " + prompt) == std::wstring::npos) return editor;
    }
    return nullptr;
}

struct PlantedFolder {
    std::wstring path;

    PlantedFolder() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path = std::wstring(temp) + L"toolkeep-planted-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~PlantedFolder() {
        for (const wchar_t* name : {L"toolkeep.exe", L"cmd.exe", L"cmd.exe.ran", L"Msftedit.dll",
                                    L"Msftedit.dll.loaded", L"whoami.bat", L"whoami.ran"})
            DeleteFileW(file(name).c_str());
        RemoveDirectoryW(path.c_str());
    }
    std::wstring file(const wchar_t* name) const { return path + L"\\" + name; }
};

TEST(PlantedFiles, ACopyBesidePlantedFilesUsesTheSystemShellAndRichEdit) {
    PlantedFolder folder;
    ASSERT_TRUE(CopyFileW(toolkeepExePath().c_str(), folder.file(L"toolkeep.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(besideThisProgram(L"planted_shell.exe").c_str(), folder.file(L"cmd.exe").c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileW(besideThisProgram(L"planted_module.dll").c_str(), folder.file(L"Msftedit.dll").c_str(), FALSE));
    HANDLE batch = CreateFileW(folder.file(L"whoami.bat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(batch, INVALID_HANDLE_VALUE);
    const char script[] = "@echo planted> \"%~dp0whoami.ran\"\r\n";
    DWORD written = 0;
    WriteFile(batch, script, DWORD(sizeof script - 1), &written, nullptr);
    CloseHandle(batch);

    // Started from inside that folder, the worst case for a bare-name search.
    std::wstring commandLine = L"\"" + folder.file(L"toolkeep.exe") + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    ExeProcess process;
    process.started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                     folder.path.c_str(), &startup, &process.info) != 0;
    ASSERT_TRUE(process.started);
    HWND window = findProcessWindow(process, L"ToolkeepNativeMainWindow", kWaitMs);
    ASSERT_NE(window, nullptr);

    const std::wstring profile = environment(L"USERPROFILE");
    ASSERT_FALSE(profile.empty());
    HWND editor = nullptr;
    EXPECT_TRUE(waitUntil(kWaitMs, [&] { return (editor = cmdTerminal(window, profile)) != nullptr; }))
        << "no CMD terminal shows the prompt of the profile folder";
    if (editor) {
        // Only the real shell expands these; the colour variable is in its environment.
        typeLine(editor, L"whoami & echo wrenly%FORCE_COLOR%%CD%");
        const std::wstring answer = L"wrenly1" + profile;
        EXPECT_TRUE(waitUntil(kWaitMs, [&] { return countOf(textOf(editor), answer) >= 1; }))
            << "the system's cmd.exe did not answer in the profile folder";
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(waitForExit(process, kWaitMs), 0);
    closeProcess(process);

    EXPECT_FALSE(exists(folder.file(L"cmd.exe.ran"))) << "the planted cmd.exe ran";
    EXPECT_FALSE(exists(folder.file(L"Msftedit.dll.loaded"))) << "the planted Msftedit.dll was loaded";
    EXPECT_FALSE(exists(folder.file(L"whoami.ran"))) << "the planted whoami.bat ran";
}

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == EN_PROTECTED) {
        auto* hosted = reinterpret_cast<Terminal*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return hosted ? protectedChangeAnswer(*hosted) : 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(PlantedFiles, ColourVariablesReachTheShellButNotThisProgram) {
    for (const wchar_t* name : {L"FORCE_COLOR", L"CLICOLOR_FORCE", L"CLICOLOR"}) SetEnvironmentVariableW(name, nullptr);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW hostClass = {};
    hostClass.lpfnWndProc = hostProc;
    hostClass.hInstance = instance;
    hostClass.lpszClassName = L"PlantedFilesHost";
    RegisterClassW(&hostClass);
    HWND host = CreateWindowW(L"PlantedFilesHost", L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 400, nullptr, nullptr,
                              instance, nullptr);
    ASSERT_NE(host, nullptr);
    auto terminal = std::make_unique<Terminal>();
    ASSERT_TRUE(createTerminal(*terminal, host, instance, ShellKind::Cmd, 12));
    SetWindowLongPtrW(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(terminal.get()));
    typeLine(terminal->editor, L"echo wrenly%FORCE_COLOR%%CLICOLOR_FORCE%%CLICOLOR%");
    EXPECT_TRUE(waitUntil(kWaitMs, [&] { return terminalText(*terminal).find(u"wrenly111") != std::u16string::npos; }))
        << "the shell's environment lacks the colour variables";
    for (const wchar_t* name : {L"FORCE_COLOR", L"CLICOLOR_FORCE", L"CLICOLOR"})
        EXPECT_EQ(GetEnvironmentVariableW(name, nullptr, 0), 0u) << "set in this program's own environment";
    SetWindowLongPtrW(host, GWLP_USERDATA, 0);
    terminal.reset();
    DestroyWindow(host);
}

}  // namespace
