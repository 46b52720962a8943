#include <gtest/gtest.h>

#include <algorithm>

#include "data/text.h"

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
        PlaybookStep ping = step(u"s7", StepActionType::Command, u"ping -n 4 {host}");
        ping.hasReading = true;
        ping.reading.ok = {u"TTL="};
        ping.reading.fail = {u"timed out"};
        ping.reading.captures = {{u"lost", CaptureKind::Number, {u"Lost:"}}};
        ping.branches = {{u"ok", u"通", u"", u"s1", StepOutcome::Ok}};
        playbook.steps = {note,
                          refused,
                          allowed,
                          url,
                          step(u"s5", StepActionType::Tool, u"builtin.x"),
                          step(u"s6", StepActionType::Unrecognised),
                          ping};
        Playbook bare;
        bare.id = u"pb.two";
        bare.title = u"T";
        bare.titleEn = u"TE";
        bare.category = u"net";
        playbooks = {playbook, bare};
    }

    McpSources sources() {
        return {[this]() -> const std::vector<ToolRecord>& {
                    ++fetches;
                    return tools;
                },
                [this]() -> const std::vector<Playbook>& {
                    ++fetches;
                    return playbooks;
                },
                {},
                {}};
    }
    McpSession session;
    std::string ask(const std::string& line) { return handleMcpRequest(line, sources(), session); }
    std::string call(const std::string& name, const std::string& arguments, const std::string& id = "9") {
        return ask(R"({"id":)" + id + R"(,"method":"tools/call","params":{"name":")" + name + R"(","arguments":)" +
                   arguments + "}}");
    }
};

const char kBuiltinDoc[] =
    R"({"id":"builtin.x","name":"甲工具","category":"system","kind":"builtin","available":true,"file":"x.msc"})";
const char kExternalDoc[] =
    R"({"id":"ext.y","name":"Yak","nameEn":"Yak","category":"external","kind":"external","available":false,)"
    R"("description":"d\t\"","homepage":"https://y"})";
const char kCustomDoc[] =
    R"({"id":"my.z","name":"Zed","category":"custom","kind":"custom","available":true,"descriptionEn":"E"})";

const char kCacheHints[] = R"(,"ttlMs":3600000,"cacheScope":"public"}})";
bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The tools/call result of a document: its text and, structured, the document itself.
std::string toolResult(const std::string& id, const std::string& document) {
    return R"({"jsonrpc":"2.0","id":)" + id + R"(,"result":{"content":[{"type":"text","text":")" +
           jsonEscape(document) + R"("}],"structuredContent":)" + document + "}}";
}
std::string toolProblem(const std::string& message) {
    return R"({"jsonrpc":"2.0","id":9,"result":{"content":[{"type":"text","text":")" + message +
           R"("}],"isError":true}})";
}
const char kStateless[] = R"("_meta":{"io.modelcontextprotocol/protocolVersion":"2026-07-28"})";
const char kServerInfoMeta[] =
    R"("resultType":"complete","_meta":{"io.modelcontextprotocol/serverInfo":{"name":"toolkeep","title":"Wrenly","version":"2.0.1.23"}})";

TEST(McpEnvelope, ExactBytes) {
    EXPECT_EQ(mcpResult(u"7", "{}"), R"({"jsonrpc":"2.0","id":7,"result":{}})");
    EXPECT_EQ(mcpError(u"\"a\"", -32602, u"bad \"x\"\n"),
              R"({"jsonrpc":"2.0","id":"a","error":{"code":-32602,"message":"bad \"x\"\n"}})");
}

TEST(McpEnvelope, IdsOfEveryKind) {
    Fixture f;
    // A table packed several rows to a line.
    // clang-format off
    struct Case {
        const char* id;
        const char* wire;
    } cases[] = {
        {"1", "1"}, {"7.8", "7"}, {"-2.5", "-2"}, {"-0.5", "0"}, {"1e3", "1000"},
        {"1e300", "9223372036854775807"}, {"-1e300", "-9223372036854775808"}, {"1e999", "9223372036854775807"},
        {"\"abc\"", "\"abc\""}, {R"("a\"\u0001\ud800")", "\"a\\\"\\u0001\xEF\xBF\xBD\""}, {"\"\"", "\"\""},
        {"null", "null"}, {"true", "null"}, {"false", "null"}, {"[1]", "null"}, {"{\"id\":1}", "null"}
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(f.ask(std::string(R"({"jsonrpc":"2.0","method":"ping","id":)") + c.id + "}"),
                  std::string(R"({"jsonrpc":"2.0","id":)") + c.wire + R"(,"result":{}})")
            << c.id;
    }
}

TEST(McpMethods, NotificationsAreNeverAnswered) {
    Fixture f;
    for (const char* quiet :
         {R"({"jsonrpc":"2.0","method":"notifications/initialized"})", "{}", R"({"method":"ping"})",
          R"({"method":"initialize","params":{"protocolVersion":"2024-11-05"}})", R"({"method":"tools/list"})",
          R"({"method":"tools/call","params":{"name":"list_tools"}})",
          R"({"method":"notifications/cancelled","params":{"requestId":1}})",
          R"({"method":"server/discover","params":{"_meta":{"io.modelcontextprotocol/protocolVersion":"1"}}})"}) {
        EXPECT_EQ(f.ask(quiet), "") << quiet;
    }
    // A notification initialize settles nothing: the plain 2024-11-05 rules stay unchosen.
    EXPECT_EQ(f.call("get_playbook", "{}"), toolProblem("unknown playbook id"));
    EXPECT_EQ(f.fetches, 1);
}

TEST(McpMethods, InitializeAnswersTheVersionAskedOrTheNewest) {
    const std::string plain =
        R"({"jsonrpc":"2.0","id":1,"result":{"protocolVersion":"2024-11-05","capabilities":{"tools":{}},)"
        R"("serverInfo":{"name":"toolkeep","version":"2.0.1.23"}}})";
    // A table packed several rows to a line.
    // clang-format off
    struct Case {
        const char* params;
        const char* answered;
    } cases[] = {
        {R"({"protocolVersion":"2025-06-18"})", "2025-06-18"}, {R"({"protocolVersion":"2025-11-25"})", "2025-11-25"},
        {R"({"protocolVersion":"2025-03-26"})", "2025-11-25"}, {R"({"protocolVersion":"2024-10-07"})", "2025-11-25"},
        {R"({"protocolVersion":"2026-07-28"})", "2025-11-25"}, {R"({"protocolVersion":"2099-01-01"})", "2025-11-25"},
        {R"({"protocolVersion":5})", "2025-11-25"},            {"7", "2025-11-25"}
    };
    // clang-format on
    for (const Case& c : cases) {
        Fixture f;
        std::string reply =
            f.ask(std::string(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":)") + c.params + "}");
        EXPECT_EQ(reply.find(std::string(R"("protocolVersion":")") + c.answered + "\""), 34u) << c.params;
        EXPECT_NE(
            reply.find(R"("capabilities":{"tools":{},"prompts":{}},"serverInfo":{"name":"toolkeep","title":"Wrenly")"),
            std::string::npos);
        EXPECT_NE(reply.find(R"(,"instructions":"Wrenly )"), std::string::npos) << reply;
    }
    Fixture f;
    EXPECT_EQ(f.ask(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"protocolVersion":"2024-11-05"}})"),
              plain);
}

// What each revision does differently, reached the way its clients reach it.
TEST(McpMethods, EachRevisionKeepsItsRules) {
    struct Case {
        const char* initialize;  // the version a handshake asked for, or nullptr
        const char* meta;  // the "_meta" of each request, or ""
        bool errorsAsResults;
        const char* unknownToolCode;
        bool ping;
        bool resultFields;
    } cases[] = {
        {"2024-11-05", "", false, "-32601", true, false},
        {"2025-06-18", "", true, "-32602", true, false},
        {"2025-11-25", "", true, "-32602", true, false},
        {nullptr, "", true, "-32602", true, false},  // no handshake at all
        {nullptr, kStateless, true, "-32602", false, true},
        {"2024-11-05", kStateless, true, "-32602", false, true},  // the request's own version wins
    };
    for (const Case& c : cases) {
        Fixture f;
        if (c.initialize)
            f.ask(std::string(R"({"id":0,"method":"initialize","params":{"protocolVersion":")") + c.initialize +
                  "\"}}");
        auto ask = [&](const std::string& method, const std::string& params) {
            std::string all = params.empty() ? std::string(c.meta) : *c.meta ? params + "," + c.meta : params;
            return f.ask(R"({"id":9,"method":")" + method + R"(","params":{)" + all + "}}");
        };
        std::string trace = std::string(c.initialize ? c.initialize : "-") + c.meta;
        std::string bad = ask("tools/call", R"("name":"search_tools","arguments":{})");
        EXPECT_EQ(bad.find(c.errorsAsResults ? R"("isError":true)" : R"("code":-32602,"message":"missing 'query'")") !=
                      std::string::npos,
                  true)
            << trace << bad;
        EXPECT_NE(ask("tools/call", R"("name":"nope")").find(std::string(R"("code":)") + c.unknownToolCode),
                  std::string::npos)
            << trace;
        EXPECT_EQ(ask("ping", "") == R"({"jsonrpc":"2.0","id":9,"result":{}})", c.ping) << trace;
        std::string list = ask("tools/list", "");
        EXPECT_EQ(list.rfind(std::string(R"({"jsonrpc":"2.0","id":9,"result":{)") + kServerInfoMeta, 0) == 0,
                  c.resultFields)
            << trace;
        EXPECT_EQ(endsWith(list, kCacheHints), c.resultFields) << trace;
    }
}

TEST(McpMethods, StatelessDiscoveryAndVersionErrors) {
    Fixture f;
    const std::string instructionsStart = R"(,"instructions":"Wrenly )";
    std::string discover = f.ask(R"({"id":"d","method":"server/discover","params":{)" + std::string(kStateless) + "}}");
    EXPECT_EQ(discover.substr(0, discover.find(instructionsStart)),
              std::string(R"({"jsonrpc":"2.0","id":"d","result":{)") + kServerInfoMeta +
                  R"(,"supportedVersions":["2026-07-28","2025-11-25","2025-06-18","2024-11-05"],)"
                  R"("capabilities":{"tools":{},"prompts":{}})");
    EXPECT_TRUE(endsWith(discover, kCacheHints));
    EXPECT_EQ(
        f.ask(
            R"({"id":1,"method":"tools/list","params":{"_meta":{"io.modelcontextprotocol/protocolVersion":"1900-01-01"}}})"),
        R"({"jsonrpc":"2.0","id":1,"error":{"code":-32022,"message":"Unsupported protocol version","data":)"
        R"({"supported":["2026-07-28","2025-11-25","2025-06-18","2024-11-05"],"requested":"1900-01-01"}}})");
    EXPECT_EQ(f.ask(R"({"id":2,"method":"tools/call","params":{"name":"get_tool_info","arguments":{"id":"ext.y"},)" +
                    std::string(kStateless) + "}}"),
              std::string(R"({"jsonrpc":"2.0","id":2,"result":{)") + kServerInfoMeta +
                  R"(,"content":[{"type":"text","text":")" + jsonEscape(kExternalDoc) + R"("}],"structuredContent":)" +
                  kExternalDoc + "}}");
    EXPECT_EQ(f.ask(R"({"id":1,"method":"Ping"})").find("-32601"), 40u);
    EXPECT_EQ(f.ask(R"({"id":5,"method":"no_such_method"})"),
              R"({"jsonrpc":"2.0","id":5,"error":{"code":-32601,"message":"method not found: no_such_method"}})");
    EXPECT_EQ(f.ask(R"({"id":null})"),
              R"({"jsonrpc":"2.0","id":null,"error":{"code":-32601,"message":"method not found: "}})");
    EXPECT_EQ(f.fetches, 1);  // the lists are fetched only when an answer needs them
}

TEST(McpTools, EveryToolIsAnnotatedWithTitleAndObjectSchemas) {
    Fixture f;
    std::optional<JsonValue> reply = parseJson(utf8ToWide(f.ask(R"({"id":2,"method":"tools/list"})")));
    ASSERT_TRUE(reply);
    const JsonValue* tools = findMember(*findMember(*reply, u"result"), u"tools");
    ASSERT_TRUE(tools);
    std::u16string names;
    for (const JsonValue& tool : tools->items) {
        names += getString(tool, u"name") + u",";
        const JsonValue* annotations = findMember(tool, u"annotations");
        ASSERT_TRUE(annotations);
        EXPECT_FALSE(getString(tool, u"title").empty());
        EXPECT_EQ(getString(*annotations, u"title"), getString(tool, u"title"));
        EXPECT_TRUE(getBool(*annotations, u"readOnlyHint", false));
        EXPECT_FALSE(getBool(*annotations, u"destructiveHint", true));
        EXPECT_TRUE(getBool(*annotations, u"idempotentHint", false));
        EXPECT_FALSE(getBool(*annotations, u"openWorldHint", true));
        for (const char16_t* schema : {u"inputSchema", u"outputSchema"}) {
            EXPECT_EQ(getString(*findMember(tool, schema), u"type"), u"object");
        }
    }
    EXPECT_EQ(names,
              u"list_tools,search_tools,get_tool_info,list_playbooks,search_playbooks,get_playbook,check_step_output,");
}

TEST(McpTools, DocumentsByteForByte) {
    Fixture f;
    EXPECT_EQ(f.call("list_tools", "{}", "3"), toolResult("3", std::string(R"({"tools":[)") + kBuiltinDoc + "," +
                                                                   kExternalDoc + "," + kCustomDoc + "]}"));
    EXPECT_EQ(f.call("get_tool_info", R"({"id":"ext.y"})"), toolResult("9", kExternalDoc));
    EXPECT_EQ(
        f.call("list_playbooks", "{}"),
        toolResult(
            "9",
            R"({"playbooks":[{"id":"pb.one","title":"断网","category":"playbooks","summary":"s","tags":["a","b"],"stepCount":7,"origin":"shipped"},)"
            R"({"id":"pb.two","title":"T","titleEn":"TE","category":"net","tags":[],"stepCount":0,"origin":"shipped"}]})"));
    EXPECT_EQ(
        playbookDocument(f.playbooks[0], true),
        R"({"id":"pb.one","title":"断网","category":"playbooks","summary":"s","tags":["a","b"],"stepCount":7,"origin":"shipped","steps":[)"
        R"({"id":"s1","text":"看","textEn":"Look","hint":"h\u0001","action":{"type":"note"},"branches":[)"
        R"({"when":"ok","label":"好","goto":"s2"},{"when":"fail","label":"坏","labelEn":"Bad","goto":"playbook:x#y"}]},)"
        R"({"id":"s2","text":"","action":{"type":"command","shell":"cmd","command":"del {x}","allowed":false,"disabledReason":"r","disabledReasonEn":"r-en"}},)"
        R"({"id":"s3","text":"","action":{"type":"command","shell":"powershell","command":"del {x}","allowed":true}},)"
        R"({"id":"s4","text":"","action":{"type":"open-url","ref":"http://x","allowed":false}},)"
        R"({"id":"s5","text":"","action":{"type":"tool","ref":"builtin.x"}},)"
        R"({"id":"s6","text":"","action":{"type":"note"}},)"
        R"({"id":"s7","text":"","action":{"type":"command","shell":"cmd","command":"ping -n 4 {host}","allowed":true},)"
        R"("branches":[{"when":"ok","label":"通","goto":"s1","on":"ok"}],"reading":{"ok":["TTL="],"fail":["timed out"],)"
        R"("decides":"fail","captures":[{"name":"lost","kind":"number","after":["Lost:"]}]}}]})");
    EXPECT_EQ(f.call("get_playbook", R"({"id":"pb.one"})"), toolResult("9", playbookDocument(f.playbooks[0], true)));
}

TEST(McpTools, SearchAndErrors) {
    Fixture f;
    EXPECT_EQ(f.call("search_tools", R"({"query":"open zed please"})"),
              toolResult("9", std::string(R"({"tools":[)") + kCustomDoc + "]}"));
    EXPECT_EQ(f.call("search_tools", R"({"query":"qqqqqq"})"), toolResult("9", R"({"tools":[]})"));
    const std::string missingQuery = toolProblem("missing 'query'");
    const std::string unknownTool = toolProblem("unknown tool id");
    const std::string unknownPlaybook = toolProblem("unknown playbook id");
    struct Case {
        std::string name, arguments, reply;
    } cases[] = {
        {"search_tools", "{}", missingQuery},
        {"search_tools", R"({"query":""})", missingQuery},
        {"search_tools", R"({"query":5})", missingQuery},
        {"search_tools", R"("query")", missingQuery},
        {"search_playbooks", R"({"query":"断网 b"})",
         toolResult(
             "9",
             R"({"playbooks":[{"id":"pb.one","title":"断网","category":"playbooks","summary":"s","tags":["a","b"],"stepCount":7,"origin":"shipped"}]})")},
        {"search_playbooks", R"({"query":5})", missingQuery},
        {"get_tool_info", "[]", unknownTool},
        {"get_tool_info", R"({"id":"EXT.Y"})", unknownTool},
        {"get_playbook", R"({"id":"nope"})", unknownPlaybook},
        {"get_playbook", "null", unknownPlaybook},
        {"Get_playbook", "{}", mcpError(u"9", -32602, u"unknown tool: Get_playbook")},
        {"check_step_output", R"({"playbook":"pb.one","step":"s7","output":"Reply: TTL=64\r\nLost: 2"})",
         toolResult("9", R"({"outcome":"ok","branch":"s1","matched":"Reply: TTL=64","captures":{"lost":"2"}})")},
        {"check_step_output", R"({"playbook":"pb.one","step":"s7","output":"Request timed out.\nLost: 2 & x"})",
         toolResult("9", R"({"outcome":"fail","branch":null,"matched":"Request timed out.","captures":{}})")},
        {"check_step_output", R"({"playbook":"pb.one","step":"s1","output":"TTL="})",
         toolResult("9", R"({"outcome":"unknown","branch":null,"matched":null,"captures":{}})")},
        {"check_step_output", R"({"playbook":"pb.one","step":"s7"})", toolProblem("missing 'output'")},
        {"check_step_output", R"({"playbook":"pb.one","step":"s7","output":5})", toolProblem("missing 'output'")},
        {"check_step_output", R"({"step":"s7","output":""})", toolProblem("missing 'playbook'")},
        {"check_step_output", R"({"playbook":"pb.one","output":""})", toolProblem("missing 'step'")},
        {"check_step_output", R"({"playbook":"pb.one","step":"S7","output":""})", toolProblem("unknown step id")},
        {"check_step_output", R"({"playbook":"pb","step":"s7","output":""})", unknownPlaybook}};
    for (const Case& c : cases) EXPECT_EQ(f.call(c.name, c.arguments), c.reply) << c.name << c.arguments;
    for (const char* params : {"", R"(,"params":"list_tools")", R"(,"params":{"name":5})"}) {
        EXPECT_EQ(f.ask(std::string(R"({"id":1,"method":"tools/call")") + params + "}"),
                  mcpError(u"1", -32602, u"unknown tool: "));
    }
}

TEST(McpTools, PrebuiltDocumentsGiveTheSameBytes) {
    Fixture f;
    std::vector<std::string> tools, playbooks;
    for (const ToolRecord& t : f.tools) tools.push_back(toolDocument(t));
    for (const Playbook& p : f.playbooks) playbooks.push_back(playbookDocument(p, true));
    McpDocuments toolDocuments = documentsOf(tools), playbookDocuments = documentsOf(playbooks);
    McpSources cached = f.sources();
    cached.toolDocuments = [&]() -> const McpDocuments& { return toolDocuments; };
    cached.playbookDocuments = [&]() -> const McpDocuments& { return playbookDocuments; };
    McpSession session;
    for (const std::string line :
         {R"({"id":1,"method":"tools/call","params":{"name":"list_tools"}})",
          R"({"id":1,"method":"tools/call","params":{"name":"get_tool_info","arguments":{"id":"my.z"}}})",
          R"({"id":1,"method":"tools/call","params":{"name":"search_tools","arguments":{"query":"yak and zed"}}})",
          R"({"id":1,"method":"tools/call","params":{"name":"get_playbook","arguments":{"id":"pb.two"}}})"}) {
        EXPECT_EQ(handleMcpRequest(line, cached, session), f.ask(line)) << line;
    }
}

TEST(McpPrompts, PlaybooksBecomePromptsWithTheirPlaceholders) {
    Fixture f;
    EXPECT_EQ(
        f.ask(R"({"id":1,"method":"prompts/list"})"),
        R"({"jsonrpc":"2.0","id":1,"result":{"prompts":[)"
        R"({"name":"pb.one","title":"断网","description":"s","arguments":[)"
        R"({"name":"x","description":"填入命令中的 {x}。Fills {x} in the commands.","required":false},)"
        R"({"name":"host","description":"填入命令中的 {host}。Fills {host} in the commands.","required":false}]},)"
        R"({"name":"pb.two","title":"T TE","description":"T TE"}]}})");
    EXPECT_EQ(f.ask(R"({"id":1,"method":"prompts/get","params":{"name":"pb.nope"}})"),
              mcpError(u"1", -32602, u"unknown prompt: pb.nope"));
    auto text = [&](const std::string& arguments) {
        std::optional<JsonValue> reply = parseJson(utf8ToWide(
            f.ask(R"({"id":1,"method":"prompts/get","params":{"name":"pb.one","arguments":)" + arguments + "}}")));
        const JsonValue* messages = findMember(*findMember(*reply, u"result"), u"messages");
        return wideToUtf8(getString(*findMember(messages->items.at(0), u"content"), u"text"));
    };
    std::string bare = text("{}");
    for (const char* part : {"s1. 看 / Look\n    提示 Hint: h\x01\n    分支 Branches: 好 → s2; 坏 Bad → playbook:x#y\n",
                             "s2. \n    cmd> del {x}  [不允许 not allowed: r]\n",
                             "s3. \n    powershell> del {x}  [允许(只读白名单) allowed by the read-only allowlist]\n",
                             "s4. \n    打开网页 Open page: http://x  [不允许 not allowed: https only]\n",
                             "s5. \n    打开工具 Open tool: builtin.x (get_tool_info)\n", "s6. \n",
                             "ask me for the values of: {x} {host}."}) {
        EXPECT_NE(bare.find(part), std::string::npos) << part << "\n" << bare;
    }
    // Filled-in values are judged again: a value can make an allowed command unsafe.
    std::string filled = text(R"({"host":"10.0.0.1","x":"a.txt"})");
    EXPECT_NE(filled.find("cmd> ping -n 4 10.0.0.1  [允许"), std::string::npos) << filled;
    EXPECT_NE(filled.find("powershell> del a.txt  [不允许"), std::string::npos) << filled;
    EXPECT_EQ(filled.find("ask me for"), std::string::npos);
    EXPECT_NE(text(R"({"host":"h & del c:\\x"})").find("cmd> ping -n 4 h & del c:\\x  [不允许"), std::string::npos);
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
    EXPECT_EQ(serveMcp(
                  stream, [](const std::string& line) { return line == "quiet" ? "" : "<" + line + ">"; }, maxLine),
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
