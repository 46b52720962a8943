#include "ui/activity.h"

#include <commctrl.h>

#include "platform/win_clock.h"
#include "platform/win_text.h"
#include "terminal/readable_color.h"
#include "ui/main_state.h"

void reportActivity(MainState& state, const std::u16string& text, COLORREF color) {
    appendLine(state.activity, text, color);
    state.session.activity.push_back({clockText(ClockFormat::Time), text, toRgb(color)});
    if (state.statusBar) SendMessageW(state.statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wstr(text)));
    const int activity = pageIndex(state.pages, PageKind::Activity);
    if (state.currentTab != activity) markPage(state.pages, activity, true);
}
