#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "mcp/mcp_server.h"

std::optional<McpStream> openMcpStdio() {
    if (fcntl(STDIN_FILENO, F_GETFD) == -1 || fcntl(STDOUT_FILENO, F_GETFD) == -1) return std::nullopt;
    // A reader that went away must not end the server; the write just fails.
    signal(SIGPIPE, SIG_IGN);
    McpStream stream;
    stream.read = [](char* buffer, size_t capacity) -> size_t {
        while (true) {
            ssize_t got = ::read(STDIN_FILENO, buffer, capacity);
            if (got >= 0) return size_t(got);
            if (errno != EINTR) return 0;
        }
    };
    stream.write = [](const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;
            done += size_t(n);
        }
    };
    return stream;
}
