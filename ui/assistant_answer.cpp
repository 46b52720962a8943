#include "ui/assistant_answer.h"

#include "search/ranking.h"
#include "ui/ui_text.h"

namespace {
bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// Where an admin starts when the symptom names nothing known: the logs, the
// reliability history, one shell. Each row offers the first of its tools that
// the catalog holds.
const std::vector<std::vector<std::u16string>> kGeneralTools = {
    {u"builtin.eventvwr"}, {u"builtin.perfmon-rel"}, {u"builtin.cmd", u"builtin.powershell", u"builtin.wt"}};

std::vector<ScoredIndex> generalTools(const std::vector<ToolRecord>& catalog) {
    std::vector<ScoredIndex> found;
    for (const auto& choices : kGeneralTools) {
        size_t at = catalog.size();
        for (size_t c = 0; c < choices.size() && at == catalog.size(); ++c)
            for (size_t i = 0; i < catalog.size() && at == catalog.size(); ++i)
                if (catalog[i].id == choices[c]) at = i;
        if (at < catalog.size()) found.push_back({at, 0});
    }
    return found;
}

std::u16string joinedTitles(const std::vector<Playbook>& playbooks, const std::vector<ScoredIndex>& hits) {
    std::u16string titles;
    for (const auto& hit : hits) {
        if (hit.index >= playbooks.size()) continue;
        if (!titles.empty()) titles += u"\u3001";
        titles += playbooks[hit.index].title;  // the primary title in both languages
    }
    return titles;
}

void addToolLines(AssistantAnswer& answer, const std::vector<ToolRecord>& catalog,
                  const std::vector<ScoredIndex>& hits) {
    for (const auto& hit : hits) {
        answer.tools.push_back(hit.index);
        if (hit.index >= catalog.size()) continue;
        const ToolRecord& tool = catalog[hit.index];
        std::u16string line = u"  \u2022 " + localized(tool.name, tool.nameEn);
        if (!tool.fileName.empty()) line += u"  (" + tool.fileName + u")";
        answer.lines.push_back({line, kActionBlue});
    }
}

// No tool matched: the general tools and, when no playbook matched either, all of them.
void addFallback(AssistantAnswer& answer, const std::vector<ToolRecord>& catalog,
                 const std::vector<Playbook>& playbooks, bool playbookMatched) {
    const std::vector<ScoredIndex> general = generalTools(catalog);
    if (general.empty()) {
        answer.lines.push_back({uiText(kTextNoMatchingTools), kFailureRed});
    } else {
        answer.lines.push_back({uiText(kTextNoExactMatch), kFailureRed});
        addToolLines(answer, catalog, general);
    }
    if (playbookMatched || playbooks.empty()) return;
    std::vector<ScoredIndex> every;
    for (size_t i = 0; i < playbooks.size(); ++i) every.push_back({i, 0});
    answer.lines.push_back(
        {uiText(kTextEveryPlaybook) + joinedTitles(playbooks, every) + uiText(kTextOpenFromPlaybooks), kHintGreen});
}
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

    const std::u16string titles = joinedTitles(playbooks, searchPlaybooks(query, playbooks, kAnswerPlaybookLimit));
    if (!titles.empty())
        answer.lines.push_back({uiText(kTextRelatedPlaybooks) + titles + uiText(kTextListedInResults), kHintGreen});

    const std::vector<ScoredIndex> hits = searchTools(query, catalog, kAnswerToolLimit);
    if (hits.empty()) {
        addFallback(answer, catalog, playbooks, !titles.empty());
        return answer;
    }
    answer.lines.push_back({uiText(kTextRelevantTools), greetingColor});
    addToolLines(answer, catalog, hits);
    return answer;
}

std::vector<AnswerLine> greetingLines(uint32_t greetingColor) {
    return {{uiText(kTextAssistantIntro), greetingColor}, {uiText(kTextOfflineEditionNote), greetingColor}};
}
