#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>

#include "data/files.h"
#include "data/text.h"

namespace {
struct ScopedFd {
    int fd;
    ~ScopedFd() {
        if (fd >= 0) close(fd);
    }
};

bool writeFile(const std::u16string& path, const std::string& bytes, bool flush) {
    ScopedFd file{open(wideToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)};
    if (file.fd < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        size_t piece = std::min<size_t>(bytes.size() - done, 0x100000);
        ssize_t written = write(file.fd, bytes.data() + done, piece);
        if (written != ssize_t(piece)) return false;
        done += piece;
    }
    return !flush || fsync(file.fd) == 0;
}
}  // namespace

FileRead readFile(const std::u16string& path) {
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
    }
    result.status = ReadStatus::Read;
    return result;
}

bool writeWholeFile(const std::u16string& path, const std::string& bytes) {
    return writeFile(path, bytes, false);
}

bool saveFileAtomically(const std::u16string& path, const std::string& bytes) {
    std::u16string temporary = path + u".tmp";
    if (!writeFile(temporary, bytes, true)) return false;
    if (std::rename(wideToUtf8(temporary).c_str(), wideToUtf8(path).c_str()) == 0) return true;
    std::remove(wideToUtf8(temporary).c_str());  // leave no stray copy beside the target
    return false;
}

bool appendToFile(const std::u16string& path, const std::string& bytes) {
    ScopedFd file{open(wideToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644)};
    if (file.fd < 0) return false;
    return write(file.fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
}

bool underFileLock(const std::u16string& path, const std::function<void()>& work) {
    ScopedFd lock{open(wideToUtf8(path + u".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)};
    if (lock.fd < 0 || flock(lock.fd, LOCK_EX) != 0) return false;
    work();
    return true;  // closing the descriptor releases the lock
}
