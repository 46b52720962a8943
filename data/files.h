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
// A file longer than maxBytes is read only a little past it: enough to tell it is too long.
FileRead readFileUpTo(const std::u16string& path, size_t maxBytes);
// The bytes, or nothing when the file is missing or unreadable.
std::optional<std::string> readWholeFile(const std::u16string& path);
bool writeWholeFile(const std::u16string& path, const std::string& bytes);
// Writes the bytes to a new file of a unique name beside path (made so that
// no file already there is replaced), flushes it, then moves it over path,
// trying again for a moment while a reader still has path open. Any failure
// leaves the old file untouched and removes the new one.
bool saveFileAtomically(const std::u16string& path, const std::string& bytes);
// Cuts the file (created when absent) to `length` bytes and writes the bytes
// after them, in one write. A failed write cuts it back to `length`, so the
// file never keeps part of the bytes.
bool writeFileTail(const std::u16string& path, uint64_t length, const std::string& bytes);
// A file of the user's folder, %APPDATA%\Toolkeep, which is made when
// missing; empty when there is no roaming AppData folder.
std::u16string userFilePath(const std::u16string& name);

// How long a writer waits for another: a worker as long as a writer ever
// holds the lock, the window's thread no more than a moment.
constexpr uint32_t kLockWaitMs = 3000;
constexpr uint32_t kLockMomentMs = 200;
enum class LockOutcome {
    Held,  // the work ran under the lock
    Busy,  // another writer held it for longer than the wait
    Failed,  // the lock file cannot be opened at all (access denied, no folder)
};
// Runs `work` while holding path + ".lock", which every reader-merger-writer
// of the file takes, in this process or another: a writer that reads, decides
// and writes is never interleaved with another. `work` runs only when Held.
LockOutcome underFileLock(const std::u16string& path, const std::function<void()>& work, uint32_t waitMs);
