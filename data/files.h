// Whole-file helpers. Paths are UTF-16; contents are raw bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What a read found. Missing only when the file or its folder does not exist:
// a file that is there but cannot be read (in use, access denied, I/O error)
// must never be taken for an absent one and saved over.
enum class ReadStatus { Read, Missing, Failed };
struct FileRead {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
    uint32_t error = 0;  // the system's error code when not Read
};
FileRead readFile(const std::u16string& path);
// The bytes, or nothing when the file is missing or unreadable.
std::optional<std::string> readWholeFile(const std::u16string& path);
bool writeWholeFile(const std::u16string& path, const std::string& bytes);
// Writes path + ".tmp", flushes it to disk, then moves it over path.
// A failed write or move leaves the old file untouched (and removes the ".tmp"
// when the move failed).
bool saveFileAtomically(const std::u16string& path, const std::string& bytes);
