#include <windows.h>

#include "data/files.h"
#include "platform/win_handles.h"
#include "platform/win_text.h"

FileRead readFile(const std::u16string& path) {
    FileRead result;
    ScopedHandle file(CreateFileW(wstr(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
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
    }
    result.status = ReadStatus::Read;
    return result;
}

namespace {
bool writeFile(const std::u16string& path, const std::string& bytes, bool flush) {
    ScopedHandle file(CreateFileW(wstr(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD piece = DWORD(std::min<size_t>(bytes.size() - done, 0x100000));
        DWORD written = 0;
        if (!WriteFile(file.handle, bytes.data() + done, piece, &written, nullptr) || written != piece)
            return false;
        done += piece;
    }
    return !flush || FlushFileBuffers(file.handle);
}
}  // namespace

bool writeWholeFile(const std::u16string& path, const std::string& bytes) {
    return writeFile(path, bytes, false);
}

bool saveFileAtomically(const std::u16string& path, const std::string& bytes) {
    std::u16string temporary = path + u".tmp";
    if (!writeFile(temporary, bytes, true)) return false;
    if (MoveFileExW(wstr(temporary), wstr(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(wstr(temporary));  // the target is in use or protected: leave no stray copy beside it
    return false;
}

bool appendToFile(const std::u16string& path, const std::string& bytes) {
    ScopedHandle file(CreateFileW(wstr(path), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    DWORD written = 0;
    return WriteFile(file.handle, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
}

namespace {
// A writer holds the lock for one read and one write of a small file.
constexpr DWORD kLockWaitMs = 3000;
constexpr DWORD kLockRetryMs = 2;
}  // namespace

bool underFileLock(const std::u16string& path, const std::function<void()>& work) {
    const std::u16string lockPath = path + u".lock";
    DWORD started = GetTickCount();
    while (true) {
        // Opened without sharing, the file is the lock; it goes when closed.
        ScopedHandle lock(CreateFileW(wstr(lockPath), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (lock.valid()) {
            work();
            return true;
        }
        DWORD error = GetLastError();
        // Held by another writer, or being deleted by the last one.
        bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
        if (!busy || GetTickCount() - started >= kLockWaitMs) return false;
        Sleep(kLockRetryMs);
    }
}
