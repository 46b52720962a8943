// Troubleshooting playbooks: the records, the playbooks.json parser, the
// per-step safety verdict and the branch-target check.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/json.h"
#include "playbooks/step_reading.h"

enum class StepActionType : int32_t { Note = 0, Tool = 1, Command = 2, OpenUrl = 3, Unrecognised = 4 };

struct StepBranch {
    std::u16string when;  // the observation that selects it ("ok", "fail")
    std::u16string label;  // Chinese button text
    std::u16string labelEn;  // English button text
    // A step id of the same playbook, "playbook:<id>" or "playbook:<id>#<step>"; never empty.
    std::u16string gotoTarget;
    StepOutcome on = StepOutcome::Unknown;  // the reading that suggests it: "on", else "when"
};

struct PlaybookStep {
    std::u16string id;
    std::u16string text;
    std::u16string textEn;
    std::u16string hint;
    std::u16string hintEn;
    StepActionType actionType = StepActionType::Note;
    std::u16string shell = u"cmd";
    std::u16string command;  // as written in the pack, placeholders included
    std::u16string ref;  // tool id (tool step) or URL (open-url step)
    bool mutates = false;  // carried only; nothing acts on it
    bool enabled = true;
    std::u16string disabledReason;  // empty when enabled; Chinese
    std::u16string disabledReasonEn;  // the same in English
    std::vector<StepBranch> branches;
    // How to read the command's output; optional, and ignored by readers that do not know it.
    bool hasReading = false;
    ReadingRules reading;
    std::u16string readingProblem;  // empty unless the pack's rules are broken (then hasReading is false)
    std::u16string readingProblemEn;
};

// Where a playbook came from: the shipped pack (or its data-folder copy), a
// file of the team's folder beside the program, or one of the user's folder.
enum class PlaybookOrigin : int32_t { Shipped = 0, Team = 1, User = 2 };

struct Playbook {
    std::u16string id;
    std::u16string title;
    std::u16string titleEn;
    std::u16string category = u"playbooks";
    std::u16string summary;
    std::u16string summaryEn;
    std::vector<std::u16string> tags;
    std::vector<PlaybookStep> steps;
    PlaybookOrigin origin = PlaybookOrigin::Shipped;
};

// "shipped", "team" or "user", as the MCP documents name it.
const char* playbookOriginName(PlaybookOrigin origin);

// The reasons a step is disabled by its action rather than by the allowlist.
constexpr const char16_t* kHttpsOnlyReason = u"仅允许 https 链接";
constexpr const char16_t* kHttpsOnlyReasonEn = u"Only https links are allowed.";
constexpr const char16_t* kUnknownActionReason = u"未知动作类型";
constexpr const char16_t* kUnknownActionReasonEn = u"The step's action type is unknown.";

// Never fails: whatever does not fit the format is skipped; unsafe steps are
// kept but disabled with a reason.
std::vector<Playbook> parsePlaybooks(const JsonValue& document);

// The playbooks pack from the data directory chain or the embedded copy;
// empty when no copy can be loaded.
std::vector<Playbook> loadPlaybookPack();

// Exact, case-sensitive look-ups; the first match wins. -1 / nullptr when absent.
int findPlaybookIndex(const std::vector<Playbook>& playbooks, const std::u16string& id);
const Playbook* findPlaybook(const std::vector<Playbook>& playbooks, const std::u16string& id);
int findStepIndex(const Playbook& playbook, const std::u16string& stepId);
const PlaybookStep* findStep(const Playbook& playbook, const std::u16string& stepId);

// A branch goto split into its parts. For a same-playbook target only stepId is set.
struct BranchTarget {
    bool otherPlaybook = false;  // the goto began with "playbook:"
    std::u16string playbookId;
    std::u16string stepId;
};
BranchTarget parseBranchTarget(const std::u16string& gotoTarget);

// One line per branch whose target does not resolve; empty when all do.
std::vector<std::u16string> checkBranchTargets(const std::vector<Playbook>& playbooks);

// An id the pack gives more than one playbook, or more than one step of a
// playbook (stepId set); look-ups take the first of them.
struct DuplicateId {
    std::u16string playbookId;
    std::u16string stepId;  // empty for a playbook's own id
};
std::vector<DuplicateId> findDuplicateIds(const std::vector<Playbook>& playbooks);
