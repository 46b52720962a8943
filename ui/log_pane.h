// A read-only coloured text page (Activity, Help, About, the Assistant's
// answers), and the window title.
#pragma once

#include <windows.h>

#include <richedit.h>

#include <string>
#include <vector>

#include "data/palette.h"

struct LogPane {
    HWND window = nullptr;
    HFONT font = nullptr;
    COLORREF textColor = RGB(204, 204, 204);
    COLORREF backgroundColor = RGB(12, 12, 12);
    // Text written in the pane's text colour, recoloured when that changes.
    std::vector<CHARRANGE> themedText;
    // Text written in another colour, shown in the shade of it that reads on
    // the background (recoloured when that changes).
    struct ColouredText {
        CHARRANGE range;
        COLORREF color;
    };
    std::vector<ColouredText> colouredText;
};

// Loads the library behind the rich-edit control class (once per process; later calls are cheap).
void loadRichEditLibrary();
bool createLogPane(LogPane& pane, HWND parent, HINSTANCE instance, int fontSize);
// Adds CR LF unless the text is empty or already ends with LF. Text in the
// pane's text colour follows later changes of it.
void appendLine(LogPane& pane, const std::u16string& text, COLORREF color);
void clearPane(LogPane& pane);
void setPaneColors(LogPane& pane, COLORREF background, COLORREF text);
// The monospaced face (Consolas where installed) at the size clamped to 8..28 points.
void setPaneFont(LogPane& pane, int points);
// Caret to the start and the view to the top.
void scrollPaneToTop(LogPane& pane);
void destroyLogPane(LogPane& pane);

bool isElevated();
void updateTitle(HWND mainWindow);
