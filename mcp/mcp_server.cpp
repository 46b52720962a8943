#include "mcp/mcp_server.h"

#include "data/text.h"
#include "mcp/mcp_documents.h"
#include "resources/version.h"
#include "search/ranking.h"

namespace {

constexpr int32_t kParseError = -32700;
constexpr int32_t kMethodNotFound = -32601;
constexpr int32_t kInvalidParams = -32602;
constexpr size_t kSearchLimit = 10;

const char kInitializeResult[] =
    "{\"protocolVersion\":\"2024-11-05\",\"capabilities\":{\"tools\":{}},"
    "\"serverInfo\":{\"name\":\"toolkeep\",\"version\":\"" TOOLKEEP_VERSION_TEXT "\"}}";

std::string toolDescriptor(const char16_t* name, const char16_t* description, const char* property) {
    std::string schema = "{\"type\":\"object\",\"properties\":{}}";
    if (property) {
        schema = std::string("{\"type\":\"object\",\"properties\":{\"") + property +
                 "\":{\"type\":\"string\"}},\"required\":[\"" + property + "\"]}";
    }
    return "{\"name\":" + jsonQuote(name) + ",\"description\":" + jsonQuote(description) +
           ",\"inputSchema\":" + schema + "}";
}

const std::string& toolsListResult() {
    static const std::string result =
        "{\"tools\":[" +
        toolDescriptor(u"list_tools", u"列出全部可用工具(内置+外部推荐)。List all available tools.", nullptr) + "," +
        toolDescriptor(u"search_tools", u"按现象/关键词检索相关工具(中英)。Search tools by symptom/keywords.",
                       "query") +
        "," + toolDescriptor(u"get_tool_info", u"按 id 取工具详情。Get tool details by id.", "id") + "," +
        toolDescriptor(u"list_playbooks",
                       u"列出排障剧本(现象→分步排查;只读)。List troubleshooting playbooks.", nullptr) +
        "," +
        toolDescriptor(u"get_playbook",
                       u"按 id 取剧本全部步骤(含命令/工具/分支;命令仅只读白名单)。Get a playbook's full steps by id.",
                       "id") +
        "]}";
    return result;
}

// The text item is the escaped document; escaping works byte by byte, so
// escaped documents joined with "," inside "[" "]" escape the whole array.
std::string escapedToolText(const std::string& escapedDocument) {
    return "{\"content\":[{\"type\":\"text\",\"text\":\"" + escapedDocument + "\"}]}";
}

std::string escapedToolDocument(const McpSources& sources, const std::vector<ToolRecord>& tools, size_t index) {
    if (sources.escapedToolDocuments) {
        const std::vector<std::string>& documents = sources.escapedToolDocuments();
        if (index < documents.size()) return documents[index];
    }
    return jsonEscape(toolDocument(tools[index]));
}

std::string escapedToolArray(const McpSources& sources, const std::vector<ToolRecord>& tools,
                             const std::vector<size_t>& indices) {
    std::vector<std::string> documents;
    documents.reserve(indices.size());
    for (size_t index : indices) documents.push_back(escapedToolDocument(sources, tools, index));
    return jsonArrayOf(documents);
}

std::string callTool(const JsonValue& request, const std::u16string& id, const McpSources& sources) {
    const JsonValue* params = findMember(request, u"params");
    std::u16string name;
    const JsonValue* arguments = nullptr;
    if (params) {
        name = getString(*params, u"name");
        arguments = findMember(*params, u"arguments");
    }
    auto argument = [&](const char16_t* key) {
        return arguments ? getString(*arguments, key) : std::u16string();
    };

    if (name == u"list_tools") {
        const std::vector<ToolRecord>& tools = sources.tools();
        std::vector<size_t> all(tools.size());
        for (size_t i = 0; i < all.size(); ++i) all[i] = i;
        return mcpResult(id, escapedToolText(escapedToolArray(sources, tools, all)));
    }
    if (name == u"search_tools") {
        std::u16string query = argument(u"query");
        if (query.empty()) return mcpError(id, kInvalidParams, u"missing 'query'");
        const std::vector<ToolRecord>& tools = sources.tools();
        std::vector<size_t> hits;
        for (const ScoredIndex& hit : searchTools(query, tools, kSearchLimit)) {
            if (hit.index < tools.size()) hits.push_back(size_t(hit.index));
        }
        return mcpResult(id, escapedToolText(escapedToolArray(sources, tools, hits)));
    }
    if (name == u"get_tool_info") {
        std::u16string toolId = argument(u"id");
        const std::vector<ToolRecord>& tools = sources.tools();
        for (size_t i = 0; i < tools.size(); ++i) {
            if (tools[i].id == toolId) return mcpResult(id, escapedToolText(escapedToolDocument(sources, tools, i)));
        }
        return mcpError(id, kInvalidParams, u"unknown tool id");
    }
    if (name == u"list_playbooks") {
        std::vector<std::string> documents;
        for (const Playbook& playbook : sources.playbooks()) documents.push_back(playbookDocument(playbook, false));
        return mcpResult(id, mcpToolText(jsonArrayOf(documents)));
    }
    if (name == u"get_playbook") {
        const Playbook* playbook = findPlaybook(sources.playbooks(), argument(u"id"));
        if (!playbook) return mcpError(id, kInvalidParams, u"unknown playbook id");
        return mcpResult(id, mcpToolText(playbookDocument(*playbook, true)));
    }
    return mcpError(id, kMethodNotFound, u"unknown tool: " + name);
}

}  // namespace

std::string mcpResult(const std::u16string& idText, const std::string& result) {
    return "{\"jsonrpc\":\"2.0\",\"id\":" + wideToUtf8(idText) + ",\"result\":" + result + "}";
}

std::string mcpError(const std::u16string& idText, int32_t code, const std::u16string& message) {
    return "{\"jsonrpc\":\"2.0\",\"id\":" + wideToUtf8(idText) + ",\"error\":{\"code\":" + intToText(code) +
           ",\"message\":" + jsonQuote(message) + "}}";
}

std::string mcpToolText(const std::string& document) { return escapedToolText(jsonEscape(document)); }

std::u16string mcpIdText(const JsonValue& request) {
    const JsonValue* id = findMember(request, u"id");
    if (id && id->kind == JsonKind::String) return utf8ToWide(jsonQuote(id->text));
    if (id && id->kind == JsonKind::Number) return asciiToWide(std::to_string(clampToInt64(id->number)));
    return u"null";
}

std::string handleMcpRequest(const std::string& line, const McpSources& sources) {
    std::optional<JsonValue> request = parseJson(utf8ToWide(line));
    if (!request || request->kind != JsonKind::Object) return mcpError(u"null", kParseError, u"parse error");
    std::u16string method = getString(*request, u"method");
    std::u16string id = mcpIdText(*request);
    if (method == u"initialize") return mcpResult(id, kInitializeResult);
    if (method == u"tools/list") return mcpResult(id, toolsListResult());
    if (method == u"tools/call") return callTool(*request, id, sources);
    if (method == u"ping") return mcpResult(id, "{}");
    // Unknown methods without an id are notifications: never answered.
    if (!findMember(*request, u"id")) return {};
    return mcpError(id, kMethodNotFound, u"method not found: " + method);
}

std::string handleMcpRequest(const std::string& line) {
    static const McpSources processLists{mcpToolList, mcpPlaybookList, mcpEscapedToolDocuments};
    return handleMcpRequest(line, processLists);
}

int serveMcp(const McpStream& stream, const std::function<std::string(const std::string&)>& handle,
             size_t maxLineBytes) {
    std::string buffer;
    size_t scanned = 0;        // bytes of buffer already known to hold no line feed
    bool discarding = false;   // the rest of an overlong line is being skipped
    std::string block(kMcpReadBlock, '\0');
    while (true) {
        size_t got = stream.read(&block[0], block.size());
        if (got == 0) break;
        buffer.append(block.data(), got);
        size_t start = 0;
        while (true) {
            size_t lineFeed = buffer.find('\n', scanned);
            if (lineFeed == std::string::npos) break;
            size_t length = lineFeed - start;
            if (length > 0 && buffer[lineFeed - 1] == '\r') --length;
            if (discarding) {
                discarding = false;
            } else if (length > 0) {
                std::string reply = handle(buffer.substr(start, length));
                if (!reply.empty()) stream.write(reply + '\n');
            }
            start = scanned = lineFeed + 1;
        }
        buffer.erase(0, start);
        scanned = buffer.size();
        if (discarding || buffer.size() > maxLineBytes) {
            // Without this cap one endless line would exhaust memory.
            if (!discarding) stream.write(mcpError(u"null", kParseError, u"parse error") + '\n');
            discarding = true;
            buffer.clear();
            scanned = 0;
        }
    }
    return 0;
}

int runMcpServer() {
    std::optional<McpStream> stdio = openMcpStdio();
    if (!stdio) return 1;
    return serveMcp(*stdio, [](const std::string& line) { return handleMcpRequest(line); });
}
