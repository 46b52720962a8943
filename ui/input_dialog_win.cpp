#include "ui/input_dialog.h"

#include <cstring>
#include <vector>

#include "platform/win_text.h"

namespace {

constexpr int kTextBoxId = 1000;
constexpr WORD kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082;

struct DialogArguments {
    const std::u16string* title;
    const std::u16string* prompt;
    const std::u16string* okLabel;
    const std::u16string* cancelLabel;
    std::u16string* text;
};

// A DLGTEMPLATE with its items, laid out as the dialog manager reads it.
struct TemplateWriter {
    std::vector<BYTE> bytes;

    void align4() {
        while (bytes.size() % 4) bytes.push_back(0);
    }
    void word(WORD value) {
        bytes.push_back(BYTE(value & 0xFF));
        bytes.push_back(BYTE(value >> 8));
    }
    void dword(DWORD value) {
        word(WORD(value & 0xFFFF));
        word(WORD(value >> 16));
    }
    void string(const wchar_t* text) {
        for (; *text; ++text) word(WORD(*text));
        word(0);
    }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom) {
        align4();
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        word(WORD(x)), word(WORD(y)), word(WORD(cx)), word(WORD(cy));
        word(id);
        word(0xFFFF), word(atom);
        string(L"");  // texts are set at initialisation
        word(0);  // no creation data
    }
};

std::vector<BYTE> buildTemplate() {
    TemplateWriter w;
    w.dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
    w.dword(0);
    w.word(4);
    w.word(0), w.word(0), w.word(220), w.word(82);
    w.word(0);  // no menu
    w.word(0);  // default class
    w.string(L"");
    w.word(9);
    w.string(L"MS Shell Dlg");
    w.item(0, 8, 8, 204, 12, 0xFFFF, kStaticClass);
    w.item(WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 8, 24, 204, 14, kTextBoxId, kEditClass);
    w.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 104, 56, 50, 16, IDOK, kButtonClass);
    w.item(BS_PUSHBUTTON | WS_TABSTOP, 162, 56, 50, 16, IDCANCEL, kButtonClass);
    return std::move(w.bytes);
}

void centreOnOwner(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    RECT area, box;
    if (!owner || !GetWindowRect(owner, &area) || !GetWindowRect(dialog, &box)) return;
    int x = area.left + ((area.right - area.left) - (box.right - box.left)) / 2;
    int y = area.top + ((area.bottom - area.top) - (box.bottom - box.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL onInit(HWND dialog, const DialogArguments& args) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&args));
    SetWindowTextW(dialog, wstr(*args.title));
    SetWindowTextW(GetWindow(dialog, GW_CHILD), wstr(*args.prompt));  // the prompt is the first item
    SetDlgItemTextW(dialog, IDOK, wstr(*args.okLabel));
    SetDlgItemTextW(dialog, IDCANCEL, wstr(*args.cancelLabel));
    HWND box = GetDlgItem(dialog, kTextBoxId);
    SetWindowTextW(box, wstr(*args.text));
    SendMessageW(box, EM_SETSEL, 0, -1);
    centreOnOwner(dialog);
    SetFocus(box);
    return FALSE;  // the focus is set
}

void onOk(HWND dialog) {
    auto* args = reinterpret_cast<DialogArguments*>(GetWindowLongPtrW(dialog, DWLP_USER));
    // Sized from the text itself: launch arguments can be long.
    HWND box = GetDlgItem(dialog, kTextBoxId);
    std::vector<wchar_t> buffer(size_t(GetWindowTextLengthW(box)) + 1, L'\0');
    int length = GetWindowTextW(box, buffer.data(), int(buffer.size()));
    *args->text = fromWide(buffer.data(), size_t(length > 0 ? length : 0));
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return onInit(dialog, *reinterpret_cast<const DialogArguments*>(lParam));
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                onOk(dialog);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, 2);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

bool askText(HWND owner, const std::u16string& title, const std::u16string& prompt, const std::u16string& okLabel,
             const std::u16string& cancelLabel, std::u16string& text) {
    // Disabling the owner may leave the focus nowhere; the keys go on where they were.
    HWND focus = GetFocus();
    std::vector<BYTE> dialogTemplate = buildTemplate();
    DialogArguments args = {&title, &prompt, &okLabel, &cancelLabel, &text};
    INT_PTR result =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
                                owner, dialogProc, reinterpret_cast<LPARAM>(&args));
    if (focus && IsWindow(focus) && IsWindowVisible(focus)) SetFocus(focus);
    return result == 1;
}
