#include "playbooks/playbook_panel.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "platform/win_dpi.h"
#include "platform/win_handles.h"
#include "platform/win_text.h"
#include "terminal/readable_color.h"

namespace {

PlaybookPanel* panelOf(HWND window) {
    return reinterpret_cast<PlaybookPanel*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

int panelDpi(const PlaybookPanel& panel) { return windowDpi(panel.window ? panel.window : GetDesktopWindow()); }

HFONT makeFont(const PlaybookPanel& panel, int points) {
    return CreateFontW(-MulDiv(points, panelDpi(panel), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                       L"Segoe UI");
}

void replaceBrush(PlaybookPanel& panel) {
    if (panel.backgroundBrush) DeleteObject(panel.backgroundBrush);
    panel.backgroundBrush = CreateSolidBrush(panel.backgroundColor);
}

void invalidate(PlaybookPanel& panel, bool erase) {
    if (panel.window) InvalidateRect(panel.window, nullptr, erase ? TRUE : FALSE);
}

int hitTest(const PlaybookPanel& panel, POINT point) {
    for (int i = 0; i < kWalkButtonCount; ++i) {
        const PanelButton& button = panel.buttons[static_cast<size_t>(i)];
        if (button.visible && PtInRect(&button.rect, point)) return i;
    }
    return -1;
}

bool slotEnabled(const PlaybookPanel& panel, int slot) {
    return slot >= 0 && slot < kWalkButtonCount && panel.buttons[static_cast<size_t>(slot)].enabled;
}

void copyToClipboard(HWND owner, const std::u16string& text) {
    if (!OpenClipboard(owner)) return;
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block) {
        void* target = GlobalLock(block);
        if (target) {
            std::memcpy(target, text.c_str(), bytes);
            GlobalUnlock(block);
            if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
        } else {
            GlobalFree(block);
        }
    }
    CloseClipboard();
}

int tabIndex(const PlaybookPanel& panel) {
    return panel.host.pages ? pageIndex(*panel.host.pages, PageKind::Playbook) : -1;
}

bool tabIsOpen(const PlaybookPanel& panel) { return tabIndex(panel) >= 0; }

void relabelTab(PlaybookPanel& panel) {
    if (panel.host.pages)
        setPageTitle(*panel.host.pages, tabIndex(panel), playbookTabLabel(panel.playbook, panel.texts));
}

const StepReading* readingOf(const PlaybookPanel& panel, int step) {
    for (const auto& [index, reading] : panel.readings) {
        if (index == step) return &reading;
    }
    return nullptr;
}

WalkContext walkContext(const PlaybookPanel& panel) {
    return {panel.texts, panel.findTool, panel.trail, &panel.captures, readingOf(panel, panel.current)};
}

// back: the move came from Previous, which retraces the trail instead of adding to it.
void act(PlaybookPanel& panel, const WalkAction& action, bool back) {
    if (panel.stepUsed) panel.stepUsed(panel.playbook, panel.current, action.kind);
    switch (action.kind) {
        case WalkActionKind::MoveTo:
            recordWalkMove(panel.trail, panel.current, back);
            panel.current = action.step;
            rebuildPanel(panel);
            break;
        case WalkActionKind::RunTool:
            if (panel.runTool) panel.runTool(action.first);
            break;
        case WalkActionKind::FillCommand:
            panel.filledStep = panel.current;
            if (panel.fillCommand) panel.fillCommand(action.first, action.second);
            break;
        case WalkActionKind::OpenLink:
            if (panel.openLink) panel.openLink(action.first);
            break;
        case WalkActionKind::CopyCommand: copyToClipboard(panel.window, action.first); break;
        case WalkActionKind::Close:
            if (panel.close) panel.close();
            break;
        case WalkActionKind::OpenPlaybook:
            if (panel.openPlaybook) panel.openPlaybook(action.first);
            break;
        case WalkActionKind::None: break;
    }
}

void paintLines(PlaybookPanel& panel, HDC dc, const RECT& client) {
    ScopedSelectObject font(dc,
                            panel.textFont ? static_cast<HGDIOBJ>(panel.textFont) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const int dpi = windowDpi(panel.window);
    const int spacing = MulDiv(4, dpi, 96);
    const int lineHeight = metrics.tmHeight + metrics.tmExternalLeading + spacing;
    const int margin = MulDiv(8, dpi, 96);
    // Long hints and tips wrap onto further lines rather than end in an ellipsis.
    const UINT format = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;
    int y = margin;
    for (const auto& line : panel.lines) {
        if (y > panel.textBottom) break;
        RECT rect = {margin, y, client.right - margin, y};
        DrawTextW(dc, wstr(line.text), static_cast<int>(line.text.size()), &rect, format | DT_CALCRECT);
        const int height = std::max(lineHeight, static_cast<int>(rect.bottom - rect.top) + spacing);
        rect = {margin, y, client.right - margin, std::min(y + height, panel.textBottom)};
        SetTextColor(dc, readableColorref(line.color, panel.backgroundColor, kTextContrast));
        DrawTextW(dc, wstr(line.text), static_cast<int>(line.text.size()), &rect, format);
        y += height;
    }
}

void paintButtons(PlaybookPanel& panel, HDC dc) {
    ScopedSelectObject font(
        dc, panel.buttonFont ? static_cast<HGDIOBJ>(panel.buttonFont) : GetStockObject(DEFAULT_GUI_FONT));
    const WalkPalette palette = walkPalette(panel.backgroundColor);
    ScopedGdiObject<HBRUSH> frame(CreateSolidBrush(palette.frame));
    for (int i = 0; i < kWalkButtonCount; ++i) {
        const PanelButton& button = panel.buttons[static_cast<size_t>(i)];
        if (!button.visible) continue;
        COLORREF face = palette.face;
        if (i == panel.pressed) {
            face = palette.pressedFace;
        } else if (i == panel.hover) {
            face = palette.hoverFace;
        }
        ScopedGdiObject<HBRUSH> faceBrush(CreateSolidBrush(face));
        RECT rect = button.rect;
        FillRect(dc, &rect, faceBrush.object);
        FrameRect(dc, &rect, frame.object);
        if (button.suggested) {
            // The branch the reading points to stands out; it is still only a suggestion.
            ScopedGdiObject<HBRUSH> mark(CreateSolidBrush(readableColorref(kWalkGreen, face, kTextContrast)));
            for (int ring = 0; ring < MulDiv(2, windowDpi(panel.window), 96); ++ring) {
                FrameRect(dc, &rect, mark.object);
                InflateRect(&rect, -1, -1);
            }
            rect = button.rect;
        }
        SetTextColor(dc, button.enabled ? panel.textColor : palette.disabledText);
        DrawTextW(dc, wstr(button.label), static_cast<int>(button.label.size()), &rect,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
}

LRESULT onEraseBackground(PlaybookPanel& panel, HWND window, HDC dc) {
    RECT client = {};
    GetClientRect(window, &client);
    FillRect(dc, &client, panel.backgroundBrush ? panel.backgroundBrush : GetSysColorBrush(COLOR_WINDOW));
    return 1;
}

LRESULT onPaint(PlaybookPanel& panel, HWND window) {
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(window, &paint);
    if (!dc) return 0;
    RECT client = {};
    GetClientRect(window, &client);
    FillRect(dc, &paint.rcPaint, panel.backgroundBrush ? panel.backgroundBrush : GetSysColorBrush(COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    paintLines(panel, dc, client);
    paintButtons(panel, dc);
    EndPaint(window, &paint);
    return 0;
}

LRESULT onSize(PlaybookPanel& panel, int width, int height) {
    layoutPlaybookPanel(panel, width, height);
    invalidate(panel, true);
    return 0;
}

bool onSetCursor(PlaybookPanel& panel, HWND window) {
    POINT point = {};
    GetCursorPos(&point);
    ScreenToClient(window, &point);
    if (!slotEnabled(panel, hitTest(panel, point))) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

LRESULT onMouseMove(PlaybookPanel& panel, HWND window, POINT point) {
    const int hit = hitTest(panel, point);
    if (hit != panel.hover) {
        panel.hover = hit;
        invalidate(panel, false);
    }
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window;
    TrackMouseEvent(&track);
    return 0;
}

LRESULT onMouseLeave(PlaybookPanel& panel) {
    if (panel.hover != -1) {
        panel.hover = -1;
        invalidate(panel, false);
    }
    return 0;
}

LRESULT onButtonDown(PlaybookPanel& panel, HWND window, POINT point) {
    const int hit = hitTest(panel, point);
    if (!slotEnabled(panel, hit)) return 0;
    panel.pressed = hit;
    SetCapture(window);
    invalidate(panel, false);
    return 0;
}

LRESULT onButtonUp(PlaybookPanel& panel, HWND window, POINT point) {
    if (panel.pressed < 0) return 0;
    const int slot = panel.pressed;
    panel.pressed = -1;
    if (GetCapture() == window) ReleaseCapture();
    const int hit = hitTest(panel, point);
    invalidate(panel, false);
    if (hit != slot || !slotEnabled(panel, slot)) return 0;
    act(panel, walkButtonAction(panel.playbook, panel.current, slot, walkContext(panel)),
        slot == static_cast<int>(WalkButton::Prev));
    return 0;
}

LRESULT onCaptureChanged(PlaybookPanel& panel, HWND window, HWND gainer) {
    // Losing the capture to someone else cancels the press.
    if (gainer != window && panel.pressed >= 0) {
        panel.pressed = -1;
        invalidate(panel, false);
    }
    return 0;
}

POINT pointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

LRESULT CALLBACK playbookViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(window, message, wParam, lParam);
    }
    PlaybookPanel* panel = panelOf(window);
    if (!panel) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_ERASEBKGND: return onEraseBackground(*panel, window, reinterpret_cast<HDC>(wParam));
        case WM_PAINT: return onPaint(*panel, window);
        case WM_SIZE: return onSize(*panel, LOWORD(lParam), HIWORD(lParam));
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && onSetCursor(*panel, window)) return TRUE;
            break;
        case WM_MOUSEMOVE: return onMouseMove(*panel, window, pointOf(lParam));
        case WM_MOUSELEAVE: return onMouseLeave(*panel);
        case WM_LBUTTONDOWN: return onButtonDown(*panel, window, pointOf(lParam));
        case WM_LBUTTONUP: return onButtonUp(*panel, window, pointOf(lParam));
        case WM_CAPTURECHANGED: return onCaptureChanged(*panel, window, reinterpret_cast<HWND>(lParam));
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            panel->window = nullptr;
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool registerPlaybookViewClass(HINSTANCE instance) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, kPlaybookViewClass, &existing)) return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = playbookViewProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kPlaybookViewClass;
    return RegisterClassExW(&windowClass) != 0;
}

bool createPlaybookPanel(PlaybookPanel& panel, HWND parent, HINSTANCE instance, int fontSize) {
    if (!registerPlaybookViewClass(instance)) return false;
    for (int i = 0; i < kWalkButtonCount; ++i) panel.buttons[static_cast<size_t>(i)].kind = i + 1;
    panel.window = CreateWindowExW(0, kPlaybookViewClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent, nullptr,
                                   instance, &panel);
    if (!panel.window) return false;
    panel.buttonFont = makeFont(panel, 10);
    panel.textFontSize = fontSize < 1 ? 11 : fontSize;
    panel.textFont = makeFont(panel, panel.textFontSize);
    replaceBrush(panel);
    return true;
}

void destroyPlaybookPanel(PlaybookPanel& panel) {
    if (panel.window) DestroyWindow(panel.window);
    panel.window = nullptr;
    for (HFONT* font : {&panel.buttonFont, &panel.textFont}) {
        if (*font) DeleteObject(*font);
        *font = nullptr;
    }
    if (panel.backgroundBrush) DeleteObject(panel.backgroundBrush);
    panel.backgroundBrush = nullptr;
}

void openPlaybookTab(PlaybookPanel& panel, const std::vector<Playbook>& playbooks, size_t index) {
    if (index >= playbooks.size()) return;
    const Playbook chosen = playbooks[index];  // the list may be the one a callback replaces
    if (panel.window) {
        // Above the tab control, which would otherwise paint over the page.
        SetWindowPos(panel.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (!tabIsOpen(panel)) {
        loadPlaybook(panel, chosen);
        const int tab = panel.host.pages
                            ? addPage(*panel.host.pages,
                                      {PageKind::Playbook, playbookTabLabel(panel.playbook, panel.texts), panel.window})
                            : -1;
        if (panel.host.selectTab && tab >= 0) panel.host.selectTab(tab);
        if (panel.window) ShowWindow(panel.window, SW_SHOW);
        if (panel.host.layout) panel.host.layout();
    } else {
        loadPlaybook(panel, chosen);
        relabelTab(panel);
        if (panel.host.selectTab) panel.host.selectTab(tabIndex(panel));
    }
    invalidate(panel, true);
}

void closePlaybookTab(PlaybookPanel& panel) {
    if (!tabIsOpen(panel)) return;
    removePage(*panel.host.pages, tabIndex(panel));
    panel.pressed = -1;
    if (panel.window && GetCapture() == panel.window) ReleaseCapture();
    if (panel.window) ShowWindow(panel.window, SW_HIDE);
    if (panel.host.afterClose) panel.host.afterClose();
}

void loadPlaybook(PlaybookPanel& panel, const Playbook& playbook) {
    panel.playbook = playbook;
    panel.current = 0;
    panel.trail.clear();
    panel.filledStep = -1;
    panel.readings.clear();
    if (panel.opened) panel.opened(playbook);
    panel.pressed = -1;
    panel.hover = -1;
    rebuildPanel(panel);
}

void rebuildPanel(PlaybookPanel& panel) {
    const WalkContent content = buildWalkContent(panel.playbook, panel.current, panel.textColor, walkContext(panel));
    panel.lines.clear();
    for (const auto& line : content.lines) panel.lines.push_back({line.text, static_cast<COLORREF>(line.color)});
    for (int i = 0; i < kWalkButtonCount; ++i) {
        PanelButton& button = panel.buttons[static_cast<size_t>(i)];
        const WalkButtonState& state = content.buttons[static_cast<size_t>(i)];
        button.kind = i + 1;
        button.label = state.label;
        button.enabled = state.enabled;
        button.visible = state.visible;
        button.suggested = state.suggested;
    }
    invalidate(panel, true);
}

const StepReading* currentPanelReading(const PlaybookPanel& panel) { return readingOf(panel, panel.current); }

void notePanelCommandEnded(PlaybookPanel& panel, const std::u16string& command, const std::u16string& output) {
    const int index = panel.filledStep;
    if (index < 0 || static_cast<size_t>(index) >= panel.playbook.steps.size()) return;
    const PlaybookStep& step = panel.playbook.steps[static_cast<size_t>(index)];
    if (!step.hasReading || !commandFitsStep(command, step.command)) return;
    StepReading reading = readStepAndKeep(panel.playbook, step, splitOutputLines(output), panel.captures);
    bool replaced = false;
    for (auto& [at, kept] : panel.readings) {
        if (at != index) continue;
        kept = reading;
        replaced = true;
    }
    if (!replaced) panel.readings.emplace_back(index, std::move(reading));
    rebuildPanel(panel);
}

void relabelPlaybookPanel(PlaybookPanel& panel) {
    relabelTab(panel);
    rebuildPanel(panel);
}

void setPanelTextFont(PlaybookPanel& panel, int points) {
    if (points < 1) return;
    HFONT font = makeFont(panel, points);
    if (!font) return;
    if (panel.textFont) DeleteObject(panel.textFont);
    panel.textFont = font;
    panel.textFontSize = points;
    invalidate(panel, true);
}

void setPanelColors(PlaybookPanel& panel, COLORREF background, COLORREF text) {
    panel.backgroundColor = background;
    panel.textColor = text;
    replaceBrush(panel);
    // Lines carry their colour; remake them so plain lines follow the theme.
    rebuildPanel(panel);
}

void layoutPlaybookPanel(PlaybookPanel& panel, int width, int height) {
    (void)width;
    const WalkLayout layout = layoutWalkButtons(height, panelDpi(panel));
    panel.textBottom = layout.textBottom;
    for (int i = 0; i < kWalkButtonCount; ++i) {
        const WalkRect& r = layout.buttons[static_cast<size_t>(i)];
        panel.buttons[static_cast<size_t>(i)].rect = {r.left, r.top, r.right, r.bottom};
    }
    invalidate(panel, false);
}

void resetPanelMouse(PlaybookPanel& panel) {
    panel.hover = -1;
    panel.pressed = -1;
    if (panel.window && GetCapture() == panel.window) ReleaseCapture();
}
