// libFuzzer entry for the MCP server: one request line, or a byte stream cut
// into reads. Every reply must be one well-formed JSON-RPC object.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/json.h"
#include "data/text.h"
#include "mcp/mcp_server.h"

namespace {

void checkReply(const std::string& reply) {
    if (reply.empty()) return;
    if (reply.rfind("{\"jsonrpc\":\"2.0\",\"id\":", 0) != 0 || reply.find('\n') != std::string::npos) std::abort();
    auto parsed = parseJson(utf8ToWide(reply));
    if (!parsed || parsed->kind != JsonKind::Object) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    McpSession session;
    if (data[0] % 2 == 0) {
        checkReply(handleMcpRequest(bytes, session));
        return 0;
    }
    // Stream mode: reads of varying size and a small line cap.
    size_t offset = 0;
    size_t step = 1 + data[0] % 7;
    McpStream stream;
    stream.read = [&](char* buffer, size_t capacity) -> size_t {
        size_t n = std::min({step, capacity, bytes.size() - offset});
        std::copy(bytes.begin() + long(offset), bytes.begin() + long(offset + n), buffer);
        offset += n;
        step = step % 13 + 1;
        return n;
    };
    stream.write = [](const std::string& line) {
        if (line.empty() || line.back() != '\n') std::abort();
        checkReply(line.substr(0, line.size() - 1));
    };
    serveMcp(
        stream, [&session](const std::string& line) { return handleMcpRequest(line, session); }, 64);
    return 0;
}
