#include "playbooks/playbook.h"

#include <set>

#include "data/data_pack.h"
#include "playbooks/allowlist.h"

namespace {

constexpr const char16_t* kPlaybookPrefix = u"playbook:";

std::vector<std::u16string> readStringArray(const JsonValue& object, const std::u16string& key) {
    std::vector<std::u16string> out;
    const JsonValue* array = findMember(object, key);
    if (!isKind(array, JsonKind::Array)) return out;
    for (const JsonValue& item : array->items) {
        if (item.kind == JsonKind::String) out.push_back(item.text);
    }
    return out;
}

// The object elements of an array member; nothing when the member is absent or not an array.
std::vector<const JsonValue*> objectElements(const JsonValue& object, const std::u16string& key) {
    std::vector<const JsonValue*> out;
    const JsonValue* array = findMember(object, key);
    if (!isKind(array, JsonKind::Array)) return out;
    for (const JsonValue& item : array->items) {
        if (item.kind == JsonKind::Object) out.push_back(&item);
    }
    return out;
}

StepActionType actionTypeFromString(const std::u16string& type) {
    if (type.empty() || type == u"note") return StepActionType::Note;
    if (type == u"tool") return StepActionType::Tool;
    if (type == u"command") return StepActionType::Command;
    if (type == u"open-url" || type == u"url") return StepActionType::OpenUrl;
    return StepActionType::Unrecognised;
}

void applyStepVerdict(PlaybookStep& step) {
    step.enabled = true;
    step.disabledReason.clear();
    step.disabledReasonEn.clear();
    switch (step.actionType) {
        case StepActionType::Command: {
            CommandVerdict verdict = checkCommand(step.shell, step.command);
            step.enabled = verdict.allowed;
            step.disabledReason = verdict.reason;
            step.disabledReasonEn = verdict.reasonEn;
            break;
        }
        case StepActionType::OpenUrl:
            if (step.ref.compare(0, 8, u"https://") != 0) {
                step.enabled = false;
                step.disabledReason = kHttpsOnlyReason;
                step.disabledReasonEn = kHttpsOnlyReasonEn;
            }
            break;
        case StepActionType::Unrecognised:
            step.enabled = false;
            step.disabledReason = kUnknownActionReason;
            step.disabledReasonEn = kUnknownActionReasonEn;
            break;
        case StepActionType::Note:
        case StepActionType::Tool: break;
    }
}

PlaybookStep parseStep(const JsonValue& object) {
    PlaybookStep step;
    step.id = getString(object, u"id");
    step.text = getString(object, u"text");
    step.textEn = getString(object, u"textEn");
    step.hint = getString(object, u"hint");
    step.hintEn = getString(object, u"hintEn");
    const JsonValue* action = findMember(object, u"action");
    if (isKind(action, JsonKind::Object)) {
        step.actionType = actionTypeFromString(getString(*action, u"type"));
        step.shell = getString(*action, u"shell", u"cmd");
        step.command = getString(*action, u"command");
        step.ref = getString(*action, u"ref");
        step.mutates = getBool(*action, u"mutates", false);
    }
    for (const JsonValue* item : objectElements(object, u"branches")) {
        StepBranch branch;
        branch.when = getString(*item, u"when");
        branch.label = getString(*item, u"label");
        branch.labelEn = getString(*item, u"labelEn");
        branch.gotoTarget = getString(*item, u"goto");
        std::u16string on = getString(*item, u"on");
        branch.on = branchOutcome(on, branch.when);
        if (!on.empty() && branch.on == StepOutcome::Unknown && step.readingProblem.empty()) {
            step.readingProblem = u"读取规则无效: 分支的 \"on\" 只能是 ok 或 fail";
            step.readingProblemEn = u"The reading rules are broken: a branch's \"on\" must be ok or fail.";
        }
        if (!branch.gotoTarget.empty()) step.branches.push_back(std::move(branch));
    }
    ParsedReading reading = parseReadingRules(findMember(object, u"reading"));
    if (reading.present && step.actionType != StepActionType::Command && reading.problem.empty()) {
        reading.problem = u"读取规则无效: 只有命令步骤能读取输出";
        reading.problemEn = u"The reading rules are broken: only a command step has output to read.";
    }
    if (step.readingProblem.empty()) {
        step.readingProblem = reading.problem;
        step.readingProblemEn = reading.problemEn;
    }
    step.hasReading = reading.present && step.readingProblem.empty();
    if (step.hasReading) step.reading = std::move(reading.rules);
    applyStepVerdict(step);
    return step;
}

}  // namespace

std::vector<Playbook> parsePlaybooks(const JsonValue& document) {
    std::vector<Playbook> playbooks;
    for (const JsonValue* item : objectElements(document, u"playbooks")) {
        Playbook playbook;
        playbook.id = getString(*item, u"id");
        playbook.title = getString(*item, u"title");
        if (playbook.id.empty() || playbook.title.empty()) continue;
        playbook.titleEn = getString(*item, u"titleEn");
        playbook.category = getString(*item, u"category", u"playbooks");
        playbook.summary = getString(*item, u"summary");
        playbook.summaryEn = getString(*item, u"summaryEn");
        playbook.tags = readStringArray(*item, u"tags");
        for (const JsonValue* stepObject : objectElements(*item, u"steps")) {
            if (getString(*stepObject, u"id").empty()) continue;
            playbook.steps.push_back(parseStep(*stepObject));
        }
        playbooks.push_back(std::move(playbook));
    }
    return playbooks;
}

std::vector<Playbook> loadPlaybookPack() {
    std::optional<JsonValue> document = loadDataPack(kPlaybooksPack);
    if (!document) return {};
    return parsePlaybooks(*document);
}

const char* playbookOriginName(PlaybookOrigin origin) {
    switch (origin) {
        case PlaybookOrigin::Team: return "team";
        case PlaybookOrigin::User: return "user";
        case PlaybookOrigin::Shipped: break;
    }
    return "shipped";
}

int findPlaybookIndex(const std::vector<Playbook>& playbooks, const std::u16string& id) {
    for (size_t i = 0; i < playbooks.size(); ++i) {
        if (playbooks[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

const Playbook* findPlaybook(const std::vector<Playbook>& playbooks, const std::u16string& id) {
    int index = findPlaybookIndex(playbooks, id);
    return index < 0 ? nullptr : &playbooks[static_cast<size_t>(index)];
}

int findStepIndex(const Playbook& playbook, const std::u16string& stepId) {
    for (size_t i = 0; i < playbook.steps.size(); ++i) {
        if (playbook.steps[i].id == stepId) return static_cast<int>(i);
    }
    return -1;
}

const PlaybookStep* findStep(const Playbook& playbook, const std::u16string& stepId) {
    int index = findStepIndex(playbook, stepId);
    return index < 0 ? nullptr : &playbook.steps[static_cast<size_t>(index)];
}

BranchTarget parseBranchTarget(const std::u16string& gotoTarget) {
    BranchTarget target;
    const std::u16string prefix = kPlaybookPrefix;
    if (gotoTarget.compare(0, prefix.size(), prefix) != 0) {
        target.stepId = gotoTarget;
        return target;
    }
    target.otherPlaybook = true;
    std::u16string rest = gotoTarget.substr(prefix.size());
    size_t hash = rest.find(u'#');
    target.playbookId = rest.substr(0, hash);
    if (hash != std::u16string::npos) target.stepId = rest.substr(hash + 1);
    return target;
}

std::vector<std::u16string> checkBranchTargets(const std::vector<Playbook>& playbooks) {
    std::vector<std::u16string> problems;
    for (const Playbook& playbook : playbooks) {
        for (const PlaybookStep& step : playbook.steps) {
            for (const StepBranch& branch : step.branches) {
                std::u16string where = playbook.id + u"/" + step.id;
                BranchTarget target = parseBranchTarget(branch.gotoTarget);
                if (!target.otherPlaybook) {
                    if (!findStep(playbook, target.stepId))
                        problems.push_back(where + u" → 本剧本无步骤: " + branch.gotoTarget);
                    continue;
                }
                const Playbook* other = findPlaybook(playbooks, target.playbookId);
                if (!other) {
                    problems.push_back(where + u" → 未知剧本: " + target.playbookId);
                } else if (!target.stepId.empty() && !findStep(*other, target.stepId)) {
                    problems.push_back(where + u" → 剧本 " + target.playbookId + u" 无步骤 " + target.stepId);
                }
            }
        }
    }
    return problems;
}

std::vector<DuplicateId> findDuplicateIds(const std::vector<Playbook>& playbooks) {
    std::vector<DuplicateId> duplicates;
    std::set<std::u16string> playbookIds;
    for (const Playbook& playbook : playbooks) {
        if (!playbookIds.insert(playbook.id).second) duplicates.push_back({playbook.id, {}});
        std::set<std::u16string> stepIds;
        for (const PlaybookStep& step : playbook.steps)
            if (!stepIds.insert(step.id).second) duplicates.push_back({playbook.id, step.id});
    }
    return duplicates;
}
