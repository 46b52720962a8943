#include "data/window_placement.h"

#include <algorithm>

#include "data/files.h"
#include "data/json.h"

namespace {

// Larger than any desktop: a frame beyond this is a damaged file, not a window.
constexpr int32_t kMaxCoordinate = 100000;
// How much of the title bar must lie on a work area for the user to grab it.
constexpr int32_t kGrabWidth = 120;
constexpr int32_t kGrabHeight = 24;

const char16_t* const kEdges[] = {u"left", u"top", u"right", u"bottom"};

std::optional<WindowPlacement> placementFrom(const JsonValue& document) {
    if (document.kind != JsonKind::Object) return std::nullopt;
    int32_t edges[4] = {};
    for (int i = 0; i < 4; ++i) {
        const JsonValue* edge = findMember(document, kEdges[i]);
        if (!isKind(edge, JsonKind::Number) || !(edge->number > -kMaxCoordinate && edge->number < kMaxCoordinate))
            return std::nullopt;
        edges[i] = clampToInt32(edge->number);
    }
    WindowPlacement placement;
    placement.normal = {edges[0], edges[1], edges[2], edges[3]};
    if (placement.normal.width() <= 0 || placement.normal.height() <= 0) return std::nullopt;
    placement.maximized = getBool(document, u"maximized", false);
    return placement;
}

bool isPlacementDocument(const JsonValue& document) { return placementFrom(document).has_value(); }

int32_t overlap(int32_t low1, int32_t high1, int32_t low2, int32_t high2) {
    return std::max(0, std::min(high1, high2) - std::max(low1, low2));
}

bool grabbable(const WindowBox& frame, const WindowBox& area) {
    const int32_t titleBottom = std::min(frame.bottom, frame.top + kGrabHeight);
    return overlap(frame.left, frame.right, area.left, area.right) >= std::min(kGrabWidth, frame.width()) &&
           overlap(frame.top, titleBottom, area.top, area.bottom) >= titleBottom - frame.top;
}

// Squared distance between the centres: picks the area the frame was nearest to.
int64_t distance(const WindowBox& frame, const WindowBox& area) {
    const int64_t dx = (int64_t(frame.left) + frame.right) - (int64_t(area.left) + area.right);
    const int64_t dy = (int64_t(frame.top) + frame.bottom) - (int64_t(area.top) + area.bottom);
    return dx * dx + dy * dy;
}

}  // namespace

std::u16string windowPlacementPath() { return userFilePath(u"window.json"); }

std::optional<WindowPlacement> parseWindowPlacement(const std::u16string& text) {
    auto document = parseJson(text);
    return document ? placementFrom(*document) : std::nullopt;
}

std::string serializeWindowPlacement(const WindowPlacement& p) {
    return "{\n  \"left\": " + intToText(p.normal.left) + ",\n  \"top\": " + intToText(p.normal.top) +
           ",\n  \"right\": " + intToText(p.normal.right) + ",\n  \"bottom\": " + intToText(p.normal.bottom) +
           ",\n  \"maximized\": " + (p.maximized ? "true" : "false") + "\n}\n";
}

std::optional<WindowPlacement> loadWindowPlacement(DocumentOutcome* outcome) {
    std::u16string path = windowPlacementPath();
    if (path.empty()) return std::nullopt;
    StoredDocument stored = readStoredDocument(path, isPlacementDocument);
    if (outcome) *outcome = stored.outcome;
    if (stored.outcome.state != DocumentState::Loaded) return std::nullopt;
    return placementFrom(stored.document);
}

bool saveWindowPlacement(const WindowPlacement& placement) {
    return saveUnderLock(windowPlacementPath(), isPlacementDocument, [&placement](const StoredDocument&) {
               return serializeWindowPlacement(placement);
           }) == SaveOutcome::Saved;
}

WindowBox bringOnScreen(const WindowBox& frame, const std::vector<WindowBox>& workAreas) {
    if (workAreas.empty()) return frame;
    for (const WindowBox& area : workAreas)
        if (grabbable(frame, area)) return frame;
    const WindowBox* nearest = &workAreas.front();
    for (const WindowBox& area : workAreas)
        if (distance(frame, area) < distance(frame, *nearest)) nearest = &area;
    const int32_t width = std::min(frame.width(), nearest->width());
    const int32_t height = std::min(frame.height(), nearest->height());
    const int32_t left = std::clamp(frame.left, nearest->left, nearest->right - width);
    const int32_t top = std::clamp(frame.top, nearest->top, nearest->bottom - height);
    return {left, top, left + width, top + height};
}
