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

namespace {

HWND waitForDialog(const std::wstring& title) {
    for (int i = 0; i < 600; ++i) {
        HWND dialog = FindWindowW(L"#32770", title.c_str());
        if (dialog && IsWindowVisible(dialog)) return dialog;
        Sleep(50);
    }
    return nullptr;
}

BOOL CALLBACK collectText(HWND child, LPARAM param) {
    wchar_t text[512] = {};
    GetWindowTextW(child, text, 512);
    *reinterpret_cast<std::wstring*>(param) += text;
    return TRUE;
}

}  // namespace

std::thread answerInOrder(std::vector<DialogStep> steps, int* answered) {
    return std::thread([steps, answered] {
        for (const DialogStep& step : steps) {
            HWND dialog = waitForDialog(step.title);
            if (!dialog) return;
            Sleep(200);
            if (HWND picked = GetDlgItem(dialog, 0x47C) ? GetDlgItem(dialog, 0x47C) : GetDlgItem(dialog, 0x480))
                SendMessageW(picked, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step.text.c_str()));
            else if (!step.text.empty())
                SetDlgItemTextW(dialog, 1000, step.text.c_str());
            if (step.shown) EnumChildWindows(dialog, collectText, reinterpret_cast<LPARAM>(step.shown));
            PostMessageW(dialog, WM_COMMAND, step.button, 0);
            for (int i = 0; i < 200 && IsWindow(dialog); ++i) Sleep(20);
            ++*answered;
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
