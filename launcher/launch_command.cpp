#include "launcher/launch_command.h"

#include "platform/platform.h"

namespace {

const std::u16string kAppsFolderMarker = u"shell:AppsFolder\\";

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

LaunchCommand buildLaunchCommand(const ToolRecord& tool, const std::u16string& systemDirectory) {
    const std::u16string& target = tool.path.empty() ? tool.fileName : tool.path;
    const std::u16string& applet = tool.fileName.empty() ? tool.path : tool.fileName;
    if (tool.args.find(kAppsFolderMarker) != std::u16string::npos) return {u"explorer.exe", tool.args};
    switch (tool.type) {
        case ToolType::Msc: {
            std::u16string console = systemDirectory.empty() ? applet : joinLoose(systemDirectory, applet);
            return {u"mmc.exe", withArgs(quoted(console), tool.args)};
        }
        case ToolType::Cpl: return {u"control.exe", withArgs(applet, tool.args)};
        case ToolType::Url: return {target, {}};
        case ToolType::Ps1:
            return {u"powershell.exe",
                    withArgs(u"-NoProfile -ExecutionPolicy RemoteSigned -File " + quoted(target), tool.args)};
        case ToolType::PowerShell: return {u"powershell.exe", u"-NoExit -NoProfile -Command " + quoted(target)};
        case ToolType::Exe:
        case ToolType::Bat:
        case ToolType::Other: break;
    }
    return {target, tool.args};
}

LaunchCommand buildLaunchCommand(const ToolRecord& tool) { return buildLaunchCommand(tool, platform::systemDir()); }

std::u16string shownLaunchTarget(const ToolRecord& tool) {
    if (!tool.fileName.empty()) return tool.fileName;
    if (!tool.path.empty()) return tool.path;
    return tool.name;
}

bool isWebAddress(const std::u16string& address) {
    return startsWithNoCase(address, u"https://") || startsWithNoCase(address, u"http://");
}
