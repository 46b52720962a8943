#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "data/files.h"
#include "data/text.h"

namespace {
// Unique names tried for a temporary file before giving up.
constexpr int kTemporaryAttempts = 64;
constexpr int kRetryPauseMs = 5;

struct ScopedFd {
    int fd;
    ~ScopedFd() {
        if (fd >= 0) close(fd);
    }
};

bool writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        size_t piece = std::min<size_t>(bytes.size() - done, 0x100000);
        ssize_t written = write(fd, bytes.data() + done, piece);
        if (written != ssize_t(piece)) return false;
        done += piece;
    }
    return true;
}

// A file that did not exist before, beside path (O_EXCL never opens one already there).
int createTemporary(const std::u16string& path, std::string& name) {
    const std::string stem = wideToUtf8(path) + ".~" + std::to_string(getpid()) + "-";
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        name = stem + std::to_string(uint64_t(clock()) + uint64_t(attempt)) + ".tmp";
        int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}
}  // namespace

FileRead readFileUpTo(const std::u16string& path, size_t maxBytes) {
    FileRead result;
    ScopedFd file{open(wideToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) {
        result.error = uint32_t(errno);
        result.status = errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Failed;
        return result;
    }
    char block[8192];
    while (true) {
        ssize_t got = read(file.fd, block, sizeof block);
        if (got < 0) {
            result.error = uint32_t(errno);
            result.status = ReadStatus::Failed;
            result.bytes.clear();
            return result;
        }
        if (got == 0) break;
        result.bytes.append(block, size_t(got));
        if (result.bytes.size() > maxBytes) break;
    }
    result.status = ReadStatus::Read;
    return result;
}

FileRead readFile(const std::u16string& path) { return readFileUpTo(path, SIZE_MAX); }

bool writeWholeFile(const std::u16string& path, const std::string& bytes) {
    ScopedFd file{open(wideToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)};
    return file.fd >= 0 && writeAll(file.fd, bytes);
}

bool saveFileAtomically(const std::u16string& path, const std::string& bytes) {
    std::string temporary;
    int fd = createTemporary(path, temporary);
    if (fd < 0) return false;
    bool written = writeAll(fd, bytes) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (written && std::rename(temporary.c_str(), wideToUtf8(path).c_str()) == 0) return true;
    std::remove(temporary.c_str());  // leave no stray copy beside the target
    return false;
}

bool writeFileTail(const std::u16string& path, uint64_t length, const std::string& bytes) {
    ScopedFd file{open(wideToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644)};
    if (file.fd < 0) return false;
    auto cut = [&] { return ftruncate(file.fd, off_t(length)) == 0 && lseek(file.fd, off_t(length), SEEK_SET) >= 0; };
    if (!cut()) return false;
    if (writeAll(file.fd, bytes)) return true;
    cut();  // a full disk took part of it: the file ends where it did
    return false;
}

LockOutcome underFileLock(const std::u16string& path, const std::function<void()>& work, uint32_t waitMs) {
    ScopedFd lock{open(wideToUtf8(path + u".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)};
    if (lock.fd < 0) return LockOutcome::Failed;
    for (uint32_t waited = 0; flock(lock.fd, LOCK_EX | LOCK_NB) != 0; waited += kRetryPauseMs) {
        if (errno != EWOULDBLOCK && errno != EINTR) return LockOutcome::Failed;
        if (waited >= waitMs) return LockOutcome::Busy;
        usleep(kRetryPauseMs * 1000);
    }
    work();
    return LockOutcome::Held;  // closing the descriptor releases the lock
}
