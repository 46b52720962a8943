// The main window comes back where it was when it last closed: size, position
// and maximised state, kept in window.json.
#include "ui/window_placement.h"

#include <windows.h>

#include <vector>

#include "data/window_placement.h"
#include "ui/main_state.h"
#include "ui/window_placement.h"

namespace {

WindowBox boxOf(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

BOOL CALLBACK collectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    auto* areas = reinterpret_cast<std::vector<WindowBox>*>(param);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        areas->insert(areas->begin(), boxOf(info.rcWork));
    else
        areas->push_back(boxOf(info.rcWork));
    return TRUE;
}

// Every monitor's work area, the primary first, in the workspace coordinates
// of the normal position: screen coordinates less the primary monitor's
// taskbar when it sits at the top or left.
std::vector<WindowBox> workAreas() {
    std::vector<WindowBox> areas;
    EnumDisplayMonitors(nullptr, nullptr, collectWorkArea, reinterpret_cast<LPARAM>(&areas));
    MONITORINFO primary = {};
    primary.cbSize = sizeof primary;
    if (!GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary)) return areas;
    const LONG dx = primary.rcWork.left - primary.rcMonitor.left;
    const LONG dy = primary.rcWork.top - primary.rcMonitor.top;
    for (WindowBox& area : areas) area = {area.left - dx, area.top - dy, area.right - dx, area.bottom - dy};
    return areas;
}

// A shortcut set to start the program minimised or maximised wins over what was kept.
bool asksForAState(int showCommand) {
    return showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE || showCommand == SW_SHOWMINNOACTIVE ||
           showCommand == SW_SHOWMAXIMIZED;
}

}  // namespace

void showMainWindow(HWND window, int showCommand) {
    auto* state = reinterpret_cast<MainState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (state) state->placement.remembered = true;
    if (!state || !state->placement.saved) {
        ShowWindow(window, showCommand);
        return;
    }
    const WindowPlacement& saved = *state->placement.saved;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    const WindowBox frame = bringOnScreen(saved.normal, workAreas());
    placement.rcNormalPosition = {frame.left, frame.top, frame.right, frame.bottom};
    placement.flags = saved.maximized ? WPF_RESTORETOMAXIMIZED : 0;
    placement.showCmd = UINT(asksForAState(showCommand) ? showCommand
                             : saved.maximized          ? SW_SHOWMAXIMIZED
                                                        : SW_SHOWNORMAL);
    SetWindowPlacement(window, &placement);
}

void rememberWindowPlacement(const MainState& state) {
    if (!state.placement.remembered || !state.window) return;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(state.window, &placement)) return;
    WindowPlacement kept;
    kept.normal = boxOf(placement.rcNormalPosition);
    // The window may already be hidden here; its style still tells.
    kept.maximized =
        IsZoomed(state.window) || (IsIconic(state.window) && (placement.flags & WPF_RESTORETOMAXIMIZED) != 0);
    // Nobody is left to tell of a failure: the next start opens where Windows puts it.
    saveWindowPlacement(kept);
}
