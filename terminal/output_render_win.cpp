#include <windows.h>
#include <commdlg.h>
#include <cderr.h>

#include <algorithm>
#include <vector>

#include "data/files.h"
#include "data/text.h"
#include "platform/win_text.h"
#include "terminal/terminal.h"

void renderOutput(Terminal& t, const std::u16string& chunk) {
    insertOutputRuns(t, parseTerminalOutput(chunk, t.sgr, toRgb(t.defaultColor)));
}

std::string transcriptFileBytes(const std::u16string& text) { return "\xEF\xBB\xBF" + wideToUtf8(text); }

// Long enough for any path the system takes (32 767 characters).
constexpr DWORD kDialogPathLength = 32768;

void saveOutput(Terminal& t) {
    std::vector<wchar_t> path(kDialogPathLength, L'\0');
    const wchar_t suggested[] = L"terminal-output.txt";
    std::copy(std::begin(suggested), std::end(suggested), path.begin());
    // The same Chinese labels in both languages.
    static const wchar_t kFilter[] = L"文本文件 (*.txt)\0*.txt\0所有文件\0*.*\0";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetParent(t.editor);
    dialog.lpstrFilter = kFilter;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kDialogPathLength;
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&dialog)) {
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
            MessageBoxW(dialog.hwndOwner, wstr(terminalUiText(t, kTextPathTooLong)), nullptr, MB_OK | MB_ICONWARNING);
        return;
    }
    saveTranscript(t, fromWide(path.data()));
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
