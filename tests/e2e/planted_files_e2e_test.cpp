// Files planted beside toolkeep.exe never stand in for the system's: a
// cmd.exe, a Msftedit.dll and a whoami.bat placed there stay unused, and the
// terminals run the system's shell in the user's profile folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "data/files.h"
#include "platform/win_text.h"
#include "terminal/terminal.h"
#include "tests/e2e/exe_process.h"
#include "tests/e2e/local_window.h"
#include "tests/e2e/message_loop.h"
#include "tests/e2e/terminal_host.h"

namespace {

constexpr DWORD kWaitMs = 20000;

std::wstring besideThisProgram(const wchar_t* name) {
    std::wstring self = toolkeepExePath();
    return self.substr(0, self.find_last_of(L"\\/") + 1) + name;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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
        std::wstring text = windowText(editor);
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
    ASSERT_TRUE(writeWholeFile(fromWide(folder.file(L"whoami.bat").c_str()), "@echo planted> \"%~dp0whoami.ran\"\r\n"));

    // Started from inside that folder, the worst case for a bare-name search.
    std::wstring commandLine = L"\"" + folder.file(L"toolkeep.exe") + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    ExeProcess process;
    process.started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.path.c_str(),
                                     &startup, &process.info) != 0;
    ASSERT_TRUE(process.started);
    HWND window = findProcessWindow(process, L"ToolkeepNativeMainWindow", kWaitMs);
    ASSERT_NE(window, nullptr);

    const std::wstring profile = environmentValue(L"USERPROFILE");
    ASSERT_FALSE(profile.empty());
    HWND editor = nullptr;
    EXPECT_TRUE(waitUntil(kWaitMs, [&] { return (editor = cmdTerminal(window, profile)) != nullptr; }))
        << "no CMD terminal shows the prompt of the profile folder";
    if (editor) {
        // Only the real shell expands these; the colour variable is in its environment.
        typeLine(editor, u"whoami & echo wrenly%FORCE_COLOR%%CD%");
        const std::u16string answer = u"wrenly1" + fromWide(profile.c_str());
        EXPECT_TRUE(waitUntil(kWaitMs, [&] { return countOf(fromWide(windowText(editor).c_str()), answer) >= 1; }))
            << "the system's cmd.exe did not answer in the profile folder";
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(waitForExit(process, kWaitMs), 0);
    closeProcess(process);

    EXPECT_FALSE(exists(folder.file(L"cmd.exe.ran"))) << "the planted cmd.exe ran";
    EXPECT_FALSE(exists(folder.file(L"Msftedit.dll.loaded"))) << "the planted Msftedit.dll was loaded";
    EXPECT_FALSE(exists(folder.file(L"whoami.ran"))) << "the planted whoami.bat ran";
}

TEST(PlantedFiles, ColourVariablesReachTheShellButNotThisProgram) {
    for (const wchar_t* name : {L"FORCE_COLOR", L"CLICOLOR_FORCE", L"CLICOLOR"}) SetEnvironmentVariableW(name, nullptr);
    TerminalHost host;
    ASSERT_TRUE(createTerminalHost(host, L"planted-files"));
    ASSERT_GE(openTerminalTab(host.tabs, ShellKind::Cmd), 2);
    Terminal* terminal = host.tabs.terminals.back().terminal.get();
    typeLine(terminal->editor, u"echo wrenly%FORCE_COLOR%%CLICOLOR_FORCE%%CLICOLOR%");
    EXPECT_TRUE(waitUntil(kWaitMs, [&] { return terminalText(*terminal).find(u"wrenly111") != std::u16string::npos; }))
        << "the shell's environment lacks the colour variables";
    for (const wchar_t* name : {L"FORCE_COLOR", L"CLICOLOR_FORCE", L"CLICOLOR"})
        EXPECT_EQ(GetEnvironmentVariableW(name, nullptr, 0), 0u) << "set in this program's own environment";
    destroyTerminalHost(host);
}

}  // namespace
