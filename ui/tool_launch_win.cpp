// The window's side of launching: picks the tool, keeps Recent and the tree
// current, and writes what the launcher reports to the Activity log.
#include "ui/tool_launch.h"

#include <memory>

#include "launcher/launch.h"
#include "platform/win_clock.h"
#include "ui/activity.h"
#include "ui/main_state.h"
#include "ui/pages.h"
#include "ui/settings_change.h"
#include "ui/ui_text.h"

namespace {

bool inCatalog(const MainState& state, int64_t index) {
    return index >= 0 && uint64_t(index) < state.catalog.tools.size();
}

LaunchSink activitySink(MainState& state) {
    LaunchSink sink;
    MainState* s = &state;
    sink.activity = [s](const std::u16string& line, bool failed) {
        reportActivity(*s, line, failed ? kFailureRed : kActionBlue);
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
    LaunchSink sink = activitySink(state);
    sink.activity = [&state, failure](const std::u16string& line, bool failed) {
        reportActivity(state, line, failed ? kFailureRed : kActionBlue);
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
    reportActivity(state, uiText(kTextToolNotFound) + toolId, kFailureRed);
}

void openDownloadPage(MainState& state, int64_t index) {
    if (!inCatalog(state, index)) return;
    openToolHomepage(state.catalog.tools[size_t(index)], activitySink(state));
}

void openSecureLink(MainState& state, const std::u16string& url) { openWebLink(url, activitySink(state)); }

void assembleCatalog(MainState& state) { applyCatalog(state, readCatalog()); }

void applyCatalog(MainState& state, CatalogRead read) {
    state.catalog = std::move(read.catalog);
    state.customToolsFile = std::move(read.customToolsFile);
    state.catalogFromEmbedded = read.fromEmbedded;
    state.navigation.state.assistantOverride = false;
    state.navigation.state.assistantTools.clear();
    state.navigation.state.assistantPlaybooks.clear();
    rebuildTree(state.navigation);
}
