#include "ui/assistant_answer.h"

std::u16string assistantQueryText(const std::u16string&) { return {}; }
AssistantAnswer answerQuery(const std::u16string&, const std::vector<ToolRecord>&, const std::vector<Playbook>&,
                            uint32_t) {
    return {};
}
std::vector<AnswerLine> greetingLines(uint32_t) { return {}; }
