// Where the main window was when it closed, kept in window.json beside config.json.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/file_backup.h"

struct WindowBox {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool operator==(const WindowBox& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

struct WindowPlacement {
    WindowBox normal;  // the restored window's frame
    bool maximized = false;
};

// %APPDATA%\Toolkeep\window.json, creating the folder; empty when there is no AppData folder.
std::u16string windowPlacementPath();
// Nothing when the text is not a placement or its frame is empty or absurd.
std::optional<WindowPlacement> parseWindowPlacement(const std::u16string& text);
std::string serializeWindowPlacement(const WindowPlacement& placement);
// Nothing when there is no usable file; outcome, when given, tells what was
// found (an unusable file is copied aside at once).
std::optional<WindowPlacement> loadWindowPlacement(DocumentOutcome* outcome = nullptr);
// Saved atomically; a window.json that cannot be read is left alone (false).
bool saveWindowPlacement(const WindowPlacement& placement);

// The frame moved (and shrunk when it must) into the work area nearest to it
// when no work area shows enough of its title bar to grab it. The first area
// is the primary one; with none the frame is returned as it is.
WindowBox bringOnScreen(const WindowBox& frame, const std::vector<WindowBox>& workAreas);
