#include <windows.h>
#include <commdlg.h>

#include "data/files.h"
#include "data/text.h"
#include "platform/win_text.h"
#include "terminal/terminal.h"

void renderOutput(Terminal& t, const std::u16string& chunk) {
    insertOutputRuns(t, parseTerminalOutput(chunk, t.sgr, toRgb(t.defaultColor)));
}

std::string transcriptFileBytes(const std::u16string& text) {
    return "\xEF\xBB\xBF" + wideToUtf8(text);
}

void saveOutput(Terminal& t) {
    wchar_t path[260] = L"terminal-output.txt";
    // The same Chinese labels in both languages.
    static const wchar_t kFilter[] = L"文本文件 (*.txt)\0*.txt\0所有文件\0*.*\0";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetParent(t.editor);
    dialog.lpstrFilter = kFilter;
    dialog.lpstrFile = path;
    dialog.nMaxFile = 260;
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&dialog)) return;
    saveTranscript(t, fromWide(path));
}

bool saveTranscript(Terminal& t, const std::u16string& path) {
    // Written beside and moved over, so a failed save leaves an older file whole.
    if (saveFileAtomically(path, transcriptFileBytes(terminalText(t)))) return true;
    if (t.reportSaveFailure)
        t.reportSaveFailure(path);
    else
        MessageBeep(MB_ICONWARNING);
    return false;
}
