// The terminal suite: real terminals with real shells in a hidden window,
// driven through their own key, clipboard and output paths.
#include <windows.h>
#include <commdlg.h>
#include <richedit.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/win_text.h"
#include "selftest/harness.h"
#include "selftest/suites.h"
#include "terminal/terminal.h"

namespace {

constexpr wchar_t kParentClass[] = L"WrSelfTestParent";

struct Scenario {
    std::u16string label;
    ShellKind kind;
    std::u16string firstMarker;
    std::u16string secondMarker;
    DWORD waitMs;
};

// The parent's user data points at the terminal it hosts.
LRESULT CALLBACK parentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == EN_PROTECTED) {
        const NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        auto* hosted = reinterpret_cast<Terminal*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return hosted && header->hwndFrom == hosted->editor ? protectedChangeAnswer(*hosted) : 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void pumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        pumpMessages();
        Sleep(10);
    } while (GetTickCount() - start < ms);
}

bool waitUntil(DWORD ms, const std::function<bool()>& done) {
    DWORD start = GetTickCount();
    for (;;) {
        pumpMessages();
        if (done()) return true;
        if (GetTickCount() - start >= ms) return false;
        Sleep(10);
    }
}

size_t countOf(const std::u16string& text, const std::u16string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::u16string::npos; at = text.find(what, at + what.size())) ++count;
    return count;
}

// Keys go through the control's own procedure; Ctrl is held in the thread's
// keyboard state so the key table sees it.
void pressKey(HWND editor, WPARAM key, bool ctrl = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE saved = keys[VK_CONTROL];
    if (ctrl) keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(editor, WM_KEYDOWN, key, 1);
    keys[VK_CONTROL] = saved;
    SetKeyboardState(keys);
    SendMessageW(editor, WM_KEYUP, key, 0xC0000001);
}

void typeText(HWND editor, const std::u16string& text) {
    for (char16_t c : text) SendMessageW(editor, WM_CHAR, WPARAM(c), 1);
}

bool setClipboardText(HWND owner, const std::u16string& text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool ok = false;
    if (memory) {
        auto* target = static_cast<wchar_t*>(GlobalLock(memory));
        for (size_t i = 0; i < text.size(); ++i) target[i] = wchar_t(text[i]);
        target[text.size()] = L'\0';
        GlobalUnlock(memory);
        ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!ok) GlobalFree(memory);
    }
    CloseClipboard();
    return ok;
}

std::u16string clipboardText(HWND owner) {
    std::u16string text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* source = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = fromWide(source);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

std::u16string selectedText(HWND editor) {
    CHARRANGE range = {};
    SendMessageW(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    std::wstring buffer(size_t(range.cpMax - range.cpMin) + 1, L'\0');
    LRESULT length = SendMessageW(editor, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(&buffer[0]));
    return fromWide(buffer.c_str(), size_t(length > 0 ? length : 0));
}

// Selects the last occurrence of the text in the transcript.
bool selectLast(const Terminal& t, const std::u16string& what) {
    FINDTEXTEXW find = {};
    find.chrg = {0, -1};
    find.lpstrText = wstr(what);
    LONG found = -1;
    CHARRANGE hit = {};
    while (SendMessageW(t.editor, EM_FINDTEXTEXW, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&find)) >= 0) {
        found = find.chrgText.cpMin;
        hit = find.chrgText;
        find.chrg.cpMin = find.chrgText.cpMax;
    }
    if (found < 0) return false;
    SendMessageW(t.editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&hit));
    return true;
}

void runScenario(SuiteLog& log, HWND parent, const Scenario& s) {
    writeSuiteLine(log, u"-- " + s.label + u" --");
    auto owned = std::make_unique<Terminal>();
    Terminal& t = *owned;
    bool created = createTerminal(t, parent, GetModuleHandleW(nullptr), s.kind, 12);
    SetWindowLongPtrW(parent, GWLP_USERDATA, created ? reinterpret_cast<LONG_PTR>(&t) : 0);
    suiteCheck(log, created && t.shell.process != nullptr, u"创建终端视图");
    if (created) MoveWindow(t.editor, 0, 0, 880, 460, TRUE);
    HWND editor = t.editor;

    bool prompt = created && waitUntil(s.waitMs, [&] {
                      return probeTerminal(t).outputChunks > 0 && probeTerminal(t).atShellPrompt &&
                             !probeTerminal(t).substitutePrompt;
                  });
    suiteCheck(log, prompt, u"初始提示符出现");

    std::u16string first = u"echo " + s.firstMarker;
    if (created) typeText(editor, first);
    suiteCheck(log, created && terminalInputLine(t) == first, u"命令即时显示");

    if (created) pressKey(editor, VK_RETURN);
    bool ran = created && waitUntil(s.waitMs, [&] { return countOf(terminalText(t), s.firstMarker) >= 2; });
    suiteCheck(log, ran, u"命令执行(输出含标记)");

    bool copied = false;
    if (created && selectLast(t, s.firstMarker)) {
        std::u16string selected = selectedText(editor);
        setClipboardText(parent, u"");
        SendMessageW(editor, WM_COPY, 0, 0);
        copied = !selected.empty() && clipboardText(parent) == selected;
    }
    suiteCheck(log, copied, u"复制取文(选区=将复制的文本)");

    // The caret is still on the output selection: the paste must land in the input line.
    std::u16string second = u"echo " + s.secondMarker;
    bool pasted = created && setClipboardText(parent, second);
    if (pasted) pressKey(editor, 'V', true);
    suiteCheck(log, pasted && terminalInputLine(t) == second, u"粘贴(插入可编辑区)");

    if (created) pressKey(editor, VK_RETURN);
    bool pastedRan = created && waitUntil(s.waitMs, [&] { return countOf(terminalText(t), s.secondMarker) >= 2; });
    suiteCheck(log, pastedRan, u"粘贴命令可执行");

    bool history = false;
    if (created) {
        pressKey(editor, VK_UP);
        bool newest = terminalInputLine(t) == second;
        pressKey(editor, VK_UP);
        bool older = terminalInputLine(t) == first;
        pressKey(editor, VK_DOWN);
        bool back = terminalInputLine(t) == second;
        pressKey(editor, VK_DOWN);
        history = newest && older && back && terminalInputLine(t).empty();
    }
    suiteCheck(log, history, u"命令历史 ↑/↓ 调取");

    std::u16string query = s.firstMarker;
    for (char16_t& c : query) c = (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    bool reverse = created && reverseSearchHistory(t, query) && terminalInputLine(t) == first;
    if (created) replaceInput(t, u"");
    suiteCheck(log, reverse, u"Ctrl+R 反向搜索历史");

    bool found = false;
    if (created) {
        SendMessageW(editor, EM_SETSEL, 0, 0);
        found = findInTerminal(t, s.firstMarker) && selectedText(editor) == s.firstMarker;
    }
    suiteCheck(log, found, u"查找(EM_FINDTEXTEX 命中)");

    bool sgr = false;
    if (created) {
        std::u16string chunk = u"\x1b[31mWRRED" + s.label.substr(0, 1) + u"\x1b[0m\r\n";
        PostMessageW(editor, WM_TERMINAL_OUTPUT, 0, reinterpret_cast<LPARAM>(new std::u16string(chunk)));
        pumpFor(150);
        sgr = terminalText(t).find(u"WRRED") != std::u16string::npos;
    }
    suiteCheck(log, sgr, u"SGR 着色解析(文本进入)");

    bool cleared = false;
    if (created) {
        typeText(editor, u"cls");
        pressKey(editor, VK_RETURN);
        pumpFor(900);
        cleared = terminalText(t).find(s.firstMarker) == std::u16string::npos;
    }
    suiteCheck(log, cleared, u"cls 本地清屏(旧内容已清)");

    SetWindowLongPtrW(parent, GWLP_USERDATA, 0);
    destroyTerminal(t);
}

}  // namespace

int runTerminalSuite() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = parentProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kParentClass;
    RegisterClassExW(&windowClass);
    HWND parent = CreateWindowExW(0, kParentClass, L"wr-selftest", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 900,
                                  500, nullptr, nullptr, instance, nullptr);
    SuiteLog log = openSuiteLog(u"toolkeep-selftest.log");
    if (!parent) {
        writeSuiteLine(log, u"[FAIL] 创建测试父窗口");
        return 1;
    }
    writeSuiteLine(log, u"== Wrenly 终端内置自检 ==");
    runScenario(log, parent, {u"CMD", ShellKind::Cmd, u"WRCMDA", u"WRCMDB", 6000});
    runScenario(log, parent, {u"PowerShell", ShellKind::PowerShell, u"WRPSA", u"WRPSB", 9000});
    DestroyWindow(parent);
    pumpMessages();
    return finishSuite(log, log.failures == 0 ? u"（全部通过）==" : u"（有失败）==");
}
