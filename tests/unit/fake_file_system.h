// A Windows machine in memory for the resolution rules: folders and their
// entries (paths and names compared without regard to ASCII case, either
// separator; like Windows, a file probe trims trailing dots and blanks from
// the name and fails on a path of 260 characters or more), PATH, the package
// repository and URI schemes. It counts the
// questions it is asked, so a test can tell how often each folder was read.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "data/data_pack.h"
#include "data/json.h"
#include "data/text.h"
#include "data/tool_record.h"
#include "launcher/tool_resolution.h"
#include "platform/platform.h"

struct FakeFolder {
    std::vector<platform::DirEntry> entries;  // in listing order
    bool unreadable = false;  // listing fails; single files can still be probed
};

struct FakeFileSystem {
    std::map<std::u16string, FakeFolder> folders;  // by folderKey
    std::u16string systemDir = u"C:\\Windows\\System32";
    std::u16string windowsDir = u"C:\\Windows";
    std::u16string wow64Dir = u"C:\\Windows\\SysWOW64";
    std::optional<std::u16string> path;
    std::u16string programDir = u"E:\\App";
    std::optional<std::vector<std::u16string>> families = std::vector<std::u16string>{};  // empty: unreadable
    std::set<std::u16string> schemes;

    mutable std::map<std::u16string, int> listings;  // by folderKey
    mutable int fileProbes = 0;
    mutable int familyProbes = 0;
    mutable int familyListings = 0;

    static std::u16string folded(std::u16string text) {
        for (char16_t& c : text) {
            if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
        }
        return text;
    }
    static std::u16string folderKey(const std::u16string& path) {
        std::u16string key = folded(path);
        for (char16_t& c : key) {
            if (c == u'/') c = u'\\';
        }
        while (key.size() > 1 && key.back() == u'\\') key.pop_back();
        return key;
    }

    FakeFolder& folder(const std::u16string& dir) { return folders[folderKey(dir)]; }
    void put(const std::u16string& dir, const std::u16string& name, bool isDirectory = false) {
        folder(dir).entries.push_back({name, isDirectory});
    }

    bool fileExists(const std::u16string& file) const {
        ++fileProbes;
        size_t cut = file.find_last_of(u"\\/");
        if (cut == std::u16string::npos || file.size() >= 260) return false;
        auto found = folders.find(folderKey(file.substr(0, cut)));
        if (found == folders.end()) return false;
        std::u16string name = folded(file.substr(cut + 1));
        while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.pop_back();
        for (const platform::DirEntry& entry : found->second.entries) {
            if (!entry.isDirectory && folded(entry.name) == name) return true;
        }
        return false;
    }

    std::optional<std::vector<platform::DirEntry>> list(const std::u16string& dir) const {
        const std::u16string key = folderKey(dir);
        ++listings[key];
        auto found = folders.find(key);
        if (found == folders.end()) return std::vector<platform::DirEntry>{};
        if (found->second.unreadable) return std::nullopt;
        return found->second.entries;
    }

    std::optional<bool> familyRegistered(const std::u16string& family) const {
        ++familyProbes;
        if (!families) return std::nullopt;
        for (const std::u16string& f : *families) {
            if (folded(f) == folded(family)) return true;
        }
        return false;
    }

    // The direct probes of this machine.
    ResolutionProbes probes() const {
        ResolutionProbes p;
        p.fileExists = [this](const std::u16string& f) { return fileExists(f); };
        p.systemDir = [this] { return systemDir; };
        p.windowsDir = [this] { return windowsDir; };
        p.systemWow64Dir = [this] { return wow64Dir; };
        p.pathVariable = [this] { return path; };
        p.programDir = [this] { return programDir; };
        p.listDirectory = [this](const std::u16string& dir) { return list(dir); };
        p.uriSchemeRegistered = [this](const std::u16string& s) { return schemes.count(s) > 0; };
        p.packagedAppFamily = [this](const std::u16string& f) { return familyRegistered(f); };
        p.packagedAppFamilies = [this] {
            ++familyListings;
            return families;
        };
        return p;
    }
};

// The tools of a shipped pack as the catalog reads them.
inline std::vector<ToolRecord> shippedTools(const PackInfo& pack) {
    auto document = parseJson(utf8ToWide(platform::embeddedResource(pack.resourceId)));
    std::vector<ToolRecord> tools = document ? parseToolPack(*document, false) : std::vector<ToolRecord>{};
    for (ToolRecord& tool : tools) tool.isExternal = pack.resourceId == kExternalToolsPack.resourceId;
    return tools;
}
