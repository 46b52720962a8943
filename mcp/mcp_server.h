// The read-only MCP server: JSON-RPC 2.0, one message per line on standard
// input and output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/json.h"
#include "data/tool_record.h"
#include "mcp/mcp_documents.h"
#include "playbooks/playbook.h"

// Serves until standard input ends; returns the process exit code.
int runMcpServer();

// What one client connection settled: the protocol version its initialize
// handshake chose (empty before any handshake). Requests that name their own
// version in "_meta" are answered by that version whatever this holds.
struct McpSession {
    std::string negotiatedVersion;
};

// The lists a request is answered from, fetched only when a request needs them.
struct McpSources {
    std::function<const std::vector<ToolRecord>&()> tools;
    std::function<const std::vector<Playbook>&()> playbooks;
    // Optional, built once so that answers need not rebuild them: the tool
    // documents of tools() and the full documents of playbooks().
    std::function<const McpDocuments&()> toolDocuments;
    std::function<const McpDocuments&()> playbookDocuments;
};

// One request line (UTF-8, without its line end) to its reply line, or an
// empty string when no reply is due.
std::string handleMcpRequest(const std::string& line, const McpSources& sources, McpSession& session);
// The same over the process's tool and playbook lists.
std::string handleMcpRequest(const std::string& line, McpSession& session);

// Reply envelopes. idText is the id as it goes on the wire ("null", "7", "\"abc\"").
std::string mcpResult(const std::u16string& idText, const std::string& result);
std::string mcpError(const std::u16string& idText, int32_t code, const std::u16string& message);
// The request's "id" as it goes back in the reply.
std::u16string mcpIdText(const JsonValue& request);

// A line that grows past this without a line feed is dropped with one parse error.
constexpr size_t kMaxMcpLineBytes = size_t(64) * 1024 * 1024;
constexpr size_t kMcpReadBlock = 4096;

// Byte streams the server runs on. read returns the count read, 0 at end of
// input or on failure; write sends one whole reply line.
struct McpStream {
    std::function<size_t(char* buffer, size_t capacity)> read;
    std::function<void(const std::string& bytes)> write;
};

// The standard handles of this process; empty when either is unusable.
std::optional<McpStream> openMcpStdio();

// The framing loop: cuts the input into lines and answers each before reading
// on. Returns 0 when input ends.
int serveMcp(const McpStream& stream, const std::function<std::string(const std::string&)>& handle,
             size_t maxLineBytes = kMaxMcpLineBytes);
