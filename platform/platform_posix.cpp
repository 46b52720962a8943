// The POSIX side of the seam: enough for the headless program and the tests.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/embedded_packs.h"
#include "platform/platform.h"
#include "platform/utf8.h"

namespace platform {

namespace {
std::string narrow(const std::u16string& s) { return wideToUtf8(s); }

bool statMode(const std::u16string& path, mode_t& mode) {
    struct stat info;
    if (stat(narrow(path).c_str(), &info) != 0) return false;
    mode = info.st_mode;
    return true;
}
}  // namespace

std::optional<std::u16string> getEnv(const std::u16string& name) {
    const char* value = std::getenv(narrow(name).c_str());
    if (!value) return std::nullopt;
    return utf8ToWide(std::string(value));
}

bool setEnv(const std::u16string& name, const std::u16string& value) {
    return ::setenv(narrow(name).c_str(), narrow(value).c_str(), 1) == 0;
}

bool unsetEnv(const std::u16string& name) { return ::unsetenv(narrow(name).c_str()) == 0; }

std::u16string roamingAppDataDir() {
    if (auto appData = getEnv(u"APPDATA"); appData && !appData->empty()) return *appData;
    if (auto config = getEnv(u"XDG_CONFIG_HOME"); config && !config->empty()) return *config;
    if (auto home = getEnv(u"HOME"); home && !home->empty()) return *home + u"/.config";
    return {};
}

std::u16string executableDir() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    std::string path(buffer, size_t(n));
    size_t cut = path.find_last_of('/');
    return cut == std::string::npos || cut == 0 ? std::u16string() : utf8ToWide(path.substr(0, cut));
}

bool systemLanguageIsChinese() {
    for (const char16_t* name : {u"LC_ALL", u"LC_MESSAGES", u"LANG"}) {
        std::optional<std::u16string> value = getEnv(name);
        if (value && !value->empty()) return value->compare(0, 2, u"zh") == 0;
    }
    return false;
}

std::u16string tempDir() {
    std::u16string dir = u"/tmp/";
    if (auto t = getEnv(u"TMPDIR"); t && !t->empty()) dir = *t;
    if (dir.back() != u'/') dir += u'/';
    return dir;
}

std::u16string systemDir() {
    auto root = getEnv(u"TOOLKEEP_FAKE_SYSTEM_DIR");
    return root ? *root : std::u16string();
}

std::u16string windowsDir() {
    auto root = getEnv(u"TOOLKEEP_FAKE_WINDOWS_DIR");
    return root ? *root : std::u16string();
}

std::u16string systemWow64Dir() { return {}; }

char16_t pathSeparator() { return u'/'; }

bool fileExists(const std::u16string& path) {
    mode_t mode;
    return statMode(path, mode) && !S_ISDIR(mode);
}

bool fileNamesIgnoreCase() { return false; }

bool directoryExists(const std::u16string& path) {
    mode_t mode;
    return statMode(path, mode) && S_ISDIR(mode);
}

bool createDirectories(const std::u16string& path) {
    std::string p = narrow(path);
    for (size_t i = 1; i <= p.size(); ++i) {
        if (i == p.size() || p[i] == '/') {
            std::string part = p.substr(0, i);
            if (mkdir(part.c_str(), 0755) != 0) {
                struct stat info;
                if (stat(part.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
            }
        }
    }
    return true;
}

bool removeFile(const std::u16string& path) { return std::remove(narrow(path).c_str()) == 0; }

std::optional<std::vector<DirEntry>> listDirectory(const std::u16string& path) {
    std::vector<DirEntry> entries;
    DIR* dir = opendir(narrow(path).c_str());
    if (!dir) {
        if (errno == ENOENT || errno == ENOTDIR) return entries;
        return std::nullopt;
    }
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::u16string wide = utf8ToWide(name);
        // An entry stat cannot follow (a dangling link) is left out: fileExists does not see it either.
        mode_t mode;
        if (statMode(joinPath(path, wide), mode)) entries.push_back({wide, S_ISDIR(mode) != 0});
    }
    closedir(dir);
    return entries;
}

std::string embeddedResource(int resourceId) { return embeddedPackBytes(resourceId); }

bool uriSchemeRegistered(const std::u16string&) { return false; }
std::optional<bool> packagedAppFamilyRegistered(const std::u16string&) { return false; }
std::optional<std::vector<std::u16string>> packagedAppFamilies() { return std::vector<std::u16string>{}; }

void writeConsole(const std::u16string& text) {
    std::cout << wideToUtf8(text);
    std::cout.flush();
}

}  // namespace platform
