#include <windows.h>

#include <string>

#include "data/files.h"
#include "platform/win_handles.h"
#include "platform/win_text.h"

namespace {

// Past this length a path reaches the file system only in its \\?\ form;
// shorter ones keep the form every tool expects. (Folders stop at 248.)
constexpr size_t kShortPathLimit = 248;
// A replace that meets a reader (or a scanner) tries again this long.
constexpr DWORD kReplaceRetryMs = 250;
constexpr DWORD kRetryPauseMs = 5;
// Unique names tried for a temporary file before giving up.
constexpr int kTemporaryAttempts = 64;

std::wstring systemPath(const std::u16string& path) {
    std::wstring wide(path.begin(), path.end());
    if (wide.size() < kShortPathLimit || wide.compare(0, 4, L"\\\\?\\") == 0) return wide;
    for (wchar_t& c : wide) c = c == L'/' ? L'\\' : c;
    if (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
    if (wide.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + wide.substr(2);
    return wide;
}

bool writeAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD piece = DWORD(std::min<size_t>(bytes.size() - done, 0x100000));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, piece, &written, nullptr) || written != piece) return false;
        done += piece;
    }
    return true;
}

std::u16string hex(unsigned long long value) {
    static const char16_t digits[] = u"0123456789abcdef";
    std::u16string text;
    do {
        text.insert(text.begin(), digits[value & 15]);
        value >>= 4;
    } while (value);
    return text;
}

// A file that did not exist before, beside path. CREATE_NEW never opens one
// already there, so a name the user gave another file is never taken.
HANDLE createTemporary(const std::u16string& path, std::u16string& name) {
    const std::u16string stem = path + u".~" + hex(GetCurrentProcessId()) + u"-" + hex(GetCurrentThreadId()) + u"-";
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        name = stem + hex(GetTickCount64() + unsigned(attempt)) + u".tmp";
        HANDLE file = CreateFileW(systemPath(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return INVALID_HANDLE_VALUE;
    }
    return INVALID_HANDLE_VALUE;
}

// MoveFileEx cannot replace a file another handle still has open (even one
// shared for deletion): that reader is gone within moments.
bool replaceFile(const std::u16string& from, const std::u16string& to) {
    const std::wstring source = systemPath(from), target = systemPath(to);
    const DWORD started = GetTickCount();
    while (true) {
        if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        DWORD error = GetLastError();
        bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
        if (!held || GetTickCount() - started >= kReplaceRetryMs) return false;
        Sleep(kRetryPauseMs);
    }
}

}  // namespace

FileRead readFileUpTo(const std::u16string& path, size_t maxBytes) {
    FileRead result;
    // Shared every way: a reader never stands in a writer's way.
    ScopedHandle file(CreateFileW(systemPath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        result.error = GetLastError();
        const bool absent = result.error == ERROR_FILE_NOT_FOUND || result.error == ERROR_PATH_NOT_FOUND;
        result.status = absent ? ReadStatus::Missing : ReadStatus::Failed;
        return result;
    }
    char block[8192];
    while (true) {
        DWORD got = 0;
        if (!ReadFile(file.handle, block, sizeof block, &got, nullptr)) {
            result.error = GetLastError();
            result.status = ReadStatus::Failed;
            result.bytes.clear();
            return result;
        }
        if (got == 0) break;
        result.bytes.append(block, got);
        if (result.bytes.size() > maxBytes) break;
    }
    result.status = ReadStatus::Read;
    return result;
}

FileRead readFile(const std::u16string& path) { return readFileUpTo(path, SIZE_MAX); }

bool writeWholeFile(const std::u16string& path, const std::string& bytes) {
    ScopedHandle file(CreateFileW(systemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() && writeAll(file.handle, bytes);
}

bool saveFileAtomically(const std::u16string& path, const std::string& bytes) {
    std::u16string temporary;
    ScopedHandle file(createTemporary(path, temporary));
    if (!file.valid()) return false;
    bool written = writeAll(file.handle, bytes) && FlushFileBuffers(file.handle);
    file.reset();
    if (written && replaceFile(temporary, path)) return true;
    DeleteFileW(systemPath(temporary).c_str());  // full disk, target in use or protected: no stray copy
    return false;
}

bool writeFileTail(const std::u16string& path, uint64_t length, const std::string& bytes) {
    ScopedHandle file(CreateFileW(systemPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(length);
    auto cut = [&] { return SetFilePointerEx(file.handle, at, nullptr, FILE_BEGIN) && SetEndOfFile(file.handle); };
    if (!cut()) return false;
    if (writeAll(file.handle, bytes)) return true;
    cut();  // a full disk took part of it: the file ends where it did
    return false;
}

LockOutcome underFileLock(const std::u16string& path, const std::function<void()>& work, uint32_t waitMs) {
    const std::wstring lockPath = systemPath(path + u".lock");
    const DWORD started = GetTickCount();
    while (true) {
        // Opened without sharing, the file is the lock while it is open. It
        // stays on disk: one being deleted would deny access to the next
        // writer, and access denied must mean a lock that cannot be had.
        ScopedHandle lock(CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (lock.valid()) {
            work();
            return LockOutcome::Held;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION) return LockOutcome::Failed;
        if (GetTickCount() - started >= waitMs) return LockOutcome::Busy;
        Sleep(kRetryPauseMs);
    }
}
