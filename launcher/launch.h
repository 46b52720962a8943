// Starting tools through the Windows shell, elevated on request, and opening
// web pages. What happens is told to the sink; the window above records it.
#pragma once

#include <functional>
#include <string>

#include "data/tool_record.h"

struct LaunchSink {
    // One Activity line; failed lines show as failures.
    std::function<void(const std::u16string& line, bool failed)> activity;
    std::function<std::u16string(int id)> text;  // a UI text by id
    std::function<std::u16string(const ToolRecord& tool)> toolName;  // as the user sees it
};

// True when the shell started the tool; a failure (or a refused elevation) is reported.
bool startTool(const ToolRecord& tool, bool elevated, const LaunchSink& sink);
// Opens the tool's homepage when it is a web address; anything else is reported, not run.
void openToolHomepage(const ToolRecord& tool, const LaunchSink& sink);
// Opens an https:// address; other schemes are ignored.
void openWebLink(const std::u16string& url, const LaunchSink& sink);
