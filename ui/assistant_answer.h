// The Assistant's answer to one query, as coloured lines plus the hand-over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/tool_record.h"
#include "playbooks/playbook.h"

// COLORREF layout (0x00BBGGRR).
constexpr uint32_t kAnswerBlue = 0xDC6824;
constexpr uint32_t kAnswerGreen = 0x5A9628;
constexpr uint32_t kAnswerRed = 0x2828C8;

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
