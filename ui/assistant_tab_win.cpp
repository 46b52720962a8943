#include "ui/assistant_tab.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win_dpi.h"
#include "platform/win_text.h"
#include "ui/assistant_answer.h"
#include "ui/glyph_table.h"
#include "ui/icon_glyphs.h"
#include "ui/log_pane.h"
#include "ui/ui_fonts.h"
#include "ui/ui_text.h"

namespace {

constexpr UINT_PTR kInputSubclassId = 1;

const std::vector<ToolRecord> kNoTools;
const std::vector<Playbook> kNoPlaybooks;

void setCueBanner(HWND input) {
    const std::u16string cue = uiText(kTextAssistantCue);
    SendMessageW(input, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(wstr(cue)));
    InvalidateRect(input, nullptr, TRUE);  // shown at once, not at the next repaint
}

// A line's leading icon is left out where the pane's fonts would show a box.
void writeLines(AssistantPanel& panel, const std::vector<AnswerLine>& lines) {
    if (!panel.pane) return;
    for (const auto& line : lines) {
        const std::u16string icon = leadingSymbol(line.text);
        const bool drop = !icon.empty() && !iconDrawable(panel.pane->window, icon);
        const std::u16string text = drop ? line.text.substr(std::min(icon.size() + 1, line.text.size())) : line.text;
        appendLine(*panel.pane, text, static_cast<COLORREF>(line.color));
    }
}

LRESULT CALLBACK inputSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR data) {
    auto* panel = reinterpret_cast<AssistantPanel*>(data);
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                runAssistantQuery(*panel);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == L'\r' || wParam == L'\n') return 0;
            break;
        case WM_NCDESTROY: RemoveWindowSubclass(window, inputSubclassProc, id); break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

bool createAssistantInput(AssistantPanel& panel, HWND parent, HINSTANCE instance) {
    panel.input = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 0, 0,
                                  parent, nullptr, instance, nullptr);
    if (!panel.input) return false;
    panel.inputFont = createUiFont(11, windowDpi(panel.input));
    if (panel.inputFont) SendMessageW(panel.input, WM_SETFONT, reinterpret_cast<WPARAM>(panel.inputFont), TRUE);
    setCueBanner(panel.input);
    SetWindowSubclass(panel.input, inputSubclassProc, kInputSubclassId, reinterpret_cast<DWORD_PTR>(&panel));
    return true;
}

void writeAssistantGreeting(AssistantPanel& panel) { writeLines(panel, greetingLines(panel.greetingColor)); }

void runAssistantQuery(AssistantPanel& panel) {
    if (!panel.input) return;
    wchar_t buffer[kAssistantInputLimit + 1] = {};
    GetWindowTextW(panel.input, buffer, static_cast<int>(kAssistantInputLimit + 1));
    const std::u16string query = assistantQueryText(fromWide(buffer));
    if (query.empty()) return;
    SetWindowTextW(panel.input, L"");
    panel.lastQuery = query;
    const AssistantAnswer answer = answerQuery(query, panel.catalog ? *panel.catalog : kNoTools,
                                               panel.playbooks ? *panel.playbooks : kNoPlaybooks, panel.greetingColor);
    writeLines(panel, answer.lines);
    if (panel.onResults) panel.onResults(answer.tools, panel.lastQuery);
}

void relabelAssistant(AssistantPanel& panel) {
    if (panel.input) setCueBanner(panel.input);
    if (panel.pane) clearPane(*panel.pane);
    writeAssistantGreeting(panel);
}

void setAssistantGreetingColor(AssistantPanel& panel, COLORREF color) { panel.greetingColor = color; }

void destroyAssistantInput(AssistantPanel& panel) {
    if (panel.input) DestroyWindow(panel.input);
    panel.input = nullptr;
    if (panel.inputFont) DeleteObject(panel.inputFont);
    panel.inputFont = nullptr;
}
