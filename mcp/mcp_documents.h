// The JSON documents the MCP tools answer with, and the two lists the server
// sees. Documents are UTF-8 text without blanks; empty optional members are
// left out.
#pragma once

#include <string>
#include <vector>

#include "data/tool_record.h"
#include "launcher/tool_resolution.h"
#include "playbooks/playbook.h"

std::string toolDocument(const ToolRecord& tool);
std::string stepDocument(const PlaybookStep& step);
std::string playbookDocument(const Playbook& playbook, bool withSteps);
// "[" + the documents joined by "," + "]".
std::string jsonArrayOf(const std::vector<std::string>& documents);

// The available built-in tools followed by every external tool, as loaded.
std::vector<ToolRecord> buildMcpToolList(const std::vector<ToolRecord>& builtin,
                                         const std::vector<ToolRecord>& external, const ResolutionProbes& probes);

// Built on first call, then kept for the life of the process.
const std::vector<ToolRecord>& mcpToolList();
const std::vector<Playbook>& mcpPlaybookList();
// Documents as written, and jsonEscape of each, in list order.
struct McpDocuments {
    std::vector<std::string> plain;
    std::vector<std::string> escaped;
};
McpDocuments documentsOf(std::vector<std::string> plain);
// The tool documents of mcpToolList and the full documents of mcpPlaybookList, built once.
const McpDocuments& mcpToolDocuments();
const McpDocuments& mcpPlaybookDocuments();
