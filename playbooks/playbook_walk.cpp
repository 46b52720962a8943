#include "playbooks/playbook_walk.h"

#include "data/text.h"
#include "data/ui_text_ids.h"

namespace {

const PlaybookStep* stepAt(const Playbook& playbook, int index) {
    if (index < 0 || static_cast<size_t>(index) >= playbook.steps.size()) return nullptr;
    return &playbook.steps[static_cast<size_t>(index)];
}

bool isGuarded(const PlaybookStep& step) {
    return step.actionType == StepActionType::Command || step.actionType == StepActionType::OpenUrl;
}

WalkTool toolOf(const PlaybookStep& step, const WalkContext& context) {
    if (!context.tool) return {step.ref, true};
    WalkTool tool = context.tool(step.ref);
    if (tool.name.empty()) tool.name = step.ref;
    return tool;
}

bool canRun(const PlaybookStep& step, const WalkContext& context) {
    switch (step.actionType) {
        case StepActionType::Tool: return !step.ref.empty() && toolOf(step, context).present;
        case StepActionType::Command:
        case StepActionType::OpenUrl: return step.enabled;
        default: return false;
    }
}

std::u16string shellName(const PlaybookStep& step) { return step.shell.empty() ? u"cmd" : step.shell; }

const std::u16string kDetailIndent = u"      [";

std::u16string uiText(const WalkTexts& texts, int id) { return texts.text ? texts.text(id) : std::u16string(); }

// The English field when English is shown and the field is not empty.
std::u16string localized(const WalkTexts& texts, const std::u16string& chinese, const std::u16string& english) {
    return texts.english && texts.english() && !english.empty() ? english : chinese;
}

// The step's command with the session's values in it; empty when none fills it.
const FilledCommand* filledOf(const PlaybookStep& step, const WalkContext& context, FilledCommand& out) {
    if (!context.captures || step.actionType != StepActionType::Command) return nullptr;
    out = fillStepCommand(step, *context.captures);
    return out.command == step.command ? nullptr : &out;
}

std::u16string outcomeWords(const WalkTexts& texts, StepOutcome outcome) {
    switch (outcome) {
        case StepOutcome::Ok: return uiText(texts, kTextReportReading + 1);
        case StepOutcome::Fail: return uiText(texts, kTextReportReading + 2);
        case StepOutcome::Unknown: break;
    }
    return uiText(texts, kTextReportReading + 3);
}

std::u16string captureSource(const Playbook& playbook, const CapturedValue& value, const WalkTexts& texts) {
    if (value.playbookId == playbook.id) {
        for (size_t i = 0; i < playbook.steps.size(); ++i) {
            if (playbook.steps[i].id == value.stepId)
                return withValues(uiText(texts, kTextCapturedFromStep), {value.name, value.value, decimalText(i + 1)});
        }
    }
    return withValues(uiText(texts, kTextCapturedFromPlaybook),
                      {value.name, value.value, value.playbookId, value.stepId});
}

// What the command printed, as read, and the values the session holds.
void addReadingLines(std::vector<WalkLine>& lines, const Playbook& playbook, const PlaybookStep& step,
                     uint32_t textColor, const WalkContext& context) {
    const WalkTexts& texts = context.texts;
    if (const StepReading* reading = context.reading) {
        const uint32_t color = reading->outcome == StepOutcome::Ok     ? kWalkGreen
                               : reading->outcome == StepOutcome::Fail ? kWalkRed
                                                                       : textColor;
        lines.push_back({kDetailIndent + uiText(texts, kTextReportReading) + u"] " +
                             outcomeWords(texts, reading->outcome) +
                             (reading->matched.empty() ? std::u16string() : u" \u2014 " + reading->matched),
                         color});
        if (reading->branch >= 0 && static_cast<size_t>(reading->branch) < step.branches.size()) {
            const StepBranch& branch = step.branches[static_cast<size_t>(reading->branch)];
            const std::u16string label = localized(texts, branch.label, branch.labelEn);
            lines.push_back({kDetailIndent + uiText(texts, kTextReportReading) + u"] " +
                                 withValues(uiText(texts, kTextSuggestedBranch), {label.empty() ? branch.when : label}),
                             color});
        }
    }
    if (!context.captures) return;
    for (const CapturedValue& value : context.captures->values)
        lines.push_back(
            {kDetailIndent + uiText(texts, kTextReportReading + 4) + u"] " + captureSource(playbook, value, texts),
             textColor});
}

void addDetailLines(std::vector<WalkLine>& lines, const PlaybookStep& step, uint32_t textColor,
                    const WalkContext& context) {
    const WalkTexts& texts = context.texts;
    const uint32_t actionColor = step.enabled ? kWalkGreen : kWalkRed;
    switch (step.actionType) {
        case StepActionType::Tool: {
            const WalkTool tool = toolOf(step, context);
            lines.push_back({kDetailIndent + uiText(texts, kTextStepTool) + u"] " + tool.name +
                                 (tool.present ? u"" : uiText(texts, kTextToolNotHere)),
                             tool.present ? kWalkGreen : kWalkRed});
            break;
        }
        case StepActionType::Command: {
            lines.push_back(
                {kDetailIndent + uiText(texts, kTextStepCommand) + u":" + shellName(step) + u"] " + step.command,
                 actionColor});
            FilledCommand filled;
            if (step.enabled && filledOf(step, context, filled)) {
                lines.push_back({kDetailIndent + uiText(texts, kTextStepCommand) + u"] " +
                                     (filled.verdict.allowed ? withValues(uiText(texts, kTextFillsAs), {filled.command})
                                                             : withValues(uiText(texts, kTextFillRefused),
                                                                          {localized(texts, filled.verdict.reason,
                                                                                     filled.verdict.reasonEn)})),
                                 filled.verdict.allowed ? kWalkGreen : kWalkRed});
            }
            break;
        }
        case StepActionType::OpenUrl:
            lines.push_back({kDetailIndent + uiText(texts, kTextStepLink) + u"] " + step.ref, actionColor});
            break;
        default: break;
    }
    if (isGuarded(step) && !step.enabled && !step.disabledReason.empty()) {
        lines.push_back({kDetailIndent + uiText(texts, kTextStepDisabled) + u"] " +
                             localized(texts, step.disabledReason, step.disabledReasonEn),
                         kWalkRed});
    }
    if (!step.hint.empty()) {
        const std::u16string hint = localized(texts, step.hint, step.hintEn);
        lines.push_back({kDetailIndent + uiText(texts, kTextStepHint) + u"] " + hint, textColor});
    }
}

}  // namespace

std::u16string walkDisplayTitle(const Playbook& playbook, const WalkTexts& texts) {
    return localized(texts, playbook.title, playbook.titleEn);
}

std::u16string playbookTabLabel(const Playbook& playbook, const WalkTexts& texts) {
    return uiText(texts, kTextPlaybookTabPrefix) + u"/" + walkDisplayTitle(playbook, texts);
}

WalkContent buildWalkContent(const Playbook& playbook, int current, uint32_t textColor, const WalkContext& context) {
    const WalkTexts& texts = context.texts;
    WalkContent content;
    auto& lines = content.lines;
    lines.push_back({walkDisplayTitle(playbook, texts), kWalkTitleColor});
    if (!playbook.summary.empty()) lines.push_back({localized(texts, playbook.summary, playbook.summaryEn), textColor});
    lines.push_back({u"", textColor});
    for (size_t i = 0; i < playbook.steps.size(); ++i) {
        const PlaybookStep& step = playbook.steps[i];
        const bool isCurrent = static_cast<int>(i) == current;
        uint32_t color = textColor;
        if (isCurrent) {
            color = kWalkTitleColor;
        } else if (isGuarded(step) && !step.enabled) {
            color = kWalkRed;
        }
        lines.push_back({std::u16string(isCurrent ? u"\u25B6 " : u"   ") + decimalText(i + 1) + u". " +
                             localized(texts, step.text, step.textEn),
                         color});
        if (!isCurrent) continue;
        addDetailLines(lines, step, textColor, context);
        addReadingLines(lines, playbook, step, textColor, context);
    }
    lines.push_back({u"", textColor});
    lines.push_back({uiText(texts, kTextWalkTip), textColor});

    auto& buttons = content.buttons;
    for (int slot = 0; slot <= static_cast<int>(WalkButton::Close); ++slot) {
        buttons[static_cast<size_t>(slot)].label = uiText(texts, kTextWalkPrevious + slot);
        buttons[static_cast<size_t>(slot)].visible = true;
    }
    const int stepCount = static_cast<int>(playbook.steps.size());
    const PlaybookStep* step = stepAt(playbook, current);
    buttons[0].enabled = !context.trail.empty() || current > 0;
    buttons[1].enabled = current < stepCount - 1;
    FilledCommand filled;
    const bool refused = step && filledOf(*step, context, filled) && !filled.verdict.allowed;
    buttons[2].enabled = step && canRun(*step, context) && !refused;
    buttons[3].enabled = step && step->actionType == StepActionType::Command && step->enabled;
    buttons[4].enabled = true;
    for (int k = 0; k < kWalkBranchSlots; ++k) {
        WalkButtonState& button = buttons[static_cast<size_t>(static_cast<int>(WalkButton::Branch1) + k)];
        if (!step || static_cast<size_t>(k) >= step->branches.size()) continue;
        const StepBranch& branch = step->branches[static_cast<size_t>(k)];
        button.label = localized(texts, branch.label, branch.labelEn);
        if (button.label.empty()) button.label = branch.when;
        button.visible = true;
        button.enabled = true;
        button.suggested = context.reading && context.reading->branch == k;
    }
    return content;
}

WalkAction walkButtonAction(const Playbook& playbook, int current, int slot, const WalkContext& context) {
    WalkAction action;
    const int stepCount = static_cast<int>(playbook.steps.size());
    const PlaybookStep* step = stepAt(playbook, current);
    switch (static_cast<WalkButton>(slot)) {
        case WalkButton::Prev:
            if (!context.trail.empty()) {
                action = {WalkActionKind::MoveTo, context.trail.back(), {}, {}};
            } else if (current > 0) {
                action = {WalkActionKind::MoveTo, current - 1, {}, {}};
            }
            break;
        case WalkButton::Next:
            if (current < stepCount - 1) action = {WalkActionKind::MoveTo, current + 1, {}, {}};
            break;
        case WalkButton::RunStep:
            if (!step) break;
            if (step->actionType == StepActionType::Tool && canRun(*step, context)) {
                action = {WalkActionKind::RunTool, 0, step->ref, {}};
            } else if (step->actionType == StepActionType::Command && step->enabled) {
                // A command that the values make unsafe is not filled at all.
                FilledCommand filled;
                const FilledCommand* values = filledOf(*step, context, filled);
                if (values && !values->verdict.allowed) break;
                action = {WalkActionKind::FillCommand, 0, shellName(*step), values ? values->command : step->command};
            } else if (step->actionType == StepActionType::OpenUrl && step->enabled) {
                action = {WalkActionKind::OpenLink, 0, step->ref, {}};
            }
            break;
        case WalkButton::CopyCmd:
            if (step && step->actionType == StepActionType::Command && step->enabled && !step->command.empty()) {
                action = {WalkActionKind::CopyCommand, 0, step->command, {}};
            }
            break;
        case WalkButton::Close: action = {WalkActionKind::Close, 0, {}, {}}; break;
        case WalkButton::Branch1:
        case WalkButton::Branch2:
        case WalkButton::Branch3: {
            const size_t k = static_cast<size_t>(slot - static_cast<int>(WalkButton::Branch1));
            if (!step || k >= step->branches.size()) break;
            const std::u16string& target = step->branches[k].gotoTarget;
            const std::u16string prefix = u"playbook:";
            if (target.compare(0, prefix.size(), prefix) == 0) {
                std::u16string id = target.substr(prefix.size());
                const size_t hash = id.find(u'#');
                if (hash != std::u16string::npos) id.resize(hash);
                action = {WalkActionKind::OpenPlaybook, 0, id, {}};
                break;
            }
            for (size_t i = 0; i < playbook.steps.size(); ++i) {
                if (playbook.steps[i].id == target) {
                    action = {WalkActionKind::MoveTo, static_cast<int>(i), {}, {}};
                    break;
                }
            }
            break;
        }
    }
    return action;
}

void recordWalkMove(std::vector<int>& trail, int from, bool back) {
    if (!back) {
        trail.push_back(from);
    } else if (!trail.empty()) {
        trail.pop_back();
    }
}

int mulDivRound(int value, int numerator, int denominator) {
    if (denominator == 0) return -1;
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = (denominator < 0 ? -denominator : denominator) / 2;
    const bool negative = (product < 0) != (denominator < 0);
    const long long magnitude =
        ((product < 0 ? -product : product) + half) / (denominator < 0 ? -denominator : denominator);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

WalkLayout layoutWalkButtons(int pageHeight, int dpi) {
    const int u = mulDivRound(30, dpi, 96);
    const int g = mulDivRound(6, dpi, 96);
    const int mainWidth = mulDivRound(98, dpi, 96);
    const int branchWidth = mulDivRound(150, dpi, 96);
    WalkLayout layout;
    layout.textBottom = pageHeight - 2 * u - 3 * g;
    if (layout.textBottom < u) layout.textBottom = u;
    const int branchTop = layout.textBottom + g;
    const int mainTop = layout.textBottom + 2 * g + u;
    for (int i = 0; i < kWalkButtonCount; ++i) {
        const bool branch = i >= static_cast<int>(WalkButton::Branch1);
        const int column = branch ? i - static_cast<int>(WalkButton::Branch1) : i;
        const int width = branch ? branchWidth : mainWidth;
        WalkRect& rect = layout.buttons[static_cast<size_t>(i)];
        rect.left = g + column * (width + g);
        rect.right = rect.left + width;
        rect.top = branch ? branchTop : mainTop;
        rect.bottom = rect.top + u;
    }
    return layout;
}

int hitTestWalkButtons(const WalkLayout& layout, const std::array<WalkButtonState, kWalkButtonCount>& buttons, int x,
                       int y) {
    for (int i = 0; i < kWalkButtonCount; ++i) {
        if (buttons[static_cast<size_t>(i)].visible && layout.buttons[static_cast<size_t>(i)].contains(x, y)) return i;
    }
    return -1;
}

bool isDarkColor(uint32_t colorref) {
    const uint32_t r = colorref & 0xFF;
    const uint32_t g = (colorref >> 8) & 0xFF;
    const uint32_t b = (colorref >> 16) & 0xFF;
    return (299 * r + 587 * g + 114 * b) / 1000 < 128;
}

WalkPalette walkPalette(uint32_t backgroundColor) {
    if (isDarkColor(backgroundColor)) return {0x404040, 0x4E4E4E, 0x242424, 0x646464, 0x6E6E6E};
    return {0xE4E4E4, 0xECECEC, 0xC6C6C6, 0x969696, 0xAAAAAA};
}
