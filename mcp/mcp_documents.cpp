#include "mcp/mcp_documents.h"

#include "data/data_pack.h"
#include "data/json.h"
#include "data/text.h"
#include "playbooks/playbook_files.h"

namespace {

void member(std::string& out, const char* key, const std::string& rawValue) {
    if (out.size() > 1) out += ',';
    out += '"';
    out += key;
    out += "\":";
    out += rawValue;
}

void textMember(std::string& out, const char* key, const std::u16string& value) { member(out, key, jsonQuote(value)); }

void optionalText(std::string& out, const char* key, const std::u16string& value) {
    if (!value.empty()) textMember(out, key, value);
}

const char* boolText(bool value) { return value ? "true" : "false"; }

std::string branchDocument(const StepBranch& branch) {
    std::string out = "{";
    textMember(out, "when", branch.when);
    textMember(out, "label", branch.label);
    optionalText(out, "labelEn", branch.labelEn);
    textMember(out, "goto", branch.gotoTarget);
    if (branch.on != StepOutcome::Unknown) textMember(out, "on", outcomeText(branch.on));
    return out + "}";
}

std::string actionDocument(const PlaybookStep& step) {
    std::string out = "{";
    switch (step.actionType) {
        case StepActionType::Tool:
            member(out, "type", "\"tool\"");
            textMember(out, "ref", step.ref);
            break;
        case StepActionType::Command:
            member(out, "type", "\"command\"");
            textMember(out, "shell", step.shell.empty() ? std::u16string(u"cmd") : step.shell);
            textMember(out, "command", step.command);
            member(out, "allowed", boolText(step.enabled));
            if (!step.enabled) {
                optionalText(out, "disabledReason", step.disabledReason);
                optionalText(out, "disabledReasonEn", step.disabledReasonEn);
            }
            break;
        case StepActionType::OpenUrl:
            member(out, "type", "\"open-url\"");
            textMember(out, "ref", step.ref);
            member(out, "allowed", boolText(step.enabled));
            break;
        case StepActionType::Note:
        case StepActionType::Unrecognised: member(out, "type", "\"note\""); break;
    }
    return out + "}";
}

std::string fragmentsDocument(const std::vector<std::u16string>& fragments) {
    std::vector<std::string> quoted;
    for (const std::u16string& f : fragments) quoted.push_back(jsonQuote(f));
    return jsonArrayOf(quoted);
}

std::string readingDocument(const ReadingRules& rules) {
    std::string out = "{";
    member(out, "ok", fragmentsDocument(rules.ok));
    member(out, "fail", fragmentsDocument(rules.fail));
    textMember(out, "decides", outcomeText(rules.decides));
    std::vector<std::string> captures;
    for (const OutputCapture& c : rules.captures) {
        std::string capture = "{";
        textMember(capture, "name", c.name);
        textMember(capture, "kind", captureKindText(c.kind));
        member(capture, "after", fragmentsDocument(c.labels));
        captures.push_back(capture + "}");
    }
    member(out, "captures", jsonArrayOf(captures));
    return out + "}";
}

}  // namespace

std::string jsonArrayOf(const std::vector<std::string>& documents) {
    size_t size = 2;
    for (const std::string& d : documents) size += d.size() + 1;
    std::string out;
    out.reserve(size);
    out += '[';
    for (size_t i = 0; i < documents.size(); ++i) {
        if (i) out += ',';
        out += documents[i];
    }
    out += ']';
    return out;
}

std::string toolDocument(const ToolRecord& tool) {
    std::string out = "{";
    textMember(out, "id", tool.id);
    textMember(out, "name", tool.name);
    optionalText(out, "nameEn", tool.nameEn);
    textMember(out, "category", tool.category);
    member(out, "kind", tool.isExternal ? "\"external\"" : tool.isCustom ? "\"custom\"" : "\"builtin\"");
    member(out, "available", boolText(tool.isExternal ? tool.isInstalled : true));
    optionalText(out, "description", tool.description);
    optionalText(out, "descriptionEn", tool.descriptionEn);
    optionalText(out, "file", tool.fileName);
    if (tool.isExternal) optionalText(out, "homepage", tool.homepage);
    return out + "}";
}

std::string stepDocument(const PlaybookStep& step) {
    std::string out = "{";
    textMember(out, "id", step.id);
    textMember(out, "text", step.text);
    optionalText(out, "textEn", step.textEn);
    optionalText(out, "hint", step.hint);
    optionalText(out, "hintEn", step.hintEn);
    member(out, "action", actionDocument(step));
    if (!step.branches.empty()) {
        std::vector<std::string> branches;
        for (const StepBranch& b : step.branches) branches.push_back(branchDocument(b));
        member(out, "branches", jsonArrayOf(branches));
    }
    if (step.hasReading) member(out, "reading", readingDocument(step.reading));
    optionalText(out, "readingProblem", step.readingProblem);
    optionalText(out, "readingProblemEn", step.readingProblemEn);
    return out + "}";
}

std::string playbookDocument(const Playbook& playbook, bool withSteps) {
    std::string out = "{";
    textMember(out, "id", playbook.id);
    textMember(out, "title", playbook.title);
    optionalText(out, "titleEn", playbook.titleEn);
    textMember(out, "category", playbook.category);
    optionalText(out, "summary", playbook.summary);
    optionalText(out, "summaryEn", playbook.summaryEn);
    member(out, "tags", jsonStringArray(playbook.tags));
    member(out, "stepCount", std::to_string(playbook.steps.size()));
    member(out, "origin", jsonQuote(asciiToWide(playbookOriginName(playbook.origin))));
    if (withSteps) {
        std::vector<std::string> steps;
        for (const PlaybookStep& s : playbook.steps) steps.push_back(stepDocument(s));
        member(out, "steps", jsonArrayOf(steps));
    }
    return out + "}";
}

std::vector<ToolRecord> buildMcpToolList(const std::vector<ToolRecord>& builtin,
                                         const std::vector<ToolRecord>& external, const ResolutionProbes& probes) {
    std::vector<ToolRecord> tools;
    tools.reserve(builtin.size() + external.size());
    for (const ToolRecord& tool : builtin) {
        if (isToolAvailable(tool, probes)) tools.push_back(tool);
    }
    tools.insert(tools.end(), external.begin(), external.end());
    return tools;
}

const std::vector<ToolRecord>& mcpToolList() {
    static const std::vector<ToolRecord> tools =
        buildMcpToolList(loadBuiltinTools(), loadExternalTools(), listingProbes(systemProbes()));
    return tools;
}

McpDocuments documentsOf(std::vector<std::string> plain) {
    McpDocuments documents;
    for (const std::string& document : plain) documents.escaped.push_back(jsonEscape(document));
    documents.plain = std::move(plain);
    return documents;
}

const McpDocuments& mcpToolDocuments() {
    static const McpDocuments documents = [] {
        std::vector<std::string> plain;
        for (const ToolRecord& tool : mcpToolList()) plain.push_back(toolDocument(tool));
        return documentsOf(std::move(plain));
    }();
    return documents;
}

const McpDocuments& mcpPlaybookDocuments() {
    static const McpDocuments documents = [] {
        std::vector<std::string> plain;
        for (const Playbook& playbook : mcpPlaybookList()) plain.push_back(playbookDocument(playbook, true));
        return documentsOf(std::move(plain));
    }();
    return documents;
}

const std::vector<Playbook>& mcpPlaybookList() {
    static const std::vector<Playbook> playbooks = loadPlaybookSet(catalogToolIds()).playbooks;
    return playbooks;
}
