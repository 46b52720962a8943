// The narrow seam between the portable core and the operating system.
// Every function here has a Windows implementation (platform_win.cpp) and a
// POSIX one (platform_posix.cpp); the core never includes an OS header.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Environment variables of this process.
std::optional<std::u16string> getEnv(const std::u16string& name);
bool setEnv(const std::u16string& name, const std::u16string& value);
bool unsetEnv(const std::u16string& name);

// Folders. Each returns an empty string when the folder cannot be determined.
std::u16string roamingAppDataDir();  // %APPDATA% (no trailing separator)
std::u16string executableDir();  // folder of the running executable
std::u16string tempDir();  // ends with a separator, like GetTempPathW
std::u16string systemDir();  // e.g. C:\Windows\System32
std::u16string windowsDir();  // e.g. C:\Windows
std::u16string systemWow64Dir();  // e.g. C:\Windows\SysWOW64; empty on 32-bit systems

// Whether the user's system speaks Chinese (the UI language on Windows, LANG
// or LC_ALL elsewhere): for output that comes before any settings are read.
bool systemLanguageIsChinese();

// The separator this platform puts between path parts ('\\' on Windows).
char16_t pathSeparator();
std::u16string joinPath(const std::u16string& dir, const std::u16string& name);

// File-system queries.
bool fileExists(const std::u16string& path);  // exists and is not a directory
bool fileNamesIgnoreCase();  // how this platform's file system compares names
bool directoryExists(const std::u16string& path);
bool createDirectories(const std::u16string& path);  // like SHCreateDirectoryExW
bool removeFile(const std::u16string& path);
// Names (not paths) of the entries of a directory; files and folders alike.
struct DirEntry {
    std::u16string name;
    bool isDirectory = false;
};
// No entries when the folder does not exist; an empty optional when it exists
// but could not be read (a caller that must not miss a file then asks for it).
std::optional<std::vector<DirEntry>> listDirectory(const std::u16string& path);

// The bytes of an embedded data pack (RCDATA 101..103); empty when missing.
std::string embeddedResource(int resourceId);

// Read-only registry probes (always false off Windows).
bool uriSchemeRegistered(const std::u16string& scheme);
// Whether the user's package repository holds the family; empty when the
// repository itself cannot be opened.
std::optional<bool> packagedAppFamilyRegistered(const std::u16string& family);
// Every family the repository holds; empty when it cannot be opened or read.
std::optional<std::vector<std::u16string>> packagedAppFamilies();

// Self-test console channel: one line of UTF-16 text, written as is.
void writeConsole(const std::u16string& text);

}  // namespace platform
