// What a window notes as its session goes on, for the session report:
// Activity lines, the playbooks opened and what was done with their steps,
// and the terminals closed meanwhile. Times are the window's clock texts.
#pragma once

#include <string>
#include <vector>

#include "playbooks/playbook.h"
#include "playbooks/playbook_walk.h"
#include "report/session_report.h"

struct StepUseNote {
    int step = 0;
    WalkActionKind action = WalkActionKind::None;  // RunTool, FillCommand or CopyCommand
    std::u16string time;
};

struct PlaybookVisit {
    Playbook playbook;
    std::u16string openedAt;  // the first time it was opened
    std::vector<StepUseNote> uses;
};

struct SessionLog {
    std::u16string startedAt;
    std::vector<ActivityRecord> activity;
    std::vector<PlaybookVisit> playbooks;  // in the order first opened
    std::vector<TerminalRecord> closedTerminals;
    std::vector<QuestionRecord> questions;
    std::vector<LaunchRecord> launches;
};

void notePlaybookOpened(SessionLog& log, const Playbook& playbook, const std::u16string& time);
// Only running a tool, filling a command and copying one are noted.
void noteStepUsed(SessionLog& log, const Playbook& playbook, int step, WalkActionKind action,
                  const std::u16string& time);
// The playbooks in the report's language: every step with its kind, text,
// command or tool, the allowlist's verdict for command steps, and its uses.
std::vector<PlaybookRecord> playbookRecords(const SessionLog& log, const ReportLabels& labels);
// Each used command step that has reading rules, read from the output that
// followed the last command entered for it in any of those terminals, with
// what it captured.
void addStepReadings(std::vector<PlaybookRecord>& records, const SessionLog& log,
                     const std::vector<TerminalRecord>& terminals, const ReportLabels& labels);
