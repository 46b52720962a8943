#include "mcp/mcp_server.h"

#include "data/text.h"
#include "mcp/mcp_documents.h"
#include "mcp/mcp_tools.h"
#include "resources/version.h"

namespace {

constexpr int32_t kParseError = -32700;
constexpr int32_t kMethodNotFound = -32601;
constexpr int32_t kInvalidParams = -32602;
constexpr int32_t kUnsupportedProtocolVersion = -32022;

// The lists change only with the packs, which a running server never reads
// again: an hour of freshness is safe and spares hosts the re-listing.
constexpr const char* kListTtlMs = "3600000";

// Everything that differs between the protocol revisions this server speaks,
// newest first. A request is answered by the revision named in its "_meta"
// (stateless revisions), else by the one its connection's initialize chose,
// else by the newest handshake revision. 2025-03-26 is not offered: it
// requires JSON-RPC batches.
struct McpRevision {
    const char* version;
    bool handshake;  // chosen by initialize; otherwise named in each request's "_meta"
    bool plainInitialize;  // initialize answer as first shipped: tools only, no instructions
    bool argumentErrorsAsResults;  // bad tool arguments: an isError result the model reads, else -32602
    int32_t unknownToolCode;  // tools/call of a name no tool has
    bool ping;  // ping answered (the stateless revision removed it)
    bool resultFields;  // resultType and serverInfo on every result, ttlMs and cacheScope on lists
};
constexpr McpRevision kRevisions[] = {
    // version      handshake plainInit errorsAsResults unknownTool ping  resultFields
    {"2026-07-28", false, false, true, kInvalidParams, false, true},
    {"2025-11-25", true, false, true, kInvalidParams, true, false},
    {"2025-06-18", true, false, true, kInvalidParams, true, false},
    {"2024-11-05", true, true, false, kMethodNotFound, true, false},
};

const McpRevision* findRevision(const std::string& version) {
    for (const McpRevision& revision : kRevisions) {
        if (version == revision.version) return &revision;
    }
    return nullptr;
}

const McpRevision& newestHandshakeRevision() {
    for (const McpRevision& revision : kRevisions) {
        if (revision.handshake) return revision;
    }
    return kRevisions[0];
}

// initialize: the version asked for when this server speaks it by handshake, else the newest it does.
const McpRevision& handshakeRevision(const std::string& requested) {
    const McpRevision* asked = findRevision(requested);
    return asked && asked->handshake ? *asked : newestHandshakeRevision();
}

const std::string& supportedVersions() {
    static const std::string list = [] {
        std::string out = "[";
        for (const McpRevision& revision : kRevisions) {
            if (out.size() > 1) out += ',';
            out += std::string("\"") + revision.version + "\"";
        }
        return out + "]";
    }();
    return list;
}

const char kServerInfo[] = "{\"name\":\"toolkeep\",\"title\":\"Wrenly\",\"version\":\"" TOOLKEEP_VERSION_TEXT "\"}";
const char kCapabilities[] = "{\"tools\":{},\"prompts\":{}}";
const char kInstructions[] =
    "Wrenly 提供本机的 Windows 管理工具目录和离线排障剧本:按现象检索工具、查看工具详情、阅读剧本步骤,"
    "或把剧本当作提示词使用。它只读:不启动、不执行、不下载任何东西,也不联网;剧本命令附只读白名单判定,由用户自己运行。"
    "Wrenly offers this machine's Windows administration tools and offline troubleshooting playbooks: search "
    "tools by symptom, read a tool's details, read a playbook's steps, or use a playbook as a prompt. It only "
    "reads: it launches, runs and downloads nothing and opens no connection; playbook commands carry their "
    "read-only allowlist verdict and are run by the user.";

std::string initializeResult(const McpRevision& revision) {
    if (revision.plainInitialize) {
        return "{\"protocolVersion\":\"" + std::string(revision.version) +
               "\",\"capabilities\":{\"tools\":{}},\"serverInfo\":{\"name\":\"toolkeep\",\"version\":\"" +
               TOOLKEEP_VERSION_TEXT "\"}}";
    }
    return "{\"protocolVersion\":\"" + std::string(revision.version) + "\",\"capabilities\":" + kCapabilities +
           ",\"serverInfo\":" + kServerInfo + ",\"instructions\":\"" + kInstructions + "\"}";
}

std::string discoverBody() {
    return std::string("{\"supportedVersions\":") + supportedVersions() + ",\"capabilities\":" + kCapabilities +
           ",\"instructions\":\"" + kInstructions + "\"}";
}

// A result as the request's revision writes it. result is a JSON object.
std::string reply(const std::u16string& id, const McpRevision& revision, const std::string& result,
                  bool cacheable = false) {
    if (!revision.resultFields) return mcpResult(id, result);
    std::string out = std::string("{\"resultType\":\"complete\",\"_meta\":{\"io.modelcontextprotocol/serverInfo\":") +
                      kServerInfo + "}";
    if (result.size() > 2) out.append(",").append(result, 1, result.size() - 2);
    if (cacheable) out += std::string(",\"ttlMs\":") + kListTtlMs + ",\"cacheScope\":\"public\"";
    return mcpResult(id, out + "}");
}

std::string unsupportedVersion(const std::u16string& id, const std::u16string& requested) {
    return "{\"jsonrpc\":\"2.0\",\"id\":" + wideToUtf8(id) +
           ",\"error\":{\"code\":" + intToText(kUnsupportedProtocolVersion) +
           ",\"message\":\"Unsupported protocol version\",\"data\":{" + "\"supported\":" + supportedVersions() +
           ",\"requested\":" + jsonQuote(requested) + "}}}";
}

const JsonValue* requestMeta(const JsonValue* params) {
    const JsonValue* meta = params ? findMember(*params, u"_meta") : nullptr;
    return isKind(meta, JsonKind::Object) ? meta : nullptr;
}

std::string callTool(const JsonValue* params, const std::u16string& id, const McpRevision& revision,
                     const McpSources& sources) {
    std::u16string name;
    const JsonValue* arguments = nullptr;
    if (params) {
        name = getString(*params, u"name");
        arguments = findMember(*params, u"arguments");
    }
    const McpTool* tool = findMcpTool(name);
    if (!tool) return mcpError(id, revision.unknownToolCode, u"unknown tool: " + name);
    McpCall call;
    for (size_t i = 0; i < kMaxToolArguments && tool->arguments[i].name; ++i) {
        const JsonValue* value = arguments ? findMember(*arguments, asciiToWide(tool->arguments[i].name)) : nullptr;
        call.given[i] = isKind(value, JsonKind::String);
        if (call.given[i]) call.values[i] = value->text;
    }
    McpToolOutput out = tool->answer(call, sources);
    if (!out.problem.empty()) {
        if (!revision.argumentErrorsAsResults) return mcpError(id, kInvalidParams, out.problem);
        return reply(id, revision,
                     "{\"content\":[{\"type\":\"text\",\"text\":" + jsonQuote(out.problem) + "}],\"isError\":true}");
    }
    return reply(id, revision,
                 "{\"content\":[{\"type\":\"text\",\"text\":\"" + out.escaped +
                     "\"}],\"structuredContent\":" + out.structured + "}");
}

std::string getPrompt(const JsonValue* params, const std::u16string& id, const McpRevision& revision,
                      const McpSources& sources) {
    std::u16string name = params ? getString(*params, u"name") : std::u16string();
    std::string result =
        mcpPromptResult(sources.playbooks(), name, params ? findMember(*params, u"arguments") : nullptr);
    if (result.empty()) return mcpError(id, kInvalidParams, u"unknown prompt: " + name);
    return reply(id, revision, result);
}

std::string answer(const std::u16string& method, const JsonValue* params, const std::u16string& id,
                   const McpRevision& revision, const McpSources& sources) {
    if (method == u"tools/list") {
        static const std::string list = "{\"tools\":" + mcpToolDescriptors() + "}";
        return reply(id, revision, list, true);
    }
    if (method == u"tools/call") return callTool(params, id, revision, sources);
    if (method == u"prompts/list") {
        return reply(id, revision, "{\"prompts\":" + mcpPromptList(sources.playbooks()) + "}", true);
    }
    if (method == u"prompts/get") return getPrompt(params, id, revision, sources);
    if (method == u"server/discover") {
        // Always written with the stateless result fields: the method belongs to that revision.
        return reply(id, kRevisions[0], discoverBody(), true);
    }
    if (method == u"ping" && revision.ping) return mcpResult(id, "{}");
    return mcpError(id, kMethodNotFound, u"method not found: " + method);
}

}  // namespace

std::string mcpResult(const std::u16string& idText, const std::string& result) {
    return "{\"jsonrpc\":\"2.0\",\"id\":" + wideToUtf8(idText) + ",\"result\":" + result + "}";
}

std::string mcpError(const std::u16string& idText, int32_t code, const std::u16string& message) {
    return "{\"jsonrpc\":\"2.0\",\"id\":" + wideToUtf8(idText) + ",\"error\":{\"code\":" + intToText(code) +
           ",\"message\":" + jsonQuote(message) + "}}";
}

std::u16string mcpIdText(const JsonValue& request) {
    const JsonValue* id = findMember(request, u"id");
    if (id && id->kind == JsonKind::String) return utf8ToWide(jsonQuote(id->text));
    if (id && id->kind == JsonKind::Number) return asciiToWide(std::to_string(clampToInt64(id->number)));
    return u"null";
}

std::string handleMcpRequest(const std::string& line, const McpSources& sources, McpSession& session) {
    std::optional<JsonValue> request = parseJson(utf8ToWide(line));
    if (!request || request->kind != JsonKind::Object) return mcpError(u"null", kParseError, u"parse error");
    // A message without an id is a notification: never answered, whatever its method.
    if (!findMember(*request, u"id")) return {};
    std::u16string method = getString(*request, u"method");
    std::u16string id = mcpIdText(*request);
    const JsonValue* params = findMember(*request, u"params");
    if (params && params->kind != JsonKind::Object) params = nullptr;

    if (method == u"initialize") {
        const McpRevision& chosen =
            handshakeRevision(params ? wideToUtf8(getString(*params, u"protocolVersion")) : std::string());
        session.negotiatedVersion = chosen.version;
        return mcpResult(id, initializeResult(chosen));
    }
    const McpRevision* revision = findRevision(session.negotiatedVersion);
    if (!revision) revision = &newestHandshakeRevision();
    if (const JsonValue* meta = requestMeta(params)) {
        const JsonValue* version = findMember(*meta, u"io.modelcontextprotocol/protocolVersion");
        if (isKind(version, JsonKind::String)) {
            revision = findRevision(wideToUtf8(version->text));
            if (!revision) return unsupportedVersion(id, version->text);
        }
    }
    return answer(method, params, id, *revision, sources);
}

std::string handleMcpRequest(const std::string& line, McpSession& session) {
    static const McpSources processLists{mcpToolList, mcpPlaybookList, mcpToolDocuments, mcpPlaybookDocuments};
    return handleMcpRequest(line, processLists, session);
}

int serveMcp(const McpStream& stream, const std::function<std::string(const std::string&)>& handle,
             size_t maxLineBytes) {
    std::string buffer;
    size_t scanned = 0;  // bytes of buffer already known to hold no line feed
    bool discarding = false;  // the rest of an overlong line is being skipped
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
    McpSession session;
    return serveMcp(*stdio, [&session](const std::string& line) { return handleMcpRequest(line, session); });
}
