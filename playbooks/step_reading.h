// Reading a command step's output: the verdict its rules give, the branch
// that verdict suggests, and the values it captures for later steps. Rules
// are plain text fragments, never patterns, so no rule can be slow, and a
// captured value must be exactly of its kind before any command may hold it.
#pragma once

#include <string>
#include <vector>

#include "data/json.h"
#include "playbooks/allowlist.h"

struct Playbook;
struct PlaybookStep;

enum class CaptureKind : int { IPv4 = 0, IPv6 = 1, HostName = 2, Number = 3 };

// A named value taken from the output: the text after one of the labels on a
// line (leader dots, blanks and colons skipped), or a continuation line below
// it (indented, one word). The first candidate that is exactly of its kind wins.
struct OutputCapture {
    std::u16string name;
    CaptureKind kind = CaptureKind::IPv4;
    std::vector<std::u16string> labels;
};

enum class StepOutcome : int { Unknown = 0, Ok = 1, Fail = 2 };

struct ReadingRules {
    std::vector<std::u16string> ok;  // ASCII-case-insensitive fragments
    std::vector<std::u16string> fail;
    StepOutcome decides = StepOutcome::Fail;  // when both kinds of evidence appear
    std::vector<OutputCapture> captures;
};

// The step's "reading" member; a problem (both languages) when it is broken,
// and then no rules at all: a half-read rule could give a wrong verdict.
struct ParsedReading {
    ReadingRules rules;
    bool present = false;
    std::u16string problem;
    std::u16string problemEn;
};
ParsedReading parseReadingRules(const JsonValue* reading);
// A branch's optional "on": ok or fail; absent gives the branch's "when" when that is one of them.
StepOutcome branchOutcome(const std::u16string& on, const std::u16string& when);
StepOutcome outcomeFromText(const std::u16string& text);  // "ok", "fail", else Unknown
const char16_t* outcomeText(StepOutcome outcome);  // "ok", "fail", "unknown"
CaptureKind captureKindFromText(const std::u16string& text, bool* known);
const char16_t* captureKindText(CaptureKind kind);

// True only when the whole text is one value of that kind.
bool isValueOfKind(CaptureKind kind, const std::u16string& text);

struct CapturedValue {
    std::u16string name;
    std::u16string value;
    std::u16string playbookId;
    std::u16string stepId;
};

// Every value captured in one session, from any playbook; a newer value of a name replaces the older.
struct SessionCaptures {
    std::vector<CapturedValue> values;
};
void keepCapture(SessionCaptures& captures, const CapturedValue& value);
const CapturedValue* findCapture(const SessionCaptures& captures, const std::u16string& name);

struct StepReading {
    StepOutcome outcome = StepOutcome::Unknown;
    std::u16string matched;  // the deciding line, trimmed; empty when unknown
    int branch = -1;  // index into the step's branches, -1 when none fits
    std::vector<CapturedValue> captures;
};

// Pure: the reading of those output lines by the step's rules.
StepReading readStepOutput(const Playbook& playbook, const PlaybookStep& step,
                           const std::vector<std::u16string>& lines);
// The one call the panel makes when a filled command's output has ended:
// reads it and keeps what it captured for the rest of the session.
StepReading readStepAndKeep(const Playbook& playbook, const PlaybookStep& step,
                            const std::vector<std::u16string>& lines, SessionCaptures& captures);

// The step's command with each "{name}" that has a captured value filled in,
// and the allowlist's verdict on the filled text: a capture never gets past it.
struct FilledCommand {
    std::u16string command;
    CommandVerdict verdict;
    bool complete = false;  // no placeholder left
};
FilledCommand fillStepCommand(const PlaybookStep& step, const SessionCaptures& captures);

// Whether an entered command is the step's command with its placeholders
// filled: the fixed text alike (ASCII case aside, outer blanks trimmed), each
// "{name}" one non-blank word.
bool commandFitsStep(const std::u16string& entered, const std::u16string& stepCommand);

// Output text cut into lines at CR LF, LF or CR.
std::vector<std::u16string> splitOutputLines(const std::u16string& text);
