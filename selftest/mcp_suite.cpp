// Drives the request handler directly: no standard input, no standard output.
#include <initializer_list>

#include "mcp/mcp_server.h"
#include "selftest/harness.h"
#include "selftest/suites.h"

namespace {

struct McpCheck {
    const char* request;
    std::initializer_list<const char*> mustContain;  // empty: the reply itself must be empty
    const char16_t* description;
};

bool replyPasses(const McpCheck& check, McpSession& session) {
    std::string reply = handleMcpRequest(check.request, session);
    if (check.mustContain.size() == 0) return reply.empty();
    if (reply.empty()) return false;
    for (const char* part : check.mustContain) {
        if (reply.find(part) == std::string::npos) return false;
    }
    return true;
}

}  // namespace

int runMcpSuite() {
    static const McpCheck checks[] = {
        {R"({"jsonrpc":"2.0","id":1,"method":"initialize"})",
         {"\"id\":1", "serverInfo", "protocolVersion"},
         u"initialize 返回 serverInfo/协议"},
        {R"({"jsonrpc":"2.0","id":2,"method":"tools/list"})",
         {"list_tools", "search_tools", "get_tool_info", "list_playbooks", "get_playbook"},
         u"tools/list 含工具与剧本接口"},
        {R"({"jsonrpc":"2.0","id":3,"method":"tools/call","params":{"name":"list_tools","arguments":{}}})",
         {"\"content\"", "\"id\""},
         u"tools/call list_tools 返回 content"},
        {R"({"jsonrpc":"2.0","id":4,"method":"tools/call","params":{"name":"search_tools","arguments":{"query":"\u7f51\u7edc"}}})",
         {"\"content\"", "\"id\":4"},
         u"search_tools 有结果(网络)"},
        {R"({"jsonrpc":"2.0","id":6,"method":"tools/call","params":{"name":"list_playbooks","arguments":{}}})",
         {"\"content\"", "net.no-internet"},
         u"list_playbooks 含剧本"},
        {R"({"jsonrpc":"2.0","id":7,"method":"tools/call","params":{"name":"get_playbook","arguments":{"id":"net.no-internet"}}})",
         {"steps", "action", "net.no-internet"},
         u"get_playbook 返回步骤"},
        {R"({"jsonrpc":"2.0","id":8,"method":"tools/call","params":{"name":"get_playbook","arguments":{"id":"nope"}}})",
         {"\"isError\":true", "unknown playbook id"},
         u"get_playbook 未知 id 返回 isError 结果"},
        {R"({"jsonrpc":"2.0","id":9,"method":"tools/list"})",
         {"\"readOnlyHint\":true", "\"openWorldHint\":false", "\"outputSchema\""},
         u"tools/list 工具带只读标注与输出结构"},
        {R"({"jsonrpc":"2.0","id":10,"method":"prompts/get","params":{"name":"net.no-internet","arguments":{"gateway":"192.0.2.1"}}})",
         {"\"messages\"", "ping -n 4 192.0.2.1"},
         u"剧本作为提示词(prompts/get 填入占位符)"},
        {R"({"jsonrpc":"2.0","id":11,"method":"server/discover","params":{"_meta":{"io.modelcontextprotocol/protocolVersion":"2026-07-28"}}})",
         {"\"supportedVersions\":[\"2026-07-28\"", "\"resultType\":\"complete\""},
         u"server/discover(2026-07-28 无握手)"},
        {R"({"jsonrpc":"2.0","id":5,"method":"no_such_method"})", {"-32601", "\"error\""}, u"未知方法返回 -32601"},
        {R"({"jsonrpc":"2.0","method":"notifications/initialized"})", {}, u"通知(无id)不应答"},
    };
    SuiteLog log = openSuiteLog(u"toolkeep-mcp-selftest.log");
    writeSuiteLine(log, u"== MCP 只读服务自检 ==");
    McpSession session;
    for (const McpCheck& check : checks) suiteCheck(log, replyPasses(check, session), check.description);
    return finishSuite(log);
}
