// The real toolkeep.exe --mcp-stdio on pipes, as an agent host drives it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "data/json.h"
#include "data/text.h"
#include "tests/e2e/exe_process.h"

namespace {

struct McpChild {
    PROCESS_INFORMATION info = {};
    HANDLE toChild = nullptr;
    HANDLE fromChild = nullptr;
    std::string pending;  // bytes read but not yet returned as a line
};

bool startServer(McpChild& child) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &child.toChild, &inherit, 1 << 20)) return false;
    if (!CreatePipe(&child.fromChild, &childOut, &inherit, 1 << 20)) return false;
    SetHandleInformation(child.toChild, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(child.fromChild, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = childOut;
    std::wstring commandLine = L"\"" + toolkeepExePath() + L"\" --MCP-STDIO";
    BOOL ok = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                             &child.info);
    CloseHandle(childIn);
    CloseHandle(childOut);
    return ok != 0;
}

void send(McpChild& child, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1 << 20)), written = 0;
        if (!WriteFile(child.toChild, bytes.data() + done, chunk, &written, nullptr) || written == 0) return;
        done += written;
    }
}

// The next reply line, or "<timeout>" / "<closed>".
std::string readLine(McpChild& child, DWORD milliseconds = 20000) {
    DWORD start = GetTickCount();
    while (true) {
        size_t lineFeed = child.pending.find('\n');
        if (lineFeed != std::string::npos) {
            std::string line = child.pending.substr(0, lineFeed);
            child.pending.erase(0, lineFeed + 1);
            return line;
        }
        DWORD available = 0;
        if (!PeekNamedPipe(child.fromChild, nullptr, 0, nullptr, &available, nullptr)) return "<closed>";
        if (available == 0) {
            if (GetTickCount() - start > milliseconds) return "<timeout>";
            Sleep(5);
            continue;
        }
        std::string block(available, '\0');
        DWORD got = 0;
        if (!ReadFile(child.fromChild, &block[0], available, &got, nullptr)) return "<closed>";
        child.pending.append(block.data(), got);
    }
}

std::string request(McpChild& child, const std::string& line) {
    send(child, line + "\n");
    return readLine(child);
}

// Ends input and returns the exit code; whatever the server still wrote stays in pending.
int finish(McpChild& child) {
    CloseHandle(child.toChild);
    child.toChild = nullptr;
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(child.info.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(child.info.hProcess, &code);
    else TerminateProcess(child.info.hProcess, 99);
    DWORD available = 0;
    while (PeekNamedPipe(child.fromChild, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        std::string block(available, '\0');
        DWORD got = 0;
        if (!ReadFile(child.fromChild, &block[0], available, &got, nullptr)) break;
        child.pending.append(block.data(), got);
    }
    CloseHandle(child.fromChild);
    CloseHandle(child.info.hProcess);
    CloseHandle(child.info.hThread);
    return int(code);
}

// The document a tools/call reply carries as text, parsed; with a key, that member of it.
JsonValue toolText(const std::string& reply, const char16_t* key = nullptr) {
    auto envelope = parseJson(utf8ToWide(reply));
    if (!envelope) return {};
    const JsonValue* result = findMember(*envelope, u"result");
    const JsonValue* content = result ? findMember(*result, u"content") : nullptr;
    if (!isKind(content, JsonKind::Array) || content->items.empty()) return {};
    auto document = parseJson(getString(content->items[0], u"text"));
    if (!document) return {};
    const JsonValue* member = key ? findMember(*document, key) : &*document;
    return member ? *member : JsonValue{};
}

std::string call(McpChild& child, int id, const std::string& name, const std::string& arguments) {
    return request(child, R"({"jsonrpc":"2.0","id":)" + std::to_string(id) +
                              R"(,"method":"tools/call","params":{"name":")" + name + R"(","arguments":)" +
                              arguments + "}}");
}

const char kParseError[] = R"({"jsonrpc":"2.0","id":null,"error":{"code":-32700,"message":"parse error"}})";

TEST(McpServerExe, SessionWithEveryToolThenEndOfInput) {
    McpChild child;
    ASSERT_TRUE(startServer(child));
    EXPECT_EQ(request(child, R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"protocolVersion":"2024-11-05","capabilities":{},"clientInfo":{"name":"e2e","version":"1"}}})"),
              R"({"jsonrpc":"2.0","id":1,"result":{"protocolVersion":"2024-11-05","capabilities":{"tools":{}},"serverInfo":{"name":"toolkeep","version":"2.0.1.23"}}})");
    send(child, "{\"jsonrpc\":\"2.0\",\"method\":\"notifications/initialized\"}\r\n");
    EXPECT_EQ(request(child, R"({"jsonrpc":"2.0","id":"p","method":"ping"})"),
              R"({"jsonrpc":"2.0","id":"p","result":{}})");

    JsonValue listed = *parseJson(utf8ToWide(request(child, R"({"jsonrpc":"2.0","id":2,"method":"tools/list"})")));
    const JsonValue* tools = findMember(*findMember(listed, u"result"), u"tools");
    ASSERT_TRUE(isKind(tools, JsonKind::Array));
    ASSERT_EQ(tools->items.size(), 6u);
    EXPECT_EQ(getString(tools->items[4], u"name"), u"get_playbook");
    EXPECT_EQ(getString(tools->items[5], u"name"), u"check_step_output");
    for (const JsonValue& tool : tools->items) EXPECT_TRUE(getBool(*findMember(tool, u"annotations"), u"readOnlyHint", false));

    JsonValue all = toolText(call(child, 3, "list_tools", "{}"), u"tools");
    ASSERT_EQ(all.kind, JsonKind::Array);
    ASSERT_FALSE(all.items.empty());
    const JsonValue& first = all.items[0];
    JsonValue info = toolText(call(child, 4, "get_tool_info", R"({"id":)" + jsonQuote(getString(first, u"id")) + "}"));
    EXPECT_EQ(getString(info, u"name"), getString(first, u"name"));
    // Built-in tools the machine lacks are hidden; external ones come last, never available.
    EXPECT_EQ(getString(all.items.back(), u"kind"), u"external");
    EXPECT_FALSE(getBool(all.items.back(), u"available", true));

    JsonValue hits = toolText(call(child, 5, "search_tools", R"({"query":"\u7f51\u7edc\u4e0d\u901a"})"), u"tools");
    ASSERT_EQ(hits.kind, JsonKind::Array);
    EXPECT_LE(hits.items.size(), 10u);

    JsonValue playbooks = toolText(call(child, 6, "list_playbooks", "{}"), u"playbooks");
    ASSERT_EQ(playbooks.kind, JsonKind::Array);
    if (!playbooks.items.empty()) {
        std::u16string id = getString(playbooks.items[0], u"id");
        JsonValue full = toolText(call(child, 7, "get_playbook", R"({"id":)" + jsonQuote(id) + "}"));
        EXPECT_EQ(getString(full, u"id"), id);
        EXPECT_TRUE(isKind(findMember(full, u"steps"), JsonKind::Array));
    }
    EXPECT_EQ(call(child, 8, "get_playbook", R"({"id":"nope"})"),
              R"({"jsonrpc":"2.0","id":8,"error":{"code":-32602,"message":"unknown playbook id"}})");
    // A request of the stateless revision names its own version, and its rules apply.
    EXPECT_NE(request(child, R"({"jsonrpc":"2.0","id":9,"method":"tools/call","params":{"name":"get_playbook","arguments":{"id":"nope"},"_meta":{"io.modelcontextprotocol/protocolVersion":"2026-07-28"}}})")
                  .find(R"("content":[{"type":"text","text":"unknown playbook id"}],"isError":true})"),
              std::string::npos);
    EXPECT_EQ(finish(child), 0);
}

TEST(McpServerExe, EndlessLineIsDroppedWithOneParseError) {
    McpChild child;
    ASSERT_TRUE(startServer(child));
    std::string chunk(1 << 20, 'x');
    for (int i = 0; i < 70; ++i) send(child, chunk);
    send(child, "\n{\"id\":1,\"method\":\"ping\"}\n");
    EXPECT_EQ(readLine(child), kParseError);
    EXPECT_EQ(readLine(child), R"({"jsonrpc":"2.0","id":1,"result":{}})");
    EXPECT_EQ(finish(child), 0);
}

TEST(McpServerExe, InvalidStandardHandlesExitWithOne) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = INVALID_HANDLE_VALUE;
    startup.hStdError = INVALID_HANDLE_VALUE;
    std::wstring commandLine = L"\"" + toolkeepExePath() + L"\" --mcp-stdio";
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &info));
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
    else TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    EXPECT_EQ(code, 1u);
}

}  // namespace
