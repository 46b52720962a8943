#include "report/session_log.h"

#include "playbooks/step_reading.h"

namespace {

PlaybookVisit* visitOf(SessionLog& log, const std::u16string& playbookId) {
    for (PlaybookVisit& visit : log.playbooks)
        if (visit.playbook.id == playbookId) return &visit;
    return nullptr;
}

bool english(const ReportLabels& labels) { return labels.language == u"en"; }

std::u16string stepKind(const PlaybookStep& step, const ReportLabels& labels) {
    switch (step.actionType) {
        case StepActionType::Tool: return labels.kindTool;
        case StepActionType::Command: return labels.kindCommand;
        case StepActionType::OpenUrl: return labels.kindLink;
        case StepActionType::Note:
        case StepActionType::Unrecognised: break;
    }
    return labels.kindNote;
}

std::u16string useWords(WalkActionKind action, const ReportLabels& labels) {
    switch (action) {
        case WalkActionKind::RunTool: return labels.usedRun;
        case WalkActionKind::FillCommand: return labels.usedFilled;
        case WalkActionKind::CopyCommand: return labels.usedCopied;
        default: return {};
    }
}

StepRecord stepRecord(const PlaybookStep& step, const ReportLabels& labels) {
    StepRecord record;
    record.kind = stepKind(step, labels);
    record.text = english(labels) && !step.textEn.empty() ? step.textEn : step.text;
    switch (step.actionType) {
        case StepActionType::Command:
            record.detail = step.shell + u"> " + step.command;
            record.verdict = step.enabled ? labels.allowed : step.disabledReason;
            break;
        case StepActionType::Tool:
        case StepActionType::OpenUrl: record.detail = step.ref; break;
        case StepActionType::Note:
        case StepActionType::Unrecognised: break;
    }
    return record;
}

}  // namespace

void notePlaybookOpened(SessionLog& log, const Playbook& playbook, const std::u16string& time) {
    if (visitOf(log, playbook.id)) return;
    log.playbooks.push_back({playbook, time, {}});
}

void noteStepUsed(SessionLog& log, const Playbook& playbook, int step, WalkActionKind action,
                  const std::u16string& time) {
    if (action != WalkActionKind::RunTool && action != WalkActionKind::FillCommand &&
        action != WalkActionKind::CopyCommand)
        return;
    PlaybookVisit* visit = visitOf(log, playbook.id);
    if (!visit) {
        notePlaybookOpened(log, playbook, time);
        visit = &log.playbooks.back();
    }
    visit->uses.push_back({step, action, time});
}

std::vector<PlaybookRecord> playbookRecords(const SessionLog& log, const ReportLabels& labels) {
    std::vector<PlaybookRecord> records;
    for (const PlaybookVisit& visit : log.playbooks) {
        PlaybookRecord record;
        const Playbook& playbook = visit.playbook;
        record.title = english(labels) && !playbook.titleEn.empty() ? playbook.titleEn : playbook.title;
        record.openedAt = visit.openedAt;
        for (const PlaybookStep& step : playbook.steps) record.steps.push_back(stepRecord(step, labels));
        for (const StepUseNote& use : visit.uses)
            if (use.step >= 0 && size_t(use.step) < record.steps.size())
                record.steps[size_t(use.step)].uses.push_back({useWords(use.action, labels), use.time});
        records.push_back(std::move(record));
    }
    return records;
}

namespace {

// The output of the last command entered that fits the step's command.
const CommandBlock* lastRunOf(const PlaybookStep& step, const std::vector<TerminalRecord>& terminals) {
    const CommandBlock* found = nullptr;
    for (const TerminalRecord& terminal : terminals)
        for (const CommandBlock& block : terminal.blocks)
            if (!block.command.empty() && commandFitsStep(block.command, step.command)) found = &block;
    return found;
}

std::u16string outcomeWords(StepOutcome outcome, const ReportLabels& labels) {
    switch (outcome) {
        case StepOutcome::Ok: return labels.readOk;
        case StepOutcome::Fail: return labels.readFail;
        case StepOutcome::Unknown: break;
    }
    return labels.readUnknown;
}

}  // namespace

void addStepReadings(std::vector<PlaybookRecord>& records, const SessionLog& log,
                     const std::vector<TerminalRecord>& terminals, const ReportLabels& labels) {
    for (size_t v = 0; v < log.playbooks.size() && v < records.size(); ++v) {
        const PlaybookVisit& visit = log.playbooks[v];
        for (size_t s = 0; s < visit.playbook.steps.size() && s < records[v].steps.size(); ++s) {
            const PlaybookStep& step = visit.playbook.steps[s];
            StepRecord& record = records[v].steps[s];
            const CommandBlock* run = step.hasReading && !record.uses.empty() ? lastRunOf(step, terminals) : nullptr;
            if (!run) continue;
            std::u16string output;
            for (const OutputRun& part : run->output) output += part.text;
            StepReading reading = readStepOutput(visit.playbook, step, splitOutputLines(output));
            record.reading = outcomeWords(reading.outcome, labels);
            if (!reading.matched.empty()) record.reading += u" — " + reading.matched;
            for (const CapturedValue& value : reading.captures)
                record.captures += (record.captures.empty() ? u"" : u", ") + value.name + u" = " + value.value;
        }
    }
}
