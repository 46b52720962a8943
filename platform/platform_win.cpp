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

bool unsetEnv(const std::u16string& name) {
    return SetEnvironmentVariableW(wstr(name), nullptr) != 0;
}

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

bool directoryExists(const std::u16string& path) {
    DWORD attributes = GetFileAttributesW(wstr(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool createDirectories(const std::u16string& path) {
    int rc = SHCreateDirectoryExW(nullptr, wstr(path), nullptr);
    return rc == ERROR_SUCCESS || rc == ERROR_ALREADY_EXISTS || rc == ERROR_FILE_EXISTS;
}

bool removeFile(const std::u16string& path) { return DeleteFileW(wstr(path)) != 0; }

std::vector<DirEntry> listDirectory(const std::u16string& path) {
    std::vector<DirEntry> entries;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wstr(joinPath(path, u"*")), &data);
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
        std::u16string name = fromWide(data.cFileName);
        if (name == u"." || name == u"..") continue;
        entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find, &data));
    FindClose(find);
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
}  // namespace

bool uriSchemeRegistered(const std::u16string& scheme) {
    return registryKeyExists(HKEY_CLASSES_ROOT, scheme);
}

std::optional<bool> packagedAppFamilyRegistered(const std::u16string& family) {
    static const wchar_t kRepository[] =
        L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\"
        L"Repository\\Families";
    ScopedRegKey repository;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRepository, 0, KEY_READ, &repository.key) != ERROR_SUCCESS)
        return std::nullopt;
    return registryKeyExists(repository.key, family);
}

void writeConsole(const std::u16string& text) {
    static HANDLE console = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteConsoleW(console, wstr(text), DWORD(text.size()), &written, nullptr);
}

}  // namespace platform
