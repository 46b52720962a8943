#include "ui/assistant_tab.h"

bool createAssistantInput(AssistantPanel&, HWND, HINSTANCE) { return false; }
void writeAssistantGreeting(AssistantPanel&) {}
void runAssistantQuery(AssistantPanel&) {}
void relabelAssistant(AssistantPanel&) {}
void setAssistantGreetingColor(AssistantPanel& panel, COLORREF color) { panel.greetingColor = color; }
void destroyAssistantInput(AssistantPanel&) {}
