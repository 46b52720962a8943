// The playbook panel's content and button rules, apart from any window.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/palette.h"
#include "playbooks/playbook.h"
#include "playbooks/step_reading.h"

// The shared palette's colours, as a walk uses them.
constexpr uint32_t kWalkTitleColor = kActionBlue;
constexpr uint32_t kWalkRed = kFailureRed;
constexpr uint32_t kWalkGreen = kHintGreen;

// Slots 0..7; the kind of slot i is i + 1.
enum class WalkButton : int {
    Prev = 0,
    Next = 1,
    RunStep = 2,
    CopyCmd = 3,
    Close = 4,
    Branch1 = 5,
    Branch2 = 6,
    Branch3 = 7
};
constexpr int kWalkButtonCount = 8;
constexpr int kWalkBranchSlots = 3;

struct WalkLine {
    std::u16string text;
    uint32_t color = 0;
};

struct WalkButtonState {
    std::u16string label;
    bool enabled = false;
    bool visible = false;
    bool suggested = false;  // a branch the current step's reading points to; the user still chooses
};

struct WalkContent {
    std::vector<WalkLine> lines;
    std::array<WalkButtonState, kWalkButtonCount> buttons;
};

// The walk's words come from above: the program's text table and language.
struct WalkTexts {
    std::function<std::u16string(int id)> text;  // empty: no fixed words
    std::function<bool()> english;  // empty: the Chinese fields
};

// A tool step's tool as this machine has it: its display name, and whether it can start here.
struct WalkTool {
    std::u16string name;
    bool present = false;
};
using WalkToolLookup = std::function<WalkTool(const std::u16string& toolId)>;

// What the walk knows beyond the playbook.
struct WalkContext {
    WalkTexts texts;
    WalkToolLookup tool;  // empty: every tool counts as present and shows by its id
    std::vector<int> trail;  // the steps left behind, oldest first; Previous retraces them
    const SessionCaptures* captures = nullptr;  // values a command step's placeholders take; null: none
    const StepReading* reading = nullptr;  // the current step's reading once its command ended; null: none
};

// Texts follow the language the texts record gives.
std::u16string walkDisplayTitle(const Playbook& playbook, const WalkTexts& texts);
std::u16string playbookTabLabel(const Playbook& playbook, const WalkTexts& texts);
WalkContent buildWalkContent(const Playbook& playbook, int current, uint32_t textColor,
                             const WalkContext& context = {});

enum class WalkActionKind { None, MoveTo, RunTool, FillCommand, OpenLink, CopyCommand, Close, OpenPlaybook };
struct WalkAction {
    WalkActionKind kind = WalkActionKind::None;
    int step = 0;  // MoveTo
    std::u16string first;  // tool id, shell, URL, command or playbook id
    std::u16string second;  // the command of FillCommand
};
// What a click on an enabled slot does.
WalkAction walkButtonAction(const Playbook& playbook, int current, int slot, const WalkContext& context = {});
// Keeps the trail after a move away from step from: going back drops its last
// step, any other move (Next, a branch) adds from.
void recordWalkMove(std::vector<int>& trail, int from, bool back);

struct WalkRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};
struct WalkLayout {
    int textBottom = 0;
    std::array<WalkRect, kWalkButtonCount> buttons;
};
int mulDivRound(int value, int numerator, int denominator);
WalkLayout layoutWalkButtons(int pageHeight, int dpi);
// The first visible slot containing the point, -1 when none.
int hitTestWalkButtons(const WalkLayout& layout, const std::array<WalkButtonState, kWalkButtonCount>& buttons, int x,
                       int y);

struct WalkPalette {
    uint32_t face = 0;
    uint32_t hoverFace = 0;
    uint32_t pressedFace = 0;
    uint32_t frame = 0;
    uint32_t disabledText = 0;
};
bool isDarkColor(uint32_t colorref);
WalkPalette walkPalette(uint32_t backgroundColor);
