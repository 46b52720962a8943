#include "launcher/tool_resolution.h"

const ResolutionProbes& systemProbes() {
    static const ResolutionProbes probes = [] {
        ResolutionProbes p;
        p.separator = platform::pathSeparator();
        p.fileExists = platform::fileExists;
        p.systemDir = platform::systemDir;
        p.windowsDir = platform::windowsDir;
        p.systemWow64Dir = platform::systemWow64Dir;
        p.pathVariable = [] { return platform::getEnv(u"PATH"); };
        p.programDir = platform::executableDir;
        p.listDirectory = platform::listDirectory;
        p.uriSchemeRegistered = platform::uriSchemeRegistered;
        p.packagedAppFamily = platform::packagedAppFamilyRegistered;
        return p;
    }();
    return probes;
}

bool isPathSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool isAbsolutePath(const std::u16string& path) {
    if (path.size() < 2) return false;
    char16_t first = path[0];
    bool letter = (first >= u'A' && first <= u'Z') || (first >= u'a' && first <= u'z');
    if (letter && path[1] == u':') return true;
    return isPathSeparator(path[0]) && isPathSeparator(path[1]);
}

std::u16string joinToolPath(const std::u16string& dir, const std::u16string& name, char16_t separator) {
    if (dir.empty()) return name;
    if (name.empty()) return dir;
    if (isPathSeparator(dir.back())) return dir + name;
    return dir + separator + name;
}

std::u16string parentDirectory(const std::u16string& path) {
    size_t cut = path.find_last_of(u"\\/");
    return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut);
}

std::u16string programDirectory() { return platform::executableDir(); }

bool isPlainFileName(const std::u16string& name) {
    return !name.empty() && name.find_first_of(u"\\/:") == std::u16string::npos &&
           name.find(u"..") == std::u16string::npos;
}

bool hasUsableFileName(const ToolRecord& tool) {
    return tool.fileName.empty() || tool.type == ToolType::Url || isPlainFileName(tool.fileName);
}

std::vector<std::u16string> searchDirectories(const ResolutionProbes& probes) {
    std::vector<std::u16string> dirs;
    for (const auto* probe : {&probes.systemDir, &probes.windowsDir, &probes.systemWow64Dir}) {
        std::u16string dir = *probe ? (*probe)() : std::u16string();
        if (!dir.empty()) dirs.push_back(dir);
    }
    std::optional<std::u16string> path = probes.pathVariable ? probes.pathVariable() : std::nullopt;
    if (!path) return dirs;
    size_t start = 0;
    while (start <= path->size()) {
        size_t end = path->find(u';', start);
        if (end == std::u16string::npos) end = path->size();
        if (end > start) dirs.push_back(path->substr(start, end - start));
        start = end + 1;
    }
    return dirs;
}

namespace {

bool exists(const ResolutionProbes& probes, const std::u16string& path) {
    return !path.empty() && probes.fileExists && probes.fileExists(path);
}

bool hasSeparator(const std::u16string& name) { return name.find_first_of(u"\\/") != std::u16string::npos; }

const std::u16string& preferred(const std::u16string& first, const std::u16string& second) {
    return first.empty() ? second : first;
}

}  // namespace

std::u16string findExecutable(const std::u16string& name, const ResolutionProbes& probes) {
    if (name.empty()) return {};
    if (isAbsolutePath(name)) return exists(probes, name) ? name : std::u16string();
    if (hasSeparator(name) && probes.programDir) {
        std::u16string beside = joinToolPath(probes.programDir(), name, probes.separator);
        if (exists(probes, beside)) return beside;
    }
    for (const std::u16string& dir : searchDirectories(probes)) {
        std::u16string candidate = joinToolPath(dir, name, probes.separator);
        if (exists(probes, candidate)) return candidate;
    }
    return {};
}

std::u16string findInSystemDirectory(const std::u16string& name, const ResolutionProbes& probes) {
    if (name.empty()) return {};
    if (isAbsolutePath(name)) return exists(probes, name) ? name : std::u16string();
    std::u16string dir = probes.systemDir ? probes.systemDir() : std::u16string();
    if (dir.empty()) return {};
    std::u16string candidate = joinToolPath(dir, name, probes.separator);
    return exists(probes, candidate) ? candidate : std::u16string();
}

std::u16string resolveOnSearchPath(const std::u16string& name, const ResolutionProbes& probes) {
    if (name.empty() || isAbsolutePath(name)) return name;
    size_t dot = name.find_last_of(u'.');
    bool hasExtension = dot != std::u16string::npos && name.find_first_of(u"\\/", dot) == std::u16string::npos;
    const std::u16string file = hasExtension ? name : name + u".exe";
    for (const auto* probe : {&probes.systemDir, &probes.windowsDir}) {
        std::u16string dir = *probe ? (*probe)() : std::u16string();
        if (dir.empty()) continue;
        std::u16string candidate = joinToolPath(dir, file, probes.separator);
        if (exists(probes, candidate)) return candidate;
    }
    return name;
}

bool uriSchemeAvailable(const std::u16string& target, const ResolutionProbes& probes) {
    size_t colon = target.find(u':');
    if (colon == std::u16string::npos || colon == 0) return false;
    std::u16string scheme = target.substr(0, colon);
    if (scheme == u"http" || scheme == u"https") return true;
    return probes.uriSchemeRegistered && probes.uriSchemeRegistered(scheme);
}

bool packagedAppAvailable(const std::u16string& appUserModelId, const ResolutionProbes& probes) {
    std::u16string id = appUserModelId;
    while (!id.empty() && (id.back() == u'"' || id.back() == u' ')) id.pop_back();
    std::u16string family = id.substr(0, id.find(u'!'));
    if (family.empty()) return false;
    if (!probes.packagedAppFamily) return true;
    // A repository that cannot be read cannot rule the app out.
    return probes.packagedAppFamily(family).value_or(true);
}

bool isToolAvailable(const ToolRecord& tool, const ResolutionProbes& probes) {
    if (tool.isCustom) return true;
    if (!hasUsableFileName(tool)) return false;
    size_t marker = tool.args.find(kPackagedAppMarker);
    if (marker != std::u16string::npos) {
        return packagedAppAvailable(tool.args.substr(marker + std::char_traits<char16_t>::length(kPackagedAppMarker)),
                                    probes);
    }
    switch (tool.type) {
        case ToolType::Msc:
        case ToolType::Cpl: {
            const std::u16string& applet = preferred(tool.fileName, tool.path);
            return isPlainFileName(applet) && !findInSystemDirectory(applet, probes).empty();
        }
        case ToolType::Exe:
        case ToolType::Bat: return !findExecutable(preferred(tool.path, tool.fileName), probes).empty();
        case ToolType::Url: return uriSchemeAvailable(preferred(tool.path, tool.fileName), probes);
        case ToolType::Ps1:
        case ToolType::PowerShell:
        case ToolType::Other: return true;
    }
    return true;
}

std::u16string resolveToolFile(const ToolRecord& tool, const ResolutionProbes& probes) {
    if (tool.args.find(kPackagedAppMarker) != std::u16string::npos) return {};
    if (tool.isCustom) return exists(probes, tool.path) ? tool.path : std::u16string();
    if (!hasUsableFileName(tool)) return {};
    switch (tool.type) {
        case ToolType::Exe:
        case ToolType::Bat: return findExecutable(preferred(tool.path, tool.fileName), probes);
        case ToolType::Msc:
        case ToolType::Cpl: {
            const std::u16string& applet = preferred(tool.fileName, tool.path);
            return isPlainFileName(applet) ? findInSystemDirectory(applet, probes) : std::u16string();
        }
        default: return {};
    }
}

std::u16string findInToolsFolder(const std::u16string& fileName, const ResolutionProbes& probes) {
    if (!isPlainFileName(fileName) || !probes.programDir) return {};
    std::u16string programDir = probes.programDir();
    if (programDir.empty()) return {};
    std::u16string toolsDir = joinToolPath(programDir, u"Tools", probes.separator);
    std::u16string direct = joinToolPath(toolsDir, fileName, probes.separator);
    if (exists(probes, direct)) return direct;
    if (!probes.listDirectory) return {};
    for (const platform::DirEntry& entry : probes.listDirectory(toolsDir)) {
        if (!entry.isDirectory || entry.name.empty() || entry.name[0] == u'.') continue;
        std::u16string candidate =
            joinToolPath(joinToolPath(toolsDir, entry.name, probes.separator), fileName, probes.separator);
        if (exists(probes, candidate)) return candidate;
    }
    return {};
}

void discoverExternalTool(ToolRecord& tool, const ResolutionProbes& probes) {
    std::u16string found = findInToolsFolder(tool.fileName, probes);
    tool.isInstalled = !found.empty();
    if (tool.isInstalled) tool.path = found;
}
