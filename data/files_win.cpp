#include <windows.h>

#include "data/files.h"
#include "platform/win_handles.h"
#include "platform/win_text.h"

std::optional<std::string> readWholeFile(const std::u16string& path) {
    ScopedHandle file(CreateFileW(wstr(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::nullopt;
    std::string bytes;
    char block[8192];
    while (true) {
        DWORD got = 0;
        if (!ReadFile(file.handle, block, sizeof block, &got, nullptr)) return std::nullopt;
        if (got == 0) return bytes;
        bytes.append(block, got);
    }
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
    return MoveFileExW(wstr(temporary), wstr(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
