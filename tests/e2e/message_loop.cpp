#include "tests/e2e/message_loop.h"

#include <commdlg.h>

#include "platform/win_text.h"

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool waitUntil(DWORD milliseconds, const std::function<bool()>& done) {
    DWORD start = GetTickCount();
    for (;;) {
        pumpMessages();
        if (done()) return true;
        if (GetTickCount() - start >= milliseconds) return false;
        Sleep(5);
    }
}

bool processAlive(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return false;
    bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return alive;
}

std::u16string tempPath(const std::u16string& name) {
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    return fromWide(dir) + name;
}

size_t countOf(const std::u16string& text, const std::u16string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::u16string::npos; at = text.find(what, at + what.size())) ++count;
    return count;
}

void typeText(HWND editor, const std::u16string& text) {
    for (char16_t c : text) SendMessageW(editor, WM_CHAR, WPARAM(c), 1);
}

void pressEnter(HWND editor) {
    SendMessageW(editor, WM_KEYDOWN, VK_RETURN, 1);
    SendMessageW(editor, WM_KEYUP, VK_RETURN, 0xC0000001);
}

void typeLine(HWND editor, const std::u16string& text) {
    typeText(editor, text);
    pressEnter(editor);
}

std::thread answerQuestion(const std::u16string& caption, int button) {
    return std::thread([caption, button] {
        for (int i = 0; i < 1000; ++i) {
            HWND box = FindWindowW(L"#32770", caption.empty() ? nullptr : wstr(caption));
            if (box && IsWindowVisible(box)) {
                PostMessageW(box, WM_COMMAND, WPARAM(button), 0);
                return;
            }
            Sleep(10);
        }
    });
}

CHARFORMAT2W formatOfText(HWND control, const wchar_t* word, LONG from) {
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.crTextColor = CLR_INVALID;
    FINDTEXTEXW find = {{from, -1}, word, {0, 0}};
    if (SendMessageW(control, EM_FINDTEXTEXW, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&find)) < 0)
        return format;
    CHARRANGE user = {};
    SendMessageW(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&user));
    SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&find.chrgText));
    SendMessageW(control, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&user));
    return format;
}
