#include <windows.h>

#include "mcp/mcp_server.h"

std::optional<McpStream> openMcpStdio() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    // A process started without standard handles gets null ones: nothing to serve.
    if (input == INVALID_HANDLE_VALUE || output == INVALID_HANDLE_VALUE || !input || !output) return std::nullopt;
    McpStream stream;
    stream.read = [input](char* buffer, size_t capacity) -> size_t {
        DWORD got = 0;
        if (!ReadFile(input, buffer, DWORD(capacity), &got, nullptr)) return 0;
        return got;
    };
    stream.write = [output](const std::string& bytes) {
        DWORD written = 0;
        WriteFile(output, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    };
    return stream;
}
