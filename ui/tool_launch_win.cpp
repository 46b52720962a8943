// The window's side of launching: picks the tool, keeps Recent and the tree
// current, and writes what the launcher reports to the Activity log.
#include <memory>

#include "launcher/launch.h"
#include "platform/win_clock.h"
#include "ui/main_state.h"
#include "ui/ui_text.h"

namespace {

bool inCatalog(const MainState& state, int64_t index) {
    return index >= 0 && uint64_t(index) < state.catalog.tools.size();
}

LaunchSink activitySink() {
    LaunchSink sink;
    sink.activity = [](const std::u16string& line, bool failed) {
        reportActivity(line, failed ? kActivityRed : kActivityBlue);
    };
    sink.text = [](int id) { return uiText(id); };
    sink.toolName = toolDisplayName;
    return sink;
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
    // The report keeps each launch's outcome, with the launcher's own words for a failure.
    auto failure = std::make_shared<std::u16string>();
    LaunchSink sink = activitySink();
    sink.activity = [failure](const std::u16string& line, bool failed) {
        reportActivity(line, failed ? kActivityRed : kActivityBlue);
        if (failed) *failure = line;
    };
    const bool started = startTool(tool, elevated, sink);
    state.session.launches.push_back({clockText(ClockFormat::Time), toolDisplayName(tool), !started, *failure});
    if (started) {
        const std::u16string id = tool.id;
        changeSettings(state, [id](Settings& s) { noteRecent(s, id); });
        rebuildTree(state.navigation);
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
    reportActivity(uiText(kTextToolNotFound) + toolId, kActivityRed);
}

void openDownloadPage(MainState& state, int64_t index) {
    if (!inCatalog(state, index)) return;
    openToolHomepage(state.catalog.tools[size_t(index)], activitySink());
}

void openSecureLink(const std::u16string& url) { openWebLink(url, activitySink()); }
