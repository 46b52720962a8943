// Process entry on Windows: pick one run mode from the command line.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/run_mode.h"
#include "data/text.h"
#include "mcp/mcp_server.h"
#include "platform/win_system_library.h"
#include "platform/win_text.h"
#include "selftest/suites.h"
#include "terminal/shell_session.h"
#include "ui/main_window.h"

namespace {

constexpr int kAppIconId = 200;

std::vector<std::u16string> commandLineArguments(bool& splitOk) {
    std::vector<std::u16string> args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    splitOk = argv != nullptr;
    if (!argv) return args;
    for (int i = 0; i < count; ++i) args.push_back(fromWide(argv[i]));
    LocalFree(argv);
    return args;
}

int runSelfTestMode(const RunChoice& choice) {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) AllocConsole();
    return choice.hasSuite ? runSelfTestSuite(choice.suite) : 0;
}

// Standard output as the caller gave it (a pipe or a file: UTF-8 bytes), else
// the console of the caller (wide text, whatever its code page).
int runPlaybookCheckMode(const RunChoice& choice) {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if ((!output || output == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS))
        output =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD mode = 0;
    const bool console = output && output != INVALID_HANDLE_VALUE && GetConsoleMode(output, &mode);
    return runPlaybookCheck(choice.playbookFiles, [output, console](const std::u16string& line) {
        if (!output || output == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        if (console) {
            std::u16string text = line + u"\r\n";
            WriteConsoleW(output, wstr(text), DWORD(text.size()), &written, nullptr);
            return;
        }
        std::string bytes = wideToUtf8(line) + "\r\n";
        WriteFile(output, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    });
}

int runWindowMode(HINSTANCE instance, int showCommand) {
    WindowStart start = beginWindowStart();  // runs alongside the window's making
    INITCOMMONCONTROLSEX controls = {sizeof controls,
                                     ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kAppIconId));
    windowClass.hIconSm =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kAppIconId), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                      GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kMainWindowClass;
    if (!RegisterClassExW(&windowClass)) return 1;

    HWND window = CreateWindowExW(0, kMainWindowClass, L"Wrenly", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 1320, 840, nullptr, nullptr, instance, &start);
    if (!window) return 1;
    showMainWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (takeMainWindowKey(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return int(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    restrictDllSearchToSystem();  // before anything loads a DLL by name
    bool splitOk = false;
    std::vector<std::u16string> args = commandLineArguments(splitOk);
    if (!splitOk) return runWindowMode(instance, showCommand);
    RunChoice choice = chooseRunMode(parseRunOptions(args));
    switch (choice.mode) {
        case RunMode::McpServer: return runMcpServer();
        case RunMode::SelfTest: return runSelfTestMode(choice);
        case RunMode::SendCtrlC: return sendConsoleCtrlC(choice.ctrlCTarget);
        case RunMode::CheckPlaybooks: return runPlaybookCheckMode(choice);
        case RunMode::Window: break;
    }
    return runWindowMode(instance, showCommand);
}
