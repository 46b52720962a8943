// A console program that stands in for the shell and for the programs it
// runs, behaving on Ctrl+C as cmd and ping do on Windows.
//   (no argument)  a shell: prompts "C:\STANDIN>" as cmd would, echoes each line read, runs
//                  it as a command line on its console and prompts again;
//                  "say X" prints "[X]"; "split" prints "[中文]" in UTF-8
//                  in two writes that cut a character. Ctrl+C does not end it.
//   --stops        runs until Ctrl+C, then ends with exit code 42.
//   --ignores      ignores Ctrl+C and runs until ended.
//   --window       shows a window of its own and ignores Ctrl+C, as a
//                  windowed program does on Windows, where it has no console.
#include <windows.h>

#include <string>

namespace {

constexpr UINT kStoppedByCtrlC = 42;

BOOL WINAPI shellHandler(DWORD event) {
    return event == CTRL_C_EVENT ? TRUE : FALSE;  // the command it runs gets the event too
}

BOOL WINAPI stopOnCtrlC(DWORD event) {
    if (event != CTRL_C_EVENT) return FALSE;
    ExitProcess(kStoppedByCtrlC);
}

void write(const std::string& text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), DWORD(text.size()), &written, nullptr);
}

bool readLine(std::string& line) {
    line.clear();
    char c = 0;
    DWORD got = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &got, nullptr) && got == 1) {
        if (c == '\n') return true;
        if (c != '\r') line += c;
    }
    return !line.empty();
}

void runCommand(std::string line) {
    if (line.rfind("say ", 0) == 0) {
        write("[" + line.substr(4) + "]\r\n");
        return;
    }
    if (line == "split") {  // 中 is E4 B8 AD, 文 E6 96 87
        write("[\xE4\xB8\xAD\xE6");
        Sleep(300);  // the reader takes the first part alone
        write("\x96\x87]\r\n");
        return;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        write("not started\r\n");
        return;
    }
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

void showWindow() {
    SetConsoleCtrlHandler(nullptr, TRUE);
    CreateWindowExW(0, L"STATIC", L"stand-in window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                    nullptr, GetModuleHandleW(nullptr), nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--window") showWindow();
    if (mode == "--stops" || mode == "--ignores") {
        if (mode == "--stops") SetConsoleCtrlHandler(stopOnCtrlC, TRUE);
        else SetConsoleCtrlHandler(nullptr, TRUE);
        Sleep(INFINITE);
    }
    SetConsoleCtrlHandler(shellHandler, TRUE);
    std::string line;
    for (;;) {
        write("C:\\STANDIN>");
        if (!readLine(line)) return 0;
        write(line + "\r\n");
        if (!line.empty()) runCommand(line);
    }
}
