// The tools and prompts the MCP server offers. Each tool is one entry of one
// table: its name, texts, arguments, output schema and answer.
#pragma once

#include <array>
#include <string>

#include "data/json.h"
#include "mcp/mcp_server.h"

// A tool's answer: its structured document (a JSON object) and jsonEscape of
// it, or the problem with the arguments the caller gave.
struct McpToolOutput {
    std::string structured;
    std::string escaped;
    std::u16string problem;  // not empty: the arguments name nothing or miss a value
};

constexpr size_t kMaxToolArguments = 3;

// A required string argument; a null name ends a tool's list.
struct McpToolArgument {
    const char* name;
    const char16_t* meaning;
};

// The arguments of one call, in the tool's order: each value, and whether the
// caller gave it as a string at all.
struct McpCall {
    std::array<std::u16string, kMaxToolArguments> values;
    std::array<bool, kMaxToolArguments> given{};
};

struct McpTool {
    const char* name;
    const char16_t* title;
    const char16_t* description;
    McpToolArgument arguments[kMaxToolArguments];
    const char* outputSchema;  // JSON Schema of the structured document, object root
    McpToolOutput (*answer)(const McpCall& call, const McpSources& sources);
};

// The tool of that name, or nullptr.
const McpTool* findMcpTool(const std::u16string& name);
// The "tools" array of tools/list: every descriptor, in table order.
const std::string& mcpToolDescriptors();

// The "prompts" array of prompts/list: one prompt per playbook, in pack order.
std::string mcpPromptList(const std::vector<Playbook>& playbooks);
// The prompts/get result of the playbook with those argument values (an object
// of strings, or nullptr), or an empty string when no playbook has that name.
std::string mcpPromptResult(const std::vector<Playbook>& playbooks, const std::u16string& name,
                            const JsonValue* arguments);
// The placeholders ("gateway" for "{gateway}") of the playbook's commands, in order of first use.
std::vector<std::u16string> playbookPlaceholders(const Playbook& playbook);
