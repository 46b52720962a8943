// Starting tools through the shell, elevated on request, and opening web pages.
#include <windows.h>
#include <shellapi.h>

#include "launcher/launch_command.h"
#include "data/text.h"
#include "platform/win_text.h"
#include "ui/main_state.h"
#include "ui/ui_text.h"

namespace {

bool inCatalog(const MainState& state, int64_t index) {
    return index >= 0 && uint64_t(index) < state.catalog.tools.size();
}

void reportLaunchFailure(const std::u16string& name, DWORD error) {
    std::u16string line;
    if (error == ERROR_CANCELLED) {
        line = u"> " + uiText(166) + u": " + name;
    } else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        line = u"> " + uiText(167) + u" " + name + u": " + uiText(168);
    } else {
        line = u"> " + uiText(167) + u" " + name + u" (" + uiText(169) + u" " + decimalText(error) + u")";
    }
    reportActivity(line, kActivityRed);
}

}  // namespace

std::u16string toolDisplayName(const ToolRecord& tool) { return localized(tool.name, tool.nameEn); }

void launchTool(MainState& state, int64_t index, bool elevated) {
    if (!inCatalog(state, index)) return;
    const ToolRecord tool = state.catalog.tools[size_t(index)];
    if (tool.isExternal && !tool.isInstalled) {
        if (!tool.homepage.empty()) openDownloadPage(state, index);
        return;
    }
    LaunchCommand command = buildLaunchCommand(tool);
    const std::u16string name = toolDisplayName(tool);
    if (command.file.empty()) {
        if (tool.fileName.empty() && tool.path.empty()) {
            reportActivity(u"> [失败] " + tool.name + u"：无启动目标", kActivityRed);
        } else {
            reportLaunchFailure(name, ERROR_FILE_NOT_FOUND);
        }
        return;
    }
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = elevated ? L"runas" : L"open";
    info.lpFile = wstr(command.file);
    info.lpParameters = command.parameters.empty() ? nullptr : wstr(command.parameters);
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info)) {
        DWORD pid = 0;
        if (info.hProcess) {
            pid = GetProcessId(info.hProcess);
            CloseHandle(info.hProcess);
        }
        std::u16string line = u"> " + uiText(165) + u" " + name + u" \u2192 " + launchedCommandText(command);
        if (pid != 0) line += u" (PID: " + decimalText(pid) + u")";
        reportActivity(line, kActivityBlue);
        const std::u16string id = tool.id;
        changeSettings(state, [id](Settings& s) { noteRecent(s, id); });
        rebuildTree(state.navigation);
    } else {
        reportLaunchFailure(name, GetLastError());
    }
    if (HWND page = currentPageWindow(state)) InvalidateRect(page, nullptr, TRUE);
}

void runToolById(MainState& state, const std::u16string& toolId) {
    const std::vector<ToolRecord>& tools = state.catalog.tools;
    for (size_t i = 0; i < tools.size(); ++i) {
        if (tools[i].id == toolId) {
            launchTool(state, int64_t(i), false);
            return;
        }
    }
    reportActivity(uiText(156) + toolId, kActivityRed);
}

void openDownloadPage(MainState& state, int64_t index) {
    if (!inCatalog(state, index)) return;
    const ToolRecord& tool = state.catalog.tools[size_t(index)];
    if (tool.homepage.empty()) return;
    const std::u16string name = toolDisplayName(tool);
    // a pack could name a local program here; only web pages go to the shell
    if (!isWebAddress(tool.homepage)) {
        reportActivity(u"> " + uiText(167) + u" " + name + u": " + uiText(168), kActivityRed);
        return;
    }
    ShellExecuteW(nullptr, L"open", wstr(tool.homepage), nullptr, nullptr, SW_SHOWNORMAL);
    reportActivity(u"\u2197 " + name + u"  " + tool.homepage, kActivityBlue);
}

void openSecureLink(const std::u16string& url) {
    if (url.compare(0, 8, u"https://") != 0) return;
    ShellExecuteW(nullptr, L"open", wstr(url), nullptr, nullptr, SW_SHOWNORMAL);
    reportActivity(u"\u2197 " + url, kActivityBlue);
}
