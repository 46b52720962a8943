// Starting tools through the shell, elevated on request, and opening web pages.
#include <windows.h>
#include <shellapi.h>

#include "launcher/launch.h"
#include "launcher/launch_command.h"
#include "data/text.h"
#include "data/ui_text_ids.h"
#include "platform/win_text.h"

namespace {

void report(const LaunchSink& sink, const std::u16string& line, bool failed) {
    if (sink.activity) sink.activity(line, failed);
}

std::u16string text(const LaunchSink& sink, int id) { return sink.text ? sink.text(id) : std::u16string(); }

std::u16string nameOf(const LaunchSink& sink, const ToolRecord& tool) {
    return sink.toolName ? sink.toolName(tool) : tool.name;
}

void reportLaunchFailure(const LaunchSink& sink, const std::u16string& name, DWORD error) {
    std::u16string line;
    if (error == ERROR_CANCELLED) {
        line = u"> " + text(sink, kTextElevationCancelled) + u": " + name;
    } else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        line = u"> " + text(sink, kTextFailedTag) + u" " + name + u": " + text(sink, kTextTargetNotFound);
    } else {
        line = u"> " + text(sink, kTextFailedTag) + u" " + name + u" (" + text(sink, kTextErrorWord) + u" " +
               decimalText(error) + u")";
    }
    report(sink, line, true);
}

}  // namespace

bool startTool(const ToolRecord& tool, bool elevated, const LaunchSink& sink) {
    LaunchCommand command = buildLaunchCommand(tool);
    const std::u16string name = nameOf(sink, tool);
    if (command.file.empty()) {
        if (tool.fileName.empty() && tool.path.empty()) {
            report(sink, u"> [失败] " + tool.name + u"：无启动目标", true);
        } else {
            reportLaunchFailure(sink, name, ERROR_FILE_NOT_FOUND);
        }
        return false;
    }
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = elevated ? L"runas" : L"open";
    info.lpFile = wstr(command.file);
    info.lpParameters = command.parameters.empty() ? nullptr : wstr(command.parameters);
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) {
        reportLaunchFailure(sink, name, GetLastError());
        return false;
    }
    DWORD pid = 0;
    if (info.hProcess) {
        pid = GetProcessId(info.hProcess);
        CloseHandle(info.hProcess);
    }
    std::u16string line = u"> " + text(sink, kTextLaunched) + u" " + name + u" \u2192 " + launchedCommandText(command);
    if (pid != 0) line += u" (PID: " + decimalText(pid) + u")";
    report(sink, line, false);
    return true;
}

void openToolHomepage(const ToolRecord& tool, const LaunchSink& sink) {
    if (tool.homepage.empty()) return;
    const std::u16string name = nameOf(sink, tool);
    // a pack could name a local program here; only web pages go to the shell
    if (!isWebAddress(tool.homepage)) {
        report(sink, u"> " + text(sink, kTextFailedTag) + u" " + name + u": " + text(sink, kTextTargetNotFound), true);
        return;
    }
    ShellExecuteW(nullptr, L"open", wstr(tool.homepage), nullptr, nullptr, SW_SHOWNORMAL);
    report(sink, u"\u2197 " + name + u"  " + tool.homepage, false);
}

void openWebLink(const std::u16string& url, const LaunchSink& sink) {
    if (url.compare(0, 8, u"https://") != 0) return;
    ShellExecuteW(nullptr, L"open", wstr(url), nullptr, nullptr, SW_SHOWNORMAL);
    report(sink, u"\u2197 " + url, false);
}
