#include "ui/assistant_answer.h"

#include "search/ranking.h"
#include "ui/ui_text.h"

namespace {
bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
}  // namespace

std::u16string assistantQueryText(const std::u16string& raw) {
    const std::u16string cut = raw.substr(0, kAssistantInputLimit);
    size_t begin = 0;
    size_t end = cut.size();
    while (begin < end && isBlank(cut[begin])) ++begin;
    while (end > begin && isBlank(cut[end - 1])) --end;
    return cut.substr(begin, end - begin);
}

AssistantAnswer answerQuery(const std::u16string& query, const std::vector<ToolRecord>& catalog,
                            const std::vector<Playbook>& playbooks, uint32_t greetingColor) {
    AssistantAnswer answer;
    answer.lines.push_back({u"\u203A " + query, kActionBlue});

    std::u16string titles;
    for (const auto& hit : searchPlaybooks(query, playbooks, kAnswerPlaybookLimit)) {
        if (hit.index >= playbooks.size()) continue;
        if (!titles.empty()) titles += u"\u3001";
        titles += playbooks[hit.index].title;  // the primary title in both languages
    }
    if (!titles.empty())
        answer.lines.push_back({uiText(kTextRelatedPlaybooks) + titles + uiText(kTextListedInResults), kHintGreen});

    const std::vector<ScoredIndex> hits = searchTools(query, catalog, kAnswerToolLimit);
    if (hits.empty()) {
        answer.lines.push_back({uiText(kTextNoMatchingTools), kFailureRed});
        return answer;
    }
    answer.lines.push_back({uiText(kTextRelevantTools), greetingColor});
    for (const auto& hit : hits) {
        answer.tools.push_back(hit.index);
        if (hit.index >= catalog.size()) continue;
        const ToolRecord& tool = catalog[hit.index];
        std::u16string line = u"  \u2022 " + localized(tool.name, tool.nameEn);
        if (!tool.fileName.empty()) line += u"  (" + tool.fileName + u")";
        answer.lines.push_back({line, kActionBlue});
    }
    return answer;
}

std::vector<AnswerLine> greetingLines(uint32_t greetingColor) {
    return {{uiText(kTextAssistantIntro), greetingColor}, {uiText(kTextOfflineEditionNote), greetingColor}};
}
