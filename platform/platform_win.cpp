#include <windows.h>
#include <shlobj.h>

#include "platform/platform.h"
#include "platform/win_handles.h"
#include "platform/win_text.h"

namespace platform {

std::optional<std::u16string> getEnv(const std::u16string& name) {
    wchar_t buffer[1024];
    SetLastError(0);
    DWORD n = GetEnvironmentVariableW(wstr(name), buffer, 1024);
    if (n == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::u16string();
    }
    if (n < 1024) return fromWide(buffer, n);
    std::wstring big(n, L'\0');
    DWORD m = GetEnvironmentVariableW(wstr(name), &big[0], n);
    if (m == 0 || m >= n) return std::nullopt;
    return fromWide(big.c_str(), m);
}

bool setEnv(const std::u16string& name, const std::u16string& value) {
    return SetEnvironmentVariableW(wstr(name), wstr(value)) != 0;
}

bool unsetEnv(const std::u16string& name) { return SetEnvironmentVariableW(wstr(name), nullptr) != 0; }

std::u16string roamingAppDataDir() {
    PWSTR path = nullptr;
    std::u16string result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path))) result = fromWide(path);
    CoTaskMemFree(path);
    return result;
}

std::u16string executableDir() {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::u16string path = fromWide(buffer, n);
    size_t cut = path.find_last_of(u"\\/");
    return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut);
}

bool systemLanguageIsChinese() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE; }

std::u16string tempDir() {
    wchar_t buffer[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    return (n == 0 || n > MAX_PATH) ? std::u16string() : fromWide(buffer, n);
}

std::u16string systemDir() {
    wchar_t buffer[MAX_PATH];
    UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    return (n == 0 || n >= MAX_PATH) ? std::u16string() : fromWide(buffer, n);
}

std::u16string windowsDir() {
    wchar_t buffer[MAX_PATH];
    UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
    return (n == 0 || n >= MAX_PATH) ? std::u16string() : fromWide(buffer, n);
}

std::u16string systemWow64Dir() {
    wchar_t buffer[MAX_PATH];
    UINT n = GetSystemWow64DirectoryW(buffer, MAX_PATH);
    return (n == 0 || n >= MAX_PATH) ? std::u16string() : fromWide(buffer, n);
}

char16_t pathSeparator() { return u'\\'; }

bool fileExists(const std::u16string& path) {
    DWORD attributes = GetFileAttributesW(wstr(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool fileNamesIgnoreCase() { return true; }

bool directoryExists(const std::u16string& path) {
    DWORD attributes = GetFileAttributesW(wstr(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool createDirectories(const std::u16string& path) {
    int rc = SHCreateDirectoryExW(nullptr, wstr(path), nullptr);
    return rc == ERROR_SUCCESS || rc == ERROR_ALREADY_EXISTS || rc == ERROR_FILE_EXISTS;
}

bool removeFile(const std::u16string& path) { return DeleteFileW(wstr(path)) != 0; }

std::optional<std::vector<DirEntry>> listDirectory(const std::u16string& path) {
    std::vector<DirEntry> entries;
    WIN32_FIND_DATAW data;
    // The basic level skips the short names, and the large fetch reads a big
    // folder such as System32 in few calls (both from Windows 7 on).
    HANDLE find = FindFirstFileExW(wstr(joinPath(path, u"*")), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        bool absent = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
                      error == ERROR_DIRECTORY;
        if (absent) return entries;
        return std::nullopt;
    }
    do {
        std::u16string name = fromWide(data.cFileName);
        if (name == u"." || name == u"..") continue;
        entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find, &data));
    bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(find);
    if (!complete) return std::nullopt;
    return entries;
}

std::string embeddedResource(int resourceId) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!info) return {};
    HGLOBAL loaded = LoadResource(module, info);
    DWORD size = SizeofResource(module, info);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return {};
    return std::string(static_cast<const char*>(bytes), size);
}

namespace {
bool registryKeyExists(HKEY root, const std::u16string& subKey) {
    ScopedRegKey key;
    return RegOpenKeyExW(root, wstr(subKey), 0, KEY_READ, &key.key) == ERROR_SUCCESS;
}

constexpr wchar_t kPackageRepository[] =
    L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\"
    L"Repository\\Families";
constexpr DWORD kKeyNameBuffer = 256;  // registry key names have at most 255 characters
}  // namespace

bool uriSchemeRegistered(const std::u16string& scheme) { return registryKeyExists(HKEY_CLASSES_ROOT, scheme); }

std::optional<bool> packagedAppFamilyRegistered(const std::u16string& family) {
    ScopedRegKey repository;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kPackageRepository, 0, KEY_READ, &repository.key) != ERROR_SUCCESS)
        return std::nullopt;
    return registryKeyExists(repository.key, family);
}

std::optional<std::vector<std::u16string>> packagedAppFamilies() {
    ScopedRegKey repository;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kPackageRepository, 0, KEY_READ, &repository.key) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<std::u16string> families;
    wchar_t name[kKeyNameBuffer];
    for (DWORD index = 0;; ++index) {
        DWORD length = kKeyNameBuffer;
        LONG rc = RegEnumKeyExW(repository.key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) return families;
        if (rc != ERROR_SUCCESS) return std::nullopt;
        families.push_back(fromWide(name, length));
    }
}

void writeConsole(const std::u16string& text) {
    static HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteConsoleW(console, wstr(text), DWORD(text.size()), &written, nullptr);
}

}  // namespace platform
