// What the shell is asked to run for a tool: a program and its parameters.
#pragma once

#include <string>

#include "data/tool_record.h"

struct LaunchCommand {
    std::u16string file;
    std::u16string parameters;
};

// systemDirectory joins console files; when it is empty they are passed by name.
LaunchCommand buildLaunchCommand(const ToolRecord& tool, const std::u16string& systemDirectory);
// The same with this machine's system directory.
LaunchCommand buildLaunchCommand(const ToolRecord& tool);

// The target named in the Activity line: file name, else path, else name.
std::u16string shownLaunchTarget(const ToolRecord& tool);

// Only web addresses may be handed to the shell as a download page.
bool isWebAddress(const std::u16string& address);
