// The Assistant tab: the input box under the answer page.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "data/tool_record.h"
#include "playbooks/playbook.h"

struct LogPane;

struct AssistantPanel {
    LogPane* pane = nullptr;  // the answer page, created and owned by the main window
    HWND input = nullptr;
    HFONT inputFont = nullptr;
    const std::vector<ToolRecord>* catalog = nullptr;
    const std::vector<Playbook>* playbooks = nullptr;
    std::function<void(const std::vector<uint64_t>& tools, const std::u16string& query)> onResults;
    std::u16string lastQuery;
    COLORREF greetingColor = RGB(0xCC, 0xCC, 0xCC);
};

// Creates the input box (cue banner, font, key handler); false when it cannot be made.
bool createAssistantInput(AssistantPanel& panel, HWND parent, HINSTANCE instance);
void writeAssistantGreeting(AssistantPanel& panel);
// Reads, answers and hands over the input box's query (what Enter does).
void runAssistantQuery(AssistantPanel& panel);
// Language change: cue banner again, clear the page, greeting again.
void relabelAssistant(AssistantPanel& panel);
// Theme change: the colour of the greeting and the tool heading.
void setAssistantGreetingColor(AssistantPanel& panel, COLORREF color);
void destroyAssistantInput(AssistantPanel& panel);
