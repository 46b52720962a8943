#include "data/files.h"

#include "platform/platform.h"

std::u16string userFilePath(const std::u16string& name) {
    std::u16string appData = platform::roamingAppDataDir();
    if (appData.empty()) return {};
    std::u16string dir = platform::joinPath(appData, u"Toolkeep");
    platform::createDirectories(dir);
    return platform::joinPath(dir, name);
}

std::optional<std::string> readWholeFile(const std::u16string& path) {
    FileRead read = readFile(path);
    if (read.status != ReadStatus::Read) return std::nullopt;
    return std::move(read.bytes);
}
