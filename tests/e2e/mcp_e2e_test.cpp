// The real toolkeep.exe --mcp-stdio on pipes, at the limits of its input: a whole
// session is the MCP client's (tests/mcp-client), run by the test command.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

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
    BOOL ok =
        CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child.info);
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

// Ends input and returns the exit code; whatever the server still wrote stays in pending.
int finish(McpChild& child) {
    CloseHandle(child.toChild);
    child.toChild = nullptr;
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(child.info.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(child.info.hProcess, &code);
    else
        TerminateProcess(child.info.hProcess, 99);
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

const char kParseError[] = R"({"jsonrpc":"2.0","id":null,"error":{"code":-32700,"message":"parse error"}})";

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
    ASSERT_TRUE(
        CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    else
        TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    EXPECT_EQ(code, 1u);
}

}  // namespace
