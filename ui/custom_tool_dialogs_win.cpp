// Adding a custom tool through the file picker and the arguments dialog, and removing one.
#include "ui/custom_tool_dialogs.h"

#include <windows.h>
#include <commdlg.h>
#include <cderr.h>

#include <string>
#include <vector>

#include "data/custom_tools.h"
#include "platform/win_text.h"
#include "ui/activity.h"
#include "ui/input_dialog.h"
#include "ui/main_state.h"
#include "ui/tool_launch.h"
#include "ui/ui_text.h"

namespace {

// Long enough for any path the system takes (32 767 characters).
constexpr DWORD kDialogPathLength = 32768;

std::u16string pickerFilter() {
    std::u16string filter;
    filter += uiText(kTextExecutables);
    filter += u'\0';
    filter += u"*.exe;*.bat;*.cmd;*.lnk";
    filter += u'\0';
    filter += uiEnglish() ? u"All files" : u"所有文件";
    filter += u'\0';
    filter += u"*.*";
    filter += u'\0';
    return filter;
}

std::u16string withErrorCode(std::u16string text, unsigned long code) {
    std::string digits = std::to_string(code);
    size_t at = text.find(u"%lu");
    if (at != std::u16string::npos) text.replace(at, 3, std::u16string(digits.begin(), digits.end()));
    return text;
}

void warn(HWND owner, const std::u16string& text) {
    MessageBoxW(owner, wstr(text), wstr(uiText(kTextAddCustomToolTitle)), MB_OK | MB_ICONWARNING);
}

bool askYesNo(HWND owner, const std::u16string& question, const std::u16string& title) {
    return MessageBoxW(owner, wstr(question), wstr(title), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

// The custom tool already started from this file, if any; Windows paths ignore case.
const ToolRecord* customToolWithPath(const MainState& state, const std::u16string& path) {
    for (const ToolRecord& tool : state.catalog.tools) {
        if (tool.isCustom && CompareStringOrdinal(wstr(tool.path), -1, wstr(path), -1, TRUE) == CSTR_EQUAL)
            return &tool;
    }
    return nullptr;
}

}  // namespace

void addCustomToolInteractive(MainState& state) {
    std::vector<wchar_t> path(kDialogPathLength, L'\0');
    const std::u16string filter = pickerFilter();
    const std::u16string title = uiText(kTextChooseProgramTitle);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = state.window;
    dialog.lpstrFilter = wstr(filter);
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kDialogPathLength;
    dialog.lpstrTitle = wstr(title);
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog)) {
        DWORD error = CommDlgExtendedError();
        if (error == FNERR_BUFFERTOOSMALL) {
            warn(state.window, uiText(kTextPathTooLong));
        } else if (error != 0) {
            warn(state.window, withErrorCode(uiText(kTextFilePickerFailed), error));
        }
        return;
    }
    const std::u16string chosen = fromWide(path.data());
    if (const ToolRecord* same = customToolWithPath(state, chosen)) {
        if (!askYesNo(state.window, uiTextWith(kTextCustomToolAddAgain, {same->name}), uiText(kTextAddCustomToolTitle)))
            return;
    }
    std::u16string args;
    if (!askText(state.window, uiText(kTextLaunchArgumentsTitle), uiText(kTextLaunchArgumentsPrompt), uiText(kTextOk),
                 uiText(kTextCancel), args))
        return;
    ToolRecord added;
    switch (addCustomTool(chosen, args, &added)) {
        case SaveOutcome::Saved: break;
        case SaveOutcome::NotRead: warn(state.window, uiTextWith(kTextCustomToolsNotRead, {customToolsPath()})); return;
        case SaveOutcome::NotWritten: warn(state.window, uiText(kTextCustomToolNotSaved)); return;
    }
    assembleCatalog(state);
    reportActivity(state, uiText(kTextToolAdded) + added.name + u" \u2192 " + chosen, kActionBlue);
}

void removeCustomToolAt(MainState& state, int64_t index) {
    if (index < 0 || uint64_t(index) >= state.catalog.tools.size()) return;
    const ToolRecord tool = state.catalog.tools[size_t(index)];
    if (!tool.isCustom) return;
    if (removeCustomTool(tool.id) != SaveOutcome::Saved) {
        reportActivity(state, uiTextWith(kTextCustomToolNotRemoved, {tool.name, customToolsPath()}), kFailureRed);
        return;
    }
    reportActivity(state, uiText(kTextToolRemoved) + tool.name, kActionBlue);
    assembleCatalog(state);
}

void confirmRemoveCustomTool(MainState& state, int64_t index) {
    if (index < 0 || uint64_t(index) >= state.catalog.tools.size()) return;
    const ToolRecord& tool = state.catalog.tools[size_t(index)];
    if (!tool.isCustom) return;
    if (!askYesNo(state.window, uiTextWith(kTextRemoveCustomToolAsk, {tool.name}), uiText(kTextRemoveCustomToolTitle)))
        return;
    removeCustomToolAt(state, index);
}

void removeSelectedCustomTool(MainState& state) { confirmRemoveCustomTool(state, selectedItemData(state.navigation)); }
