#include "launcher/tool_resolution.h"

#include <map>
#include <memory>
#include <string_view>
#include <unordered_set>

const ResolutionProbes& systemProbes() {
    static const ResolutionProbes probes = [] {
        ResolutionProbes p;
        p.separator = platform::pathSeparator();
        p.namesIgnoreCase = platform::fileNamesIgnoreCase();
        p.fileExists = platform::fileExists;
        p.systemDir = platform::systemDir;
        p.windowsDir = platform::windowsDir;
        p.systemWow64Dir = platform::systemWow64Dir;
        p.pathVariable = [] { return platform::getEnv(u"PATH"); };
        p.programDir = platform::executableDir;
        p.listDirectory = platform::listDirectory;
        p.uriSchemeRegistered = platform::uriSchemeRegistered;
        p.packagedAppFamily = platform::packagedAppFamilyRegistered;
        p.packagedAppFamilies = platform::packagedAppFamilies;
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

bool existsIn(const ResolutionProbes& probes, const std::u16string& dir, const std::u16string& name) {
    if (probes.fileInDirectory) return probes.fileInDirectory(dir, name);
    return exists(probes, joinToolPath(dir, name, probes.separator));
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
        if (existsIn(probes, dir, name)) return joinToolPath(dir, name, probes.separator);
    }
    return {};
}

std::u16string findInSystemDirectory(const std::u16string& name, const ResolutionProbes& probes) {
    if (name.empty()) return {};
    if (isAbsolutePath(name)) return exists(probes, name) ? name : std::u16string();
    std::u16string dir = probes.systemDir ? probes.systemDir() : std::u16string();
    if (dir.empty() || !existsIn(probes, dir, name)) return {};
    return joinToolPath(dir, name, probes.separator);
}

std::u16string resolveOnSearchPath(const std::u16string& name, const ResolutionProbes& probes) {
    if (name.empty() || isAbsolutePath(name)) return name;
    size_t dot = name.find_last_of(u'.');
    bool hasExtension = dot != std::u16string::npos && name.find_first_of(u"\\/", dot) == std::u16string::npos;
    const std::u16string file = hasExtension ? name : name + u".exe";
    for (const auto* probe : {&probes.systemDir, &probes.windowsDir}) {
        std::u16string dir = *probe ? (*probe)() : std::u16string();
        if (!dir.empty() && existsIn(probes, dir, file)) return joinToolPath(dir, file, probes.separator);
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
    if (existsIn(probes, toolsDir, fileName)) return joinToolPath(toolsDir, fileName, probes.separator);
    if (!probes.listDirectory) return {};
    for (const platform::DirEntry& entry : probes.listDirectory(toolsDir).value_or(std::vector<platform::DirEntry>{})) {
        if (!entry.isDirectory || entry.name.empty() || entry.name[0] == u'.') continue;
        std::u16string folder = joinToolPath(toolsDir, entry.name, probes.separator);
        if (existsIn(probes, folder, fileName)) return joinToolPath(folder, fileName, probes.separator);
    }
    return {};
}

void discoverExternalTool(ToolRecord& tool, const ResolutionProbes& probes) {
    std::u16string found = findInToolsFolder(tool.fileName, probes);
    tool.isInstalled = !found.empty();
    if (tool.isInstalled) tool.path = found;
}

namespace {

// Joined paths at least this long are left to the direct probe, which knows
// the system's path-length limit (260 on Windows); the listing would not.
constexpr size_t kListedPathLimit = 240;

char16_t foldedAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; }

std::u16string foldedName(const std::u16string& name, bool ignoreCase) {
    std::u16string out = name;
    if (ignoreCase) {
        for (char16_t& c : out) c = foldedAscii(c);
    }
    return out;
}

bool printableAscii(const std::u16string& text) {
    for (char16_t c : text) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

// A name a listing answers for exactly as the file system would: plain
// printable ASCII, none of the characters the system reads as wildcards or a
// short name, no trailing dot or blank (the system trims those), and a path
// within the length the system accepts.
bool listingCanAnswer(const std::u16string& dir, const std::u16string& name) {
    if (dir.empty() || !isPlainFileName(name) || !printableAscii(name)) return false;
    if (name.find_first_of(u"*?~\"<>|") != std::u16string::npos) return false;
    if (name.back() == u'.' || name.back() == u' ') return false;
    if (dir.find_first_of(u"*?") != std::u16string::npos) return false;
    return dir.size() + 1 + name.size() < kListedPathLimit;
}

// A set of names that refers to the listed names themselves: a folder of
// thousands of files is indexed without a copy of each name. The hash and the
// comparison fold ASCII case when the file system does.
struct NameHash {
    bool ignoreCase = true;
    size_t operator()(std::u16string_view name) const {
        uint64_t hash = 14695981039346656037ull;  // FNV-1a
        for (char16_t c : name) {
            hash ^= ignoreCase ? foldedAscii(c) : c;
            hash *= 1099511628211ull;
        }
        return size_t(hash);
    }
};

struct NameEqual {
    bool ignoreCase = true;
    bool operator()(std::u16string_view a, std::u16string_view b) const {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (ignoreCase ? foldedAscii(a[i]) != foldedAscii(b[i]) : a[i] != b[i]) return false;
        }
        return true;
    }
};

using NameIndex = std::unordered_set<std::u16string_view, NameHash, NameEqual>;

NameIndex indexNames(const std::vector<std::u16string_view>& names, bool ignoreCase) {
    NameIndex index(names.size(), NameHash{ignoreCase}, NameEqual{ignoreCase});
    index.insert(names.begin(), names.end());
    return index;
}

struct ListedFolder {
    std::optional<std::vector<platform::DirEntry>> entries;  // empty when it could not be read
    std::optional<NameIndex> files;  // the file entries, once asked
};

struct ListedFamilies {
    bool read = false;
    std::optional<std::vector<std::u16string>> names;  // empty when the repository could not be read
    NameIndex index;  // key names compare without regard to case on every system
};

// What one set of listing probes has read so far; shared by its callables.
struct Listings {
    ResolutionProbes direct;
    // By the folder as the file system compares it, so that a PATH entry
    // repeating a system folder in other letters is not read again.
    std::map<std::u16string, ListedFolder> folders;
    ListedFamilies families;

    ListedFolder& folder(const std::u16string& dir) {
        auto [place, added] = folders.try_emplace(foldedName(dir, direct.namesIgnoreCase));
        if (added && direct.listDirectory) place->second.entries = direct.listDirectory(dir);
        return place->second;
    }

    // The file names of the folder; null when it could not be read.
    const NameIndex* filesIn(const std::u16string& dir) {
        ListedFolder& listed = folder(dir);
        if (!listed.entries) return nullptr;
        if (!listed.files) {
            std::vector<std::u16string_view> names;
            names.reserve(listed.entries->size());
            for (const platform::DirEntry& entry : *listed.entries) {
                if (!entry.isDirectory) names.push_back(entry.name);
            }
            listed.files = indexNames(names, direct.namesIgnoreCase);
        }
        return &*listed.files;
    }

    bool fileIn(const std::u16string& dir, const std::u16string& name) {
        if (listingCanAnswer(dir, name)) {
            if (const NameIndex* files = filesIn(dir)) return files->contains(name);
        }
        std::u16string path = joinToolPath(dir, name, direct.separator);
        return !path.empty() && direct.fileExists && direct.fileExists(path);
    }

    std::optional<bool> familyRegistered(const std::u16string& family) {
        if (!families.read && direct.packagedAppFamilies) {
            families.names = direct.packagedAppFamilies();
            if (families.names) {
                families.index = indexNames({families.names->begin(), families.names->end()}, true);
            }
        }
        families.read = true;
        // A backslash would name a key further down; leave such names to the direct probe.
        if (families.names && printableAscii(family) && family.find(u'\\') == std::u16string::npos)
            return families.index.contains(family);
        return direct.packagedAppFamily(family);
    }
};

// A folder probe asked once: the answer does not change within one assembly.
std::function<std::u16string()> askedOnce(const std::function<std::u16string()>& probe) {
    if (!probe) return probe;
    auto answer = std::make_shared<std::optional<std::u16string>>();
    return [probe, answer] {
        if (!*answer) *answer = probe();
        return **answer;
    };
}

}  // namespace

ResolutionProbes listingProbes(const ResolutionProbes& direct) {
    auto listings = std::make_shared<Listings>();
    listings->direct = direct;
    ResolutionProbes p = direct;
    p.systemDir = askedOnce(direct.systemDir);
    p.windowsDir = askedOnce(direct.windowsDir);
    p.systemWow64Dir = askedOnce(direct.systemWow64Dir);
    p.programDir = askedOnce(direct.programDir);
    if (direct.pathVariable) {
        auto answer = std::make_shared<std::optional<std::optional<std::u16string>>>();
        p.pathVariable = [probe = direct.pathVariable, answer] {
            if (!*answer) *answer = probe();
            return **answer;
        };
    }
    p.fileInDirectory = [listings](const std::u16string& dir, const std::u16string& name) {
        return listings->fileIn(dir, name);
    };
    if (direct.listDirectory) {
        p.listDirectory = [listings](const std::u16string& dir) { return listings->folder(dir).entries; };
    }
    if (direct.packagedAppFamily) {
        p.packagedAppFamily = [listings](const std::u16string& family) { return listings->familyRegistered(family); };
    }
    return p;
}
