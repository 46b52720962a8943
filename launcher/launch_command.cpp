#include "launcher/launch_command.h"

namespace {

const std::u16string kAppsFolderMarker = u"shell:AppsFolder\\";
// Windows PowerShell's place inside the system folder, the same on every version.
constexpr const char16_t* kPowerShellProgram = u"WindowsPowerShell\\v1.0\\powershell.exe";

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string joinLoose(const std::u16string& dir, const std::u16string& name) {
    if (dir.empty()) return name;
    if (name.empty()) return dir;
    if (isSeparator(dir.back())) return dir + name;
    return dir + u"\\" + name;
}

std::u16string quoted(const std::u16string& text) { return u"\"" + text + u"\""; }

std::u16string withArgs(std::u16string parameters, const std::u16string& args) {
    if (args.empty()) return parameters;
    if (parameters.empty()) return args;
    return parameters + u" " + args;
}

bool startsWithNoCase(const std::u16string& text, const std::u16string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

LaunchCommand buildLaunchCommand(const ToolRecord& tool, const ResolutionProbes& probes) {
    if (!hasUsableFileName(tool)) return {};
    const std::u16string& target = tool.path.empty() ? tool.fileName : tool.path;
    const std::u16string& applet = tool.fileName.empty() ? tool.path : tool.fileName;
    const std::u16string systemDirectory = probes.systemDir ? probes.systemDir() : std::u16string();
    auto systemProgram = [&](const char16_t* name) {
        return systemDirectory.empty() ? std::u16string() : joinLoose(systemDirectory, name);
    };
    if (tool.args.find(kAppsFolderMarker) != std::u16string::npos) {
        const std::u16string windows = probes.windowsDir ? probes.windowsDir() : std::u16string();
        if (windows.empty()) return {};
        return {joinLoose(windows, u"explorer.exe"), tool.args};
    }
    switch (tool.type) {
        case ToolType::Msc:
            if (!isPlainFileName(applet) || systemDirectory.empty()) return {};
            return {systemProgram(u"mmc.exe"), withArgs(quoted(joinLoose(systemDirectory, applet)), tool.args)};
        case ToolType::Cpl:
            // control.exe also takes "/name X" with no applet file at all
            if (!applet.empty() && !isPlainFileName(applet)) return {};
            return {systemProgram(u"control.exe"), withArgs(applet, tool.args)};
        case ToolType::Url: return {target, {}};
        case ToolType::Ps1:
            return {systemProgram(kPowerShellProgram),
                    withArgs(u"-NoProfile -ExecutionPolicy RemoteSigned -File " + quoted(target), tool.args)};
        case ToolType::PowerShell:
            return {systemProgram(kPowerShellProgram), u"-NoExit -NoProfile -Command " + quoted(target)};
        case ToolType::Exe:
        case ToolType::Bat:
        case ToolType::Other: break;
    }
    return {isAbsolutePath(target) ? target : findExecutable(target, probes), tool.args};
}

std::u16string launchedCommandText(const LaunchCommand& command) { return withArgs(command.file, command.parameters); }

bool isWebAddress(const std::u16string& address) {
    return startsWithNoCase(address, u"https://") || startsWithNoCase(address, u"http://");
}
