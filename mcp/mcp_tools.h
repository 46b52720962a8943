// The tools and prompts the MCP server offers. Each tool is one entry of one
// table: its name, texts, argument, output schema and answer.
#pragma once

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

struct McpTool {
    const char* name;
    const char16_t* title;
    const char16_t* description;
    const char* argument;             // the one required string argument, or nullptr
    const char16_t* argumentMeaning;  // what that argument holds
    const char* outputSchema;         // JSON Schema of the structured document, object root
    McpToolOutput (*answer)(const std::u16string& argument, const McpSources& sources);
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
