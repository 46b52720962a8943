#include <gtest/gtest.h>

#include <algorithm>

#include "mcp/mcp_documents.h"
#include "mcp/mcp_server.h"

namespace {

const char kParseError[] = R"({"jsonrpc":"2.0","id":null,"error":{"code":-32700,"message":"parse error"}})";

// A step of the type with its command (command steps) or its reference.
PlaybookStep step(const char16_t* id, StepActionType type, const char16_t* target = u"") {
    PlaybookStep s;
    s.id = id;
    s.actionType = type;
    (type == StepActionType::Command ? s.command : s.ref) = target;
    return s;
}

struct Fixture {
    std::vector<ToolRecord> tools;
    std::vector<Playbook> playbooks;
    int fetches = 0;

    Fixture() {
        ToolRecord builtin;
        builtin.id = u"builtin.x";
        builtin.name = u"甲工具";
        builtin.category = u"system";
        builtin.fileName = u"x.msc";
        builtin.homepage = u"https://not-shown";
        builtin.path = u"not shown";
        ToolRecord external;
        external.id = u"ext.y";
        external.name = u"Yak";
        external.nameEn = u"Yak";
        external.category = u"external";
        external.description = u"d\t\"";
        external.homepage = u"https://y";
        external.isExternal = true;
        external.isInstalled = false;
        ToolRecord custom;
        custom.id = u"my.z";
        custom.name = u"Zed";
        custom.descriptionEn = u"E";
        custom.homepage = u"https://not-shown";
        custom.isCustom = true;
        tools = {builtin, external, custom};

        Playbook playbook;
        playbook.id = u"pb.one";
        playbook.title = u"断网";
        playbook.summary = u"s";
        playbook.tags = {u"a", u"b"};
        PlaybookStep note = step(u"s1", StepActionType::Note);
        note.text = u"看";
        note.textEn = u"Look";
        note.hint = u"h\u0001";
        note.branches = {{u"ok", u"好", u"", u"s2"}, {u"fail", u"坏", u"Bad", u"playbook:x#y"}};
        PlaybookStep refused = step(u"s2", StepActionType::Command, u"del {x}");
        refused.shell = u"";
        refused.enabled = false;
        refused.disabledReason = u"r";
        refused.disabledReasonEn = u"r-en";
        PlaybookStep allowed = step(u"s3", StepActionType::Command, u"del {x}");
        allowed.shell = u"powershell";
        PlaybookStep url = step(u"s4", StepActionType::OpenUrl, u"http://x");
        url.enabled = false;
        url.disabledReason = u"https only";
        playbook.steps = {note, refused, allowed, url, step(u"s5", StepActionType::Tool, u"builtin.x"),
                          step(u"s6", StepActionType::Unrecognised)};
        Playbook bare;
        bare.id = u"pb.two";
        bare.title = u"T";
        bare.titleEn = u"TE";
        bare.category = u"net";
        playbooks = {playbook, bare};
    }

    McpSources sources() {
        return {[this]() -> const std::vector<ToolRecord>& { ++fetches; return tools; },
                [this]() -> const std::vector<Playbook>& { ++fetches; return playbooks; }, {}};
    }
    std::string ask(const std::string& line) { return handleMcpRequest(line, sources()); }
    std::string call(const std::string& name, const std::string& arguments, const std::string& id = "9") {
        return ask(R"({"id":)" + id + R"(,"method":"tools/call","params":{"name":")" + name +
                   R"(","arguments":)" + arguments + "}}");
    }
};

const char kBuiltinDoc[] =
    R"({"id":"builtin.x","name":"甲工具","category":"system","kind":"builtin","available":true,"file":"x.msc"})";
const char kExternalDoc[] =
    R"({"id":"ext.y","name":"Yak","nameEn":"Yak","category":"external","kind":"external","available":false,)"
    R"("description":"d\t\"","homepage":"https://y"})";
const char kCustomDoc[] =
    R"({"id":"my.z","name":"Zed","category":"custom","kind":"custom","available":true,"descriptionEn":"E"})";

TEST(McpEnvelope, ExactBytes) {
    EXPECT_EQ(mcpResult(u"7", "{}"), R"({"jsonrpc":"2.0","id":7,"result":{}})");
    EXPECT_EQ(mcpError(u"\"a\"", -32602, u"bad \"x\"\n"),
              R"({"jsonrpc":"2.0","id":"a","error":{"code":-32602,"message":"bad \"x\"\n"}})");
    EXPECT_EQ(mcpToolText("[{\"a\":\"b\\\\c\"}]"),
              R"({"content":[{"type":"text","text":"[{\"a\":\"b\\\\c\"}]"}]})");
}

TEST(McpEnvelope, IdsOfEveryKind) {
    Fixture f;
    struct Case {
        const char* id;
        const char* wire;
    } cases[] = {
        {"1", "1"}, {"7.8", "7"}, {"-2.5", "-2"}, {"-0.5", "0"}, {"1e3", "1000"},
        {"1e300", "9223372036854775807"}, {"-1e300", "-9223372036854775808"}, {"1e999", "9223372036854775807"},
        {"\"abc\"", "\"abc\""}, {R"("a\"\u0001\ud800")", "\"a\\\"\\u0001\xEF\xBF\xBD\""}, {"\"\"", "\"\""},
        {"null", "null"}, {"true", "null"}, {"false", "null"}, {"[1]", "null"}, {"{\"id\":1}", "null"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(f.ask(std::string(R"({"jsonrpc":"2.0","method":"ping","id":)") + c.id + "}"),
                  std::string(R"({"jsonrpc":"2.0","id":)") + c.wire + R"(,"result":{}})")
            << c.id;
    }
    EXPECT_EQ(f.ask(R"({"method":"ping"})"), R"({"jsonrpc":"2.0","id":null,"result":{}})");
}

TEST(McpMethods, FixedReplies) {
    Fixture f;
    EXPECT_EQ(f.ask(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":7})"),
              R"({"jsonrpc":"2.0","id":1,"result":{"protocolVersion":"2024-11-05","capabilities":{"tools":{}},)"
              R"("serverInfo":{"name":"toolkeep","version":"2.0.1.23"}}})");
    EXPECT_EQ(
        f.ask(R"({"id":2,"method":"tools/list"})"),
        R"({"jsonrpc":"2.0","id":2,"result":{"tools":[)"
        R"({"name":"list_tools","description":"列出全部可用工具(内置+外部推荐)。List all available tools.","inputSchema":{"type":"object","properties":{}}},)"
        R"({"name":"search_tools","description":"按现象/关键词检索相关工具(中英)。Search tools by symptom/keywords.","inputSchema":{"type":"object","properties":{"query":{"type":"string"}},"required":["query"]}},)"
        R"({"name":"get_tool_info","description":"按 id 取工具详情。Get tool details by id.","inputSchema":{"type":"object","properties":{"id":{"type":"string"}},"required":["id"]}},)"
        R"({"name":"list_playbooks","description":"列出排障剧本(现象→分步排查;只读)。List troubleshooting playbooks.","inputSchema":{"type":"object","properties":{}}},)"
        R"({"name":"get_playbook","description":"按 id 取剧本全部步骤(含命令/工具/分支;命令仅只读白名单)。Get a playbook's full steps by id.","inputSchema":{"type":"object","properties":{"id":{"type":"string"}},"required":["id"]}}]}})");
    EXPECT_EQ(f.ask(R"({"id":5,"method":"no_such_method"})"),
              R"({"jsonrpc":"2.0","id":5,"error":{"code":-32601,"message":"method not found: no_such_method"}})");
    EXPECT_EQ(f.ask(R"({"id":null})"),
              R"({"jsonrpc":"2.0","id":null,"error":{"code":-32601,"message":"method not found: "}})");
    EXPECT_EQ(f.ask(R"({"id":1,"method":"Ping"})").find("-32601"), 40u);
    for (const char* quiet : {R"({"jsonrpc":"2.0","method":"notifications/initialized"})", "{}",
                              R"({"method":"notifications/cancelled","params":{"requestId":1}})"}) {
        EXPECT_EQ(f.ask(quiet), "") << quiet;
    }
    EXPECT_EQ(f.fetches, 0);  // the lists are fetched only by tool calls
}

TEST(McpTools, DocumentsByteForByte) {
    Fixture f;
    EXPECT_EQ(f.call("list_tools", "{}", "3"),
              mcpResult(u"3", mcpToolText(std::string("[") + kBuiltinDoc + "," + kExternalDoc + "," + kCustomDoc +
                                          "]")));
    EXPECT_EQ(f.call("get_tool_info", R"({"id":"ext.y"})"), mcpResult(u"9", mcpToolText(kExternalDoc)));
    EXPECT_EQ(f.call("list_playbooks", "{}"),
              mcpResult(u"9", mcpToolText(
                                  R"([{"id":"pb.one","title":"断网","category":"playbooks","summary":"s","tags":["a","b"],"stepCount":6},)"
                                  R"({"id":"pb.two","title":"T","titleEn":"TE","category":"net","tags":[],"stepCount":0}])")));
    EXPECT_EQ(
        playbookDocument(f.playbooks[0], true),
        R"({"id":"pb.one","title":"断网","category":"playbooks","summary":"s","tags":["a","b"],"stepCount":6,"steps":[)"
        R"({"id":"s1","text":"看","textEn":"Look","hint":"h\u0001","action":{"type":"note"},"branches":[)"
        R"({"when":"ok","label":"好","goto":"s2"},{"when":"fail","label":"坏","labelEn":"Bad","goto":"playbook:x#y"}]},)"
        R"({"id":"s2","text":"","action":{"type":"command","shell":"cmd","command":"del {x}","allowed":false,"disabledReason":"r","disabledReasonEn":"r-en"}},)"
        R"({"id":"s3","text":"","action":{"type":"command","shell":"powershell","command":"del {x}","allowed":true}},)"
        R"({"id":"s4","text":"","action":{"type":"open-url","ref":"http://x","allowed":false}},)"
        R"({"id":"s5","text":"","action":{"type":"tool","ref":"builtin.x"}},)"
        R"({"id":"s6","text":"","action":{"type":"note"}}]})");
    EXPECT_EQ(f.call("get_playbook", R"({"id":"pb.one"})"),
              mcpResult(u"9", mcpToolText(playbookDocument(f.playbooks[0], true))));
}

TEST(McpTools, SearchAndErrors) {
    Fixture f;
    EXPECT_EQ(f.call("search_tools", R"({"query":"open zed please"})"),
              mcpResult(u"9", mcpToolText(std::string("[") + kCustomDoc + "]")));
    EXPECT_EQ(f.call("search_tools", R"({"query":"qqqqqq"})"), mcpResult(u"9", mcpToolText("[]")));
    const std::string missingQuery = mcpError(u"9", -32602, u"missing 'query'");
    const std::string unknownTool = mcpError(u"9", -32602, u"unknown tool id");
    const std::string unknownPlaybook = mcpError(u"9", -32602, u"unknown playbook id");
    struct Case {
        std::string name, arguments, reply;
    } cases[] = {
        {"search_tools", "{}", missingQuery},
        {"search_tools", R"({"query":""})", missingQuery},
        {"search_tools", R"({"query":5})", missingQuery},
        {"search_tools", R"("query")", missingQuery},
        {"get_tool_info", "[]", unknownTool},
        {"get_tool_info", R"({"id":"EXT.Y"})", unknownTool},
        {"get_playbook", R"({"id":"nope"})", unknownPlaybook},
        {"get_playbook", "null", unknownPlaybook},
        {"Get_playbook", "{}", mcpError(u"9", -32601, u"unknown tool: Get_playbook")},
    };
    for (const Case& c : cases) EXPECT_EQ(f.call(c.name, c.arguments), c.reply) << c.name << c.arguments;
    EXPECT_EQ(f.ask(R"({"id":1,"method":"tools/call"})"), mcpError(u"1", -32601, u"unknown tool: "));
    EXPECT_EQ(f.ask(R"({"id":1,"method":"tools/call","params":"list_tools"})"),
              mcpError(u"1", -32601, u"unknown tool: "));
    EXPECT_EQ(f.ask(R"({"id":1,"method":"tools/call","params":{"name":5}})"),
              mcpError(u"1", -32601, u"unknown tool: "));
    EXPECT_EQ(f.ask(R"({"id":1,"method":"tools/call","params":{"name":"get_playbook"}})"),
              mcpError(u"1", -32602, u"unknown playbook id"));
}

TEST(McpTools, PrebuiltToolDocumentsGiveTheSameBytes) {
    Fixture f;
    std::vector<std::string> escaped;
    for (const ToolRecord& t : f.tools) escaped.push_back(jsonEscape(toolDocument(t)));
    McpSources cached = f.sources();
    cached.escapedToolDocuments = [&]() -> const std::vector<std::string>& { return escaped; };
    for (const std::string line : {R"({"id":1,"method":"tools/call","params":{"name":"list_tools"}})",
                                   R"({"id":1,"method":"tools/call","params":{"name":"get_tool_info","arguments":{"id":"my.z"}}})",
                                   R"({"id":1,"method":"tools/call","params":{"name":"search_tools","arguments":{"query":"yak and zed"}}})"}) {
        EXPECT_EQ(handleMcpRequest(line, cached), f.ask(line)) << line;
    }
}

TEST(McpHostileInput, EachLineGetsItsAnswer) {
    Fixture f;
    const std::string deep(100000, '[');
    std::string big = R"({"id":2,"method":"ping","pad":")" + std::string(10 * 1024 * 1024, 'a') + "\"}";
    struct Case {
        std::string line, reply;
    } cases[] = {
        {"garbage", kParseError},
        {std::string("\xff\xfe\0{", 4), kParseError},
        {"[]", kParseError},
        {"42", kParseError},
        {"\"x\"", kParseError},
        {"{\"id\":1,", kParseError},
        {deep, kParseError},
        {R"({"id":1,"method":"ping","x":)" + deep, kParseError},
        {std::string("{\"id\":1,\"method\":\"p\0ng\"}", 25),
         R"({"jsonrpc":"2.0","id":1,"error":{"code":-32601,"message":"method not found: p\u0000ng"}})"},
        {"{\"id\":1,\"method\":\"\xff\"}",
         "{\"jsonrpc\":\"2.0\",\"id\":1,\"error\":{\"code\":-32601,\"message\":\"method not found: \xEF\xBF\xBD\"}}"},
        {big, R"({"jsonrpc":"2.0","id":2,"result":{}})"},
    };
    for (const Case& c : cases) EXPECT_EQ(f.ask(c.line), c.reply) << c.line.substr(0, 40);
}

// Feeds the chunks one read at a time and collects what the server writes.
std::string serve(const std::vector<std::string>& chunks, size_t maxLine = kMaxMcpLineBytes) {
    size_t next = 0;
    std::string written;
    McpStream stream;
    stream.read = [&](char* buffer, size_t capacity) -> size_t {
        if (next == chunks.size()) return 0;
        EXPECT_LE(chunks[next].size(), capacity);
        std::copy(chunks[next].begin(), chunks[next].end(), buffer);
        return chunks[next++].size();
    };
    stream.write = [&](const std::string& bytes) { written += bytes + "|"; };
    EXPECT_EQ(serveMcp(stream, [](const std::string& line) { return line == "quiet" ? "" : "<" + line + ">"; },
                       maxLine),
              0);
    return written;
}

TEST(McpFraming, LinesAcrossReads) {
    EXPECT_EQ(serve({"a\nb\n"}), "<a>\n|<b>\n|");
    EXPECT_EQ(serve({"ab", "c\r", "\nd"}), "<abc>\n|");  // split, CR LF, unterminated tail dropped
    EXPECT_EQ(serve({"\n\r\n\r\r\nquiet\n", "x\n"}), "<\r>\n|<x>\n|");
    EXPECT_EQ(serve({}), "");
    EXPECT_EQ(serve({std::string("a\0b\n", 4)}), std::string("<a\0b>\n|", 7));
}

TEST(McpFraming, OverlongLineIsDroppedOnceAndServingGoesOn) {
    const std::string error = std::string(kParseError) + "\n|";
    EXPECT_EQ(serve({"12345", "67890", "abc", "def\nok\n"}, 8), error + "<ok>\n|");
    EXPECT_EQ(serve({"123456789\nok\n"}, 8), "<123456789>\n|<ok>\n|");  // complete lines are never cut
    EXPECT_EQ(serve({"12345678", "\n"}, 8), "<12345678>\n|");
}

}  // namespace
