// The playbook panel: the owner-drawn "ToolkeepPlaybookView" window that walks
// one playbook in its own tab of the main tab control.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "playbooks/playbook.h"
#include "playbooks/playbook_walk.h"
#include "terminal/page_list.h"

constexpr wchar_t kPlaybookViewClass[] = L"ToolkeepPlaybookView";

struct PanelButton {
    RECT rect = {};
    std::u16string label;
    int kind = 0;
    bool enabled = false;
    bool visible = false;
    bool suggested = false;
};

struct PanelLine {
    std::u16string text;
    COLORREF color = 0;
};

// How the panel reaches the main tab control, without knowing the window.
struct PlaybookTabHost {
    PageList* pages = nullptr;  // the main tab control's pages; the panel owns its own page
    std::function<void(int)> selectTab;  // bring a tab to the front
    std::function<void()> afterClose;  // bring a terminal or Activity forward, lay out
    std::function<void()> layout;
};

struct PlaybookPanel {
    HWND window = nullptr;
    HFONT buttonFont = nullptr;
    HFONT textFont = nullptr;
    int textFontSize = 11;
    HBRUSH backgroundBrush = nullptr;
    std::array<PanelButton, kWalkButtonCount> buttons;
    std::vector<PanelLine> lines;
    int textBottom = 0;
    int pressed = -1;
    int hover = -1;
    COLORREF textColor = RGB(204, 204, 204);
    COLORREF backgroundColor = RGB(12, 12, 12);
    Playbook playbook;
    int current = 0;
    std::vector<int> trail;  // the steps walked through to reach current (see recordWalkMove)
    SessionCaptures captures;  // every value read this session, from any playbook walked
    int filledStep = -1;  // the step whose command was last filled, read when it ends
    std::vector<std::pair<int, StepReading>> readings;  // by step of the playbook shown
    WalkToolLookup findTool;  // a tool step's tool on this machine; empty: shown by id
    std::function<void(const std::u16string& toolId)> runTool;
    std::function<void(const std::u16string& url)> openLink;
    std::function<void(const std::u16string& playbookId)> openPlaybook;
    std::function<void(const std::u16string& shell, const std::u16string& command)> fillCommand;
    std::function<void()> close;
    // Told of each playbook loaded, and of each step's tool run, command filled or copied.
    std::function<void(const Playbook& playbook)> opened;
    std::function<void(const Playbook& playbook, int step, WalkActionKind action)> stepUsed;
    PlaybookTabHost host;
    WalkTexts texts;  // the words of the page and its buttons
};

// Registers the class once per process.
bool registerPlaybookViewClass(HINSTANCE instance);
// Creates the hidden child; fontSize below 1 gives 11 points.
bool createPlaybookPanel(PlaybookPanel& panel, HWND parent, HINSTANCE instance, int fontSize);
void destroyPlaybookPanel(PlaybookPanel& panel);

void openPlaybookTab(PlaybookPanel& panel, const std::vector<Playbook>& playbooks, size_t index);
void closePlaybookTab(PlaybookPanel& panel);
void loadPlaybook(PlaybookPanel& panel, const Playbook& playbook);
void rebuildPanel(PlaybookPanel& panel);
// Language change: content and the tab label.
void relabelPlaybookPanel(PlaybookPanel& panel);
void setPanelTextFont(PlaybookPanel& panel, int points);
void setPanelColors(PlaybookPanel& panel, COLORREF background, COLORREF text);
// Button rectangles and text bottom for a page of this size (the panel's DPI).
void layoutPlaybookPanel(PlaybookPanel& panel, int width, int height);
// A command entered in any terminal has ended with that output: when it is
// the command last filled from a step, the step shows its reading.
void notePanelCommandEnded(PlaybookPanel& panel, const std::u16string& command, const std::u16string& output);
// The current step's reading, null until its command has ended.
const StepReading* currentPanelReading(const PlaybookPanel& panel);
// Hidden or another tab came forward: forget hover and press, drop the capture.
void resetPanelMouse(PlaybookPanel& panel);
