// What the shell is asked to run for a tool: a program and its parameters.
#pragma once

#include <string>

#include "data/tool_record.h"
#include "launcher/tool_resolution.h"

struct LaunchCommand {
    std::u16string file;  // a full path, or a URI for Url tools; empty when nothing can run
    std::u16string parameters;
};

// Every program is named by its full path: the system's own programs in the
// system or Windows folder, a tool's program as tool resolution finds it. A
// bare name would let the shell pick a same-named file beside this program.
// The file is empty when there is no target, or it cannot be found.
LaunchCommand buildLaunchCommand(const ToolRecord& tool, const ResolutionProbes& probes = systemProbes());

// What an Activity line names: the program that runs and its parameters.
std::u16string launchedCommandText(const LaunchCommand& command);

// Only web addresses may be handed to the shell as a download page.
bool isWebAddress(const std::u16string& address);
