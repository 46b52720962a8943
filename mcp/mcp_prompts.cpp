// Playbooks offered as prompts: hosts show them as slash commands, and the
// prompt's message walks the agent through the steps and their verdicts.
#include <algorithm>

#include "data/text.h"
#include "mcp/mcp_documents.h"
#include "mcp/mcp_tools.h"
#include "playbooks/allowlist.h"

namespace {

bool isPlaceholderChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-';
}

// "a" then " b" when b is there: the bilingual pairs of the pack.
std::u16string both(const std::u16string& chinese, const std::u16string& english, const char16_t* between) {
    if (english.empty() || english == chinese) return chinese;
    if (chinese.empty()) return english;
    return chinese + between + english;
}

std::u16string promptDescription(const Playbook& playbook) {
    std::u16string summary = both(playbook.summary, playbook.summaryEn, u" ");
    return summary.empty() ? both(playbook.title, playbook.titleEn, u" ") : summary;
}

std::string argumentDescriptor(const std::u16string& name) {
    std::u16string placeholder = u"{" + name + u"}";
    return "{\"name\":" + jsonQuote(name) + ",\"description\":" +
           jsonQuote(u"填入命令中的 " + placeholder + u"。Fills " + placeholder + u" in the commands.") +
           ",\"required\":false}";
}

std::string promptDescriptor(const Playbook& playbook) {
    std::string out = "{\"name\":" + jsonQuote(playbook.id) +
                      ",\"title\":" + jsonQuote(both(playbook.title, playbook.titleEn, u" ")) +
                      ",\"description\":" + jsonQuote(promptDescription(playbook));
    std::vector<std::u16string> placeholders = playbookPlaceholders(playbook);
    if (!placeholders.empty()) {
        std::vector<std::string> arguments;
        for (const std::u16string& name : placeholders) arguments.push_back(argumentDescriptor(name));
        out += ",\"arguments\":" + jsonArrayOf(arguments);
    }
    return out + "}";
}

struct Filled {
    std::u16string command;
    bool changed = false;
};

Filled fillPlaceholders(const std::u16string& command, const JsonValue* arguments) {
    Filled out{command, false};
    if (!arguments || arguments->kind != JsonKind::Object) return out;
    for (const auto& [name, value] : arguments->members) {
        if (value.kind != JsonKind::String || value.text.empty()) continue;
        const std::u16string placeholder = u"{" + name + u"}";
        for (size_t at = out.command.find(placeholder); at != std::u16string::npos;
             at = out.command.find(placeholder, at + value.text.size())) {
            out.command.replace(at, placeholder.size(), value.text);
            out.changed = true;
        }
    }
    return out;
}

std::u16string verdictText(bool allowed, const std::u16string& reason) {
    if (allowed) return u"允许(只读白名单) allowed by the read-only allowlist";
    return reason.empty() ? u"不允许 not allowed" : u"不允许 not allowed: " + reason;
}

// The action line of a step; a filled-in command is judged again as filled in,
// since a value can turn an allowed command into one that is not.
std::u16string actionLine(const PlaybookStep& step, const JsonValue* arguments) {
    switch (step.actionType) {
        case StepActionType::Tool: return u"打开工具 Open tool: " + step.ref + u" (get_tool_info)";
        case StepActionType::OpenUrl:
            return u"打开网页 Open page: " + step.ref + u"  [" + verdictText(step.enabled, step.disabledReason) + u"]";
        case StepActionType::Command: {
            std::u16string shell = step.shell.empty() ? std::u16string(u"cmd") : step.shell;
            Filled filled = fillPlaceholders(step.command, arguments);
            CommandVerdict verdict{step.enabled, step.disabledReason, {}};
            if (step.enabled && filled.changed) verdict = checkCommand(shell, filled.command);
            return shell + u"> " + filled.command + u"  [" + verdictText(verdict.allowed, verdict.reason) + u"]";
        }
        case StepActionType::Note:
        case StepActionType::Unrecognised: break;
    }
    return {};
}

std::u16string stepLines(const PlaybookStep& step, const JsonValue* arguments) {
    std::u16string out = step.id + u". " + both(step.text, step.textEn, u" / ") + u"\n";
    std::u16string hint = both(step.hint, step.hintEn, u" / ");
    if (!hint.empty()) out += u"    提示 Hint: " + hint + u"\n";
    std::u16string action = actionLine(step, arguments);
    if (!action.empty()) out += u"    " + action + u"\n";
    if (!step.branches.empty()) {
        out += u"    分支 Branches:";
        for (size_t i = 0; i < step.branches.size(); ++i) {
            const StepBranch& branch = step.branches[i];
            out.append(i ? u"; " : u" ").append(both(branch.label, branch.labelEn, u" "));
            out.append(u" → ").append(branch.gotoTarget);
        }
        out += u"\n";
    }
    return out;
}

std::u16string promptText(const Playbook& playbook, const JsonValue* arguments) {
    std::u16string out = u"请按排障剧本“" + playbook.title + u"”(" + playbook.id +
                         u")一步一步带我排查。Walk me through the troubleshooting playbook \"" +
                         (playbook.titleEn.empty() ? playbook.title : playbook.titleEn) + u"\" (" + playbook.id +
                         u"), one step at a time.\n";
    std::u16string summary = both(playbook.summary, playbook.summaryEn, u" ");
    if (!summary.empty()) out += summary + u"\n";
    out +=
        u"每次给我一步,等我说出看到的结果,再按分支走下一步。命令由我自己在终端里运行:只给我标为允许的命令,"
        u"标为不允许的不要让我运行。Give me one step at a time, wait for what I observe, then follow the "
        u"matching branch. I run each command myself in a terminal: offer only commands marked allowed, never "
        u"one marked not allowed.\n";
    std::u16string missing;
    for (const std::u16string& name : playbookPlaceholders(playbook)) {
        if (!fillPlaceholders(u"{" + name + u"}", arguments).changed) missing += u" {" + name + u"}";
    }
    if (!missing.empty()) {
        out += u"命令里的占位符要换成实际的值,用到之前先问我:" + missing +
               u"。Before a step that uses them, ask me for the values of:" + missing + u".\n";
    }
    out += u"\n步骤 Steps:\n";
    for (const PlaybookStep& step : playbook.steps) out += stepLines(step, arguments);
    return out;
}

}  // namespace

std::vector<std::u16string> playbookPlaceholders(const Playbook& playbook) {
    std::vector<std::u16string> names;
    for (const PlaybookStep& step : playbook.steps) {
        if (step.actionType != StepActionType::Command) continue;
        const std::u16string& command = step.command;
        for (size_t open = command.find(u'{'); open != std::u16string::npos; open = command.find(u'{', open + 1)) {
            size_t end = open + 1;
            while (end < command.size() && isPlaceholderChar(command[end])) ++end;
            if (end == open + 1 || end == command.size() || command[end] != u'}') continue;
            std::u16string name = command.substr(open + 1, end - open - 1);
            if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        }
    }
    return names;
}

std::string mcpPromptList(const std::vector<Playbook>& playbooks) {
    std::vector<std::string> prompts;
    prompts.reserve(playbooks.size());
    for (const Playbook& playbook : playbooks) prompts.push_back(promptDescriptor(playbook));
    return jsonArrayOf(prompts);
}

std::string mcpPromptResult(const std::vector<Playbook>& playbooks, const std::u16string& name,
                            const JsonValue* arguments) {
    const Playbook* playbook = findPlaybook(playbooks, name);
    if (!playbook) return {};
    return "{\"description\":" + jsonQuote(promptDescription(*playbook)) +
           ",\"messages\":[{\"role\":\"user\",\"content\":{\"type\":\"text\",\"text\":" +
           jsonQuote(promptText(*playbook, arguments)) + "}}]}";
}
