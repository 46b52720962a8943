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
