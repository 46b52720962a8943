#include "mcp/mcp_tools.h"

#include "data/text.h"
#include "mcp/mcp_documents.h"
#include "search/ranking.h"

namespace {

constexpr size_t kSearchLimit = 10;

// The schemas of the documents of mcp_documents.cpp, member by member.
#define TK_TEXT "{\"type\":\"string\"}"
#define TK_TOOL_SCHEMA                                                                                                 \
    "{\"type\":\"object\",\"properties\":{\"id\":" TK_TEXT ",\"name\":" TK_TEXT ",\"nameEn\":" TK_TEXT                 \
    ",\"category\":" TK_TEXT                                                                                           \
    ",\"kind\":{\"type\":\"string\",\"enum\":[\"builtin\",\"custom\",\"external\"]},"                                  \
    "\"available\":{\"type\":\"boolean\"},\"description\":" TK_TEXT ",\"descriptionEn\":" TK_TEXT ",\"file\":" TK_TEXT \
    ",\"homepage\":" TK_TEXT                                                                                           \
    "},\"required\":[\"id\",\"name\",\"category\",\"kind\","                                                           \
    "\"available\"]}"
#define TK_PLAYBOOK_MEMBERS                                                                                          \
    "\"id\":" TK_TEXT ",\"title\":" TK_TEXT ",\"titleEn\":" TK_TEXT ",\"category\":" TK_TEXT ",\"summary\":" TK_TEXT \
    ",\"summaryEn\":" TK_TEXT ",\"tags\":{\"type\":\"array\",\"items\":" TK_TEXT                                     \
    "},"                                                                                                             \
    "\"stepCount\":{\"type\":\"integer\",\"minimum\":0},"                                                            \
    "\"origin\":{\"type\":\"string\",\"enum\":[\"shipped\",\"team\",\"user\"]}"
#define TK_PLAYBOOK_REQUIRED "\"id\",\"title\",\"category\",\"tags\",\"stepCount\",\"origin\""
#define TK_ACTION_SCHEMA                                                                                 \
    "{\"type\":\"object\",\"properties\":{\"type\":{\"type\":\"string\",\"enum\":[\"tool\",\"command\"," \
    "\"open-url\",\"note\"]},\"ref\":" TK_TEXT ",\"shell\":" TK_TEXT ",\"command\":" TK_TEXT             \
    ",\"allowed\":{\"type\":\"boolean\"},\"disabledReason\":" TK_TEXT "},\"required\":[\"type\"]}"
#define TK_OUTCOME "{\"type\":\"string\",\"enum\":[\"ok\",\"fail\"]}"
#define TK_TEXTS "{\"type\":\"array\",\"items\":" TK_TEXT "}"
#define TK_BRANCH_SCHEMA                                                                                   \
    "{\"type\":\"object\",\"properties\":{\"when\":" TK_TEXT ",\"label\":" TK_TEXT ",\"labelEn\":" TK_TEXT \
    ",\"goto\":" TK_TEXT ",\"on\":" TK_OUTCOME "},\"required\":[\"when\",\"label\",\"goto\"]}"
#define TK_READING_SCHEMA                                                                                      \
    "{\"type\":\"object\",\"properties\":{\"ok\":" TK_TEXTS ",\"fail\":" TK_TEXTS ",\"decides\":" TK_OUTCOME   \
    ",\"captures\":{\"type\":\"array\",\"items\":{\"type\":\"object\",\"properties\":{\"name\":" TK_TEXT       \
    ",\"kind\":{\"type\":\"string\",\"enum\":[\"ipv4\",\"ipv6\",\"hostname\",\"number\"]},\"after\":" TK_TEXTS \
    "},\"required\":[\"name\",\"kind\",\"after\"]}}},\"required\":[\"ok\",\"fail\",\"decides\",\"captures\"]}"
#define TK_STEP_SCHEMA                                                                                 \
    "{\"type\":\"object\",\"properties\":{\"id\":" TK_TEXT ",\"text\":" TK_TEXT ",\"textEn\":" TK_TEXT \
    ",\"hint\":" TK_TEXT ",\"hintEn\":" TK_TEXT ",\"action\":" TK_ACTION_SCHEMA                        \
    ",\"branches\":{\"type\":\"array\",\"items\":" TK_BRANCH_SCHEMA "},\"reading\":" TK_READING_SCHEMA \
    ",\"readingProblem\":" TK_TEXT ",\"readingProblemEn\":" TK_TEXT "},\"required\":[\"id\",\"text\",\"action\"]}"
#define TK_LIST_OF(key, item)                                                                                        \
    "{\"type\":\"object\",\"properties\":{\"" key "\":{\"type\":\"array\",\"items\":" item "}},\"required\":[\"" key \
    "\"]}"

const char kToolListSchema[] = TK_LIST_OF("tools", TK_TOOL_SCHEMA);
const char kToolSchema[] = TK_TOOL_SCHEMA;
const char kPlaybookListSchema[] = TK_LIST_OF("playbooks", "{\"type\":\"object\",\"properties\":{" TK_PLAYBOOK_MEMBERS
                                                           "},\"required\":[" TK_PLAYBOOK_REQUIRED "]}");
const char kPlaybookSchema[] =
    "{\"type\":\"object\",\"properties\":{" TK_PLAYBOOK_MEMBERS
    ",\"steps\":{\"type\":\"array\",\"items\":" TK_STEP_SCHEMA "}},\"required\":[" TK_PLAYBOOK_REQUIRED ",\"steps\"]}";

const char kStepOutputSchema[] =
    "{\"type\":\"object\",\"properties\":{\"outcome\":{\"type\":\"string\",\"enum\":[\"ok\",\"fail\",\"unknown\"]},"
    "\"branch\":{\"type\":[\"string\",\"null\"]},\"matched\":{\"type\":[\"string\",\"null\"]},"
    "\"captures\":{\"type\":\"object\",\"additionalProperties\":" TK_TEXT
    "}},"
    "\"required\":[\"outcome\",\"branch\",\"matched\",\"captures\"]}";

#undef TK_LIST_OF
#undef TK_STEP_SCHEMA
#undef TK_READING_SCHEMA
#undef TK_BRANCH_SCHEMA
#undef TK_TEXTS
#undef TK_OUTCOME
#undef TK_ACTION_SCHEMA
#undef TK_PLAYBOOK_REQUIRED
#undef TK_PLAYBOOK_MEMBERS
#undef TK_TOOL_SCHEMA
#undef TK_TEXT

McpToolOutput document(std::string structured) {
    McpToolOutput out;
    out.escaped = jsonEscape(structured);
    out.structured = std::move(structured);
    return out;
}

McpToolOutput problem(const char16_t* text) {
    McpToolOutput out;
    out.problem = text;
    return out;
}

// A document from the prebuilt set when there is one, else built now.
template <typename Record, typename Build>
std::string documentAt(const std::function<const McpDocuments&()>& prebuilt, const std::vector<Record>& records,
                       size_t index, bool escaped, Build build) {
    if (prebuilt) {
        const McpDocuments& documents = prebuilt();
        const std::vector<std::string>& list = escaped ? documents.escaped : documents.plain;
        if (index < list.size()) return list[index];
    }
    std::string plain = build(records[index]);
    return escaped ? jsonEscape(plain) : plain;
}

std::string toolDocumentAt(const McpSources& sources, const std::vector<ToolRecord>& tools, size_t index,
                           bool escaped) {
    return documentAt(sources.toolDocuments, tools, index, escaped,
                      [](const ToolRecord& tool) { return toolDocument(tool); });
}

// {"tools":[...]} of those tools. Escaping works byte by byte, so the escaped
// documents joined the same way make the escaped whole.
McpToolOutput toolArray(const McpSources& sources, const std::vector<ToolRecord>& tools,
                        const std::vector<size_t>& indices) {
    McpToolOutput out;
    for (bool escaped : {false, true}) {
        std::vector<std::string> documents;
        documents.reserve(indices.size());
        for (size_t index : indices) documents.push_back(toolDocumentAt(sources, tools, index, escaped));
        (escaped ? out.escaped : out.structured) =
            (escaped ? "{\\\"tools\\\":" : "{\"tools\":") + jsonArrayOf(documents) + "}";
    }
    return out;
}

McpToolOutput listTools(const McpCall&, const McpSources& sources) {
    const std::vector<ToolRecord>& tools = sources.tools();
    std::vector<size_t> all(tools.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = i;
    return toolArray(sources, tools, all);
}

McpToolOutput searchTools(const McpCall& call, const McpSources& sources) {
    const std::u16string& query = call.values[0];
    if (query.empty()) return problem(u"missing 'query'");
    const std::vector<ToolRecord>& tools = sources.tools();
    std::vector<size_t> hits;
    for (const ScoredIndex& hit : searchTools(query, tools, kSearchLimit)) {
        if (hit.index < tools.size()) hits.push_back(size_t(hit.index));
    }
    return toolArray(sources, tools, hits);
}

McpToolOutput getToolInfo(const McpCall& call, const McpSources& sources) {
    const std::u16string& id = call.values[0];
    const std::vector<ToolRecord>& tools = sources.tools();
    for (size_t i = 0; i < tools.size(); ++i) {
        if (tools[i].id != id) continue;
        McpToolOutput out;
        out.structured = toolDocumentAt(sources, tools, i, false);
        out.escaped = toolDocumentAt(sources, tools, i, true);
        return out;
    }
    return problem(u"unknown tool id");
}

McpToolOutput listPlaybooks(const McpCall&, const McpSources& sources) {
    std::vector<std::string> documents;
    for (const Playbook& playbook : sources.playbooks()) documents.push_back(playbookDocument(playbook, false));
    return document("{\"playbooks\":" + jsonArrayOf(documents) + "}");
}

// The Assistant's playbook ranking, best first.
McpToolOutput searchPlaybookList(const McpCall& call, const McpSources& sources) {
    const std::u16string& query = call.values[0];
    if (query.empty()) return problem(u"missing 'query'");
    const std::vector<Playbook>& playbooks = sources.playbooks();
    std::vector<std::string> documents;
    for (const ScoredIndex& hit : searchPlaybooks(query, playbooks, kSearchLimit)) {
        if (hit.index < playbooks.size()) documents.push_back(playbookDocument(playbooks[size_t(hit.index)], false));
    }
    return document("{\"playbooks\":" + jsonArrayOf(documents) + "}");
}

McpToolOutput getPlaybook(const McpCall& call, const McpSources& sources) {
    const std::vector<Playbook>& playbooks = sources.playbooks();
    int index = findPlaybookIndex(playbooks, call.values[0]);
    if (index < 0) return problem(u"unknown playbook id");
    auto full = [](const Playbook& playbook) { return playbookDocument(playbook, true); };
    McpToolOutput out;
    out.structured = documentAt(sources.playbookDocuments, playbooks, size_t(index), false, full);
    out.escaped = documentAt(sources.playbookDocuments, playbooks, size_t(index), true, full);
    return out;
}

// Reads the output exactly as the window does; changes nothing, runs nothing.
McpToolOutput checkStepOutput(const McpCall& call, const McpSources& sources) {
    if (!call.given[0] || call.values[0].empty()) return problem(u"missing 'playbook'");
    if (!call.given[1] || call.values[1].empty()) return problem(u"missing 'step'");
    if (!call.given[2]) return problem(u"missing 'output'");
    const Playbook* playbook = findPlaybook(sources.playbooks(), call.values[0]);
    if (!playbook) return problem(u"unknown playbook id");
    const PlaybookStep* step = findStep(*playbook, call.values[1]);
    if (!step) return problem(u"unknown step id");
    StepReading reading = readStepOutput(*playbook, *step, splitOutputLines(call.values[2]));
    std::string captures;
    for (const CapturedValue& value : reading.captures)
        captures += (captures.empty() ? "" : ",") + jsonQuote(value.name) + ":" + jsonQuote(value.value);
    std::string branch = reading.branch < 0 ? "null" : jsonQuote(step->branches[size_t(reading.branch)].gotoTarget);
    std::string matched = reading.outcome == StepOutcome::Unknown ? "null" : jsonQuote(reading.matched);
    return document("{\"outcome\":\"" + wideToUtf8(outcomeText(reading.outcome)) + "\",\"branch\":" + branch +
                    ",\"matched\":" + matched + ",\"captures\":{" + captures + "}}");
}

// Every tool only reads local data: hosts that gate on these hints may call
// them without asking in their read-only modes.
const McpTool kTools[] = {
    {"list_tools",
     u"列出工具 List tools",
     u"列出全部可用工具(内置+外部推荐)。List all available tools.",
     {},
     kToolListSchema,
     listTools},
    {"search_tools",
     u"按现象查找工具 Search tools",
     u"按现象/关键词检索相关工具(中英)。Search tools by symptom/keywords.",
     {{"query", u"现象或关键词,中文或英文。A symptom or keywords, in Chinese or English."}},
     kToolListSchema,
     searchTools},
    {"get_tool_info",
     u"工具详情 Tool details",
     u"按 id 取工具详情。Get tool details by id.",
     {{"id", u"工具 id,见 list_tools 或 search_tools。A tool id from list_tools or search_tools."}},
     kToolSchema,
     getToolInfo},
    {"list_playbooks",
     u"列出排障剧本 List playbooks",
     u"列出排障剧本(现象→分步排查;只读)。List troubleshooting playbooks.",
     {},
     kPlaybookListSchema,
     listPlaybooks},
    {"search_playbooks",
     u"按现象查找剧本 Search playbooks",
     u"按现象/关键词检索排障剧本(中英),与助手的剧本排序相同。Search troubleshooting playbooks by symptom/keywords, "
     u"ranked as the Assistant ranks them.",
     {{"query", u"现象或关键词,中文或英文。A symptom or keywords, in Chinese or English."}},
     kPlaybookListSchema,
     searchPlaybookList},
    {"get_playbook",
     u"剧本步骤 Playbook steps",
     u"按 id 取剧本全部步骤(含命令/工具/分支/读取规则;命令仅只读白名单)。Get a playbook's full steps by id, with "
     u"the rules that read each command's output.",
     {{"id", u"剧本 id,见 list_playbooks。A playbook id from list_playbooks."}},
     kPlaybookSchema,
     getPlaybook},
    {"check_step_output",
     u"判读步骤输出 Check step output",
     u"按剧本的读取规则判读一个命令步骤的输出:结论、建议分支、判定行和取到的值;不运行任何命令。Read a command "
     u"step's output by the playbook's rules: the outcome, the suggested branch, the deciding line and the "
     u"captured values. Runs nothing.",
     {{"playbook", u"剧本 id,见 list_playbooks。A playbook id from list_playbooks."},
      {"step", u"步骤 id,见 get_playbook。A step id from get_playbook."},
      {"output", u"该步骤命令打印的全部文字。All the text the step's command printed."}},
     kStepOutputSchema,
     checkStepOutput},
};

std::string toolDescriptor(const McpTool& tool) {
    std::string title = jsonQuote(tool.title);
    std::string properties, required;
    for (const McpToolArgument& argument : tool.arguments) {
        if (!argument.name) break;
        std::string name = std::string("\"") + argument.name + "\"";
        properties += (properties.empty() ? "" : ",") + name +
                      ":{\"type\":\"string\",\"description\":" + jsonQuote(argument.meaning) + "}";
        required += (required.empty() ? "" : ",") + name;
    }
    std::string input = "{\"type\":\"object\",\"properties\":{" + properties + "}";
    input += required.empty() ? "}" : ",\"required\":[" + required + "]}";
    return std::string("{\"name\":\"") + tool.name + "\",\"title\":" + title +
           ",\"description\":" + jsonQuote(tool.description) + ",\"inputSchema\":" + input +
           ",\"outputSchema\":" + tool.outputSchema + ",\"annotations\":{\"title\":" + title +
           ",\"readOnlyHint\":true,\"destructiveHint\":false,\"idempotentHint\":true,\"openWorldHint\":false}}";
}

}  // namespace

const McpTool* findMcpTool(const std::u16string& name) {
    for (const McpTool& tool : kTools) {
        if (name == asciiToWide(tool.name)) return &tool;
    }
    return nullptr;
}

const std::string& mcpToolDescriptors() {
    static const std::string descriptors = [] {
        std::vector<std::string> all;
        for (const McpTool& tool : kTools) all.push_back(toolDescriptor(tool));
        return jsonArrayOf(all);
    }();
    return descriptors;
}
