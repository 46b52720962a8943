#include "terminal/shell_launch.h"

#include <algorithm>

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string joinPath(const std::u16string& dir, const std::u16string& name) {
    return isSeparator(dir.back()) ? dir + name : dir + u"\\" + name;
}

// "=C:=C:\x" keeps its leading '=' in the name: those per-drive entries sort first.
std::u16string entryName(const std::u16string& entry) {
    size_t equals = entry.find(u'=', 1);
    return equals == std::u16string::npos ? entry : entry.substr(0, equals);
}

// Variable names compare as Windows compares them here: case-insensitive,
// code unit order otherwise. Names are ASCII in practice.
std::u16string sortKey(const std::u16string& name) {
    std::u16string key = name;
    for (char16_t& c : key) {
        if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
    }
    return key;
}

}  // namespace

std::u16string shellProgramPath(ShellKind kind, const std::u16string& systemDir) {
    if (systemDir.empty()) return {};
    // Windows PowerShell lives in the same sub-folder on every version.
    return joinPath(systemDir, kind == ShellKind::Cmd ? u"cmd.exe" : u"WindowsPowerShell\\v1.0\\powershell.exe");
}

std::u16string shellStartDirectory(const std::u16string& profileDir, const std::u16string& systemDir) {
    if (!profileDir.empty()) return profileDir;
    bool drive = systemDir.size() >= 2 && systemDir[1] == u':' &&
                 ((systemDir[0] >= u'A' && systemDir[0] <= u'Z') || (systemDir[0] >= u'a' && systemDir[0] <= u'z'));
    return drive ? systemDir.substr(0, 2) + u"\\" : systemDir;
}

std::u16string environmentBlock(const std::vector<std::u16string>& inherited,
                                const std::vector<std::pair<std::u16string, std::u16string>>& added) {
    std::vector<std::pair<std::u16string, std::u16string>> entries;  // sort key, entry
    for (const auto& [name, value] : added) entries.emplace_back(sortKey(name), name + u"=" + value);
    for (const std::u16string& entry : inherited) {
        if (entry.empty()) continue;
        std::u16string key = sortKey(entryName(entry));
        bool replaced = std::any_of(entries.begin(), entries.end(), [&](const auto& e) { return e.first == key; });
        if (!replaced) entries.emplace_back(key, entry);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::u16string block;
    for (const auto& entry : entries) {
        block += entry.second;
        block += u'\0';
    }
    block += u'\0';
    if (entries.empty()) block += u'\0';  // an empty block is still two NULs
    return block;
}

std::vector<std::pair<std::u16string, std::u16string>> shellColourVariables() {
    return {{u"FORCE_COLOR", u"1"}, {u"CLICOLOR_FORCE", u"1"}, {u"CLICOLOR", u"1"}};
}
