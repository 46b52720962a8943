// The Assistant's answer to one query, as coloured lines plus the hand-over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/palette.h"
#include "data/tool_record.h"
#include "playbooks/playbook.h"

constexpr size_t kAssistantInputLimit = 1022;
constexpr size_t kAnswerPlaybookLimit = 3;
constexpr size_t kAnswerToolLimit = 20;

struct AnswerLine {
    std::u16string text;
    uint32_t color = 0;
};

struct AssistantAnswer {
    std::vector<AnswerLine> lines;
    std::vector<uint64_t> tools;  // hand-over, rank order
};

// Cut to the input limit, then trimmed of blanks, tabs, CR and LF at both ends.
std::u16string assistantQueryText(const std::u16string& raw);
// The lines for a non-empty trimmed query, in the current UI language.
AssistantAnswer answerQuery(const std::u16string& query, const std::vector<ToolRecord>& catalog,
                            const std::vector<Playbook>& playbooks, uint32_t greetingColor);
std::vector<AnswerLine> greetingLines(uint32_t greetingColor);
