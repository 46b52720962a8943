// Whole-file helpers. Paths are UTF-16; contents are raw bytes.
#pragma once

#include <cstdint>
#include <functional>
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
// Adds the bytes at the end of the file in one write, creating it when absent.
bool appendToFile(const std::u16string& path, const std::string& bytes);
// A file of the user's folder, %APPDATA%\Toolkeep, which is made when
// missing; empty when there is no roaming AppData folder.
std::u16string userFilePath(const std::u16string& name);
// Runs `work` while holding path + ".lock", which every writer of the file
// takes, in this process or another: a writer that reads, decides and writes
// is never interleaved with another. False, without running `work`, when the
// lock stays taken for longer than a writer ever holds it.
bool underFileLock(const std::u16string& path, const std::function<void()>& work);
