// A console program that stands in for the shell and for the programs it
// runs, behaving on Ctrl+C as cmd and ping do on Windows.
//   (no argument)  a shell: prompts "C:\STANDIN>" as cmd would, echoes each
//                  line read and runs it on its console; "split" prints
//                  "[中文]" in UTF-8 in two writes that cut a character.
//                  Ctrl+C does not end it.
//   --stops        runs until Ctrl+C, then ends with exit code 42.
//   --ignores      ignores Ctrl+C and runs until ended.
//   --window       shows a window of its own and ignores Ctrl+C, as a
//                  windowed program does on Windows, where it has no console.
#include <windows.h>

#include <string>

namespace {

BOOL WINAPI shellHandler(DWORD event) {
    return event == CTRL_C_EVENT;  // the command it runs gets the event too
}

BOOL WINAPI stopOnCtrlC(DWORD event) {
    if (event == CTRL_C_EVENT) ExitProcess(42);
    return FALSE;
}

void write(const std::string& text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), DWORD(text.size()), &written, nullptr);
}

void runCommand(std::string line) {
    if (line == "split") {  // 中 is E4 B8 AD, 文 E6 96 87
        write("[\xE4\xB8\xAD\xE6");
        Sleep(300);  // the reader takes the first part alone
        return write("\x96\x87]\r\n");
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) return;
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    SetConsoleCtrlHandler(mode == "--stops" ? stopOnCtrlC : mode.empty() ? shellHandler : nullptr, TRUE);
    if (mode == "--window")
        CreateWindowExW(0, L"STATIC", L"stand-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                        nullptr, nullptr);
    for (MSG message; !mode.empty() && GetMessageW(&message, nullptr, 0, 0) > 0;) DispatchMessageW(&message);
    for (std::string line;; line.clear()) {
        write("C:\\STANDIN>");
        char c = 0;
        DWORD got = 0;
        while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &got, nullptr) && got == 1 && c != '\n')
            if (c != '\r') line += c;
        if (got != 1) return 0;
        write(line + "\r\n");
        if (!line.empty()) runCommand(line);
    }
}
