#include "ui/icon_glyphs.h"

#include <map>
#include <mutex>
#include <vector>

#include "platform/win_fonts.h"
#include "platform/win_handles.h"
#include "platform/win_text.h"
#include "ui/glyph_table.h"

namespace {

// 'cmap' as GetFontData takes a table tag: its four letters read as a little-endian number.
constexpr DWORD kCmapTag = 0x70616D63;
// Where Windows draws emoji and symbols from when a label's font lacks them.
const char16_t* const kFallbackFaces[] = {u"Segoe UI Emoji", u"Segoe UI Symbol"};

std::string cmapOf(HDC dc) {
    const DWORD size = GetFontData(dc, kCmapTag, 0, nullptr, 0);
    if (size == GDI_ERROR || size == 0) return {};
    std::string bytes(size, '\0');
    if (GetFontData(dc, kCmapTag, 0, &bytes[0], size) != size) return {};
    return bytes;
}

// GetGlyphIndicesW answers for one UTF-16 unit, so a code point past U+FFFF is
// looked up in the font's own character map.
bool selectedFontHas(HDC dc, const std::string& cmap, char32_t c) {
    if (c <= 0xFFFF) {
        const wchar_t unit = wchar_t(c);
        WORD glyph = 0xFFFF;
        return GetGlyphIndicesW(dc, &unit, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == 1 && glyph != 0xFFFF;
    }
    return cmapMapsCodePoint(cmap, c);
}

struct FaceCoverage {
    std::u16string face;
    std::string cmap;
};

FaceCoverage coverageOf(HDC dc, const std::u16string& face) {
    ScopedGdiObject<HFONT> font(createProbeFont(face));
    if (!font.object) return {face, {}};
    ScopedSelectObject selected(dc, font.object);
    return {face, cmapOf(dc)};
}

bool faceHas(HDC dc, const FaceCoverage& coverage, char32_t c) {
    if (c > 0xFFFF) return cmapMapsCodePoint(coverage.cmap, c);
    ScopedGdiObject<HFONT> font(createProbeFont(coverage.face));
    if (!font.object) return false;
    ScopedSelectObject selected(dc, font.object);
    return selectedFontHas(dc, coverage.cmap, c);
}

// The faces linked to a face ("file,face[,scale...]" entries); a bare file name names no face to ask for.
std::vector<std::u16string> linkedFaces(const std::u16string& face) {
    std::vector<std::u16string> faces;
    for (const std::u16string& entry : fontLinkEntries(face)) {
        const size_t comma = entry.find(u',');
        if (comma == std::u16string::npos) continue;
        const size_t end = entry.find(u',', comma + 1);
        faces.push_back(entry.substr(comma + 1, end == std::u16string::npos ? end : end - comma - 1));
    }
    return faces;
}

// Characters no font has, drawn as the missing-glyph box: one inside the
// first 65536 code points (unassigned in the Greek block) and one past them.
constexpr char16_t kMissingNarrow[] = u"\u0378";
constexpr char16_t kMissingWide[] = u"\U0010FFFD";
// Room for one character at any size the pages use.
constexpr int kProbeBox = 64;

// The pixels the font selected into dc draws for the text, black on white.
std::vector<uint32_t> drawnPixels(HDC dc, const std::u16string& text) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kProbeBox;
    info.bmiHeader.biHeight = -kProbeBox;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ScopedGdiObject<HBITMAP> bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ScopedMemoryDC memory(dc);
    if (!bitmap.object || !memory.dc) return {};
    ScopedSelectObject selectedBitmap(memory.dc, bitmap.object);
    ScopedSelectObject selectedFont(memory.dc, GetCurrentObject(dc, OBJ_FONT));
    RECT all = {0, 0, kProbeBox, kProbeBox};
    FillRect(memory.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(memory.dc, RGB(0, 0, 0));
    SetBkMode(memory.dc, TRANSPARENT);
    TextOutW(memory.dc, 2, 2, wstr(text), int(text.size()));
    GdiFlush();
    const auto* first = static_cast<const uint32_t*>(bits);
    return std::vector<uint32_t>(first, first + kProbeBox * kProbeBox);
}

// What one face needs for every icon, read once: its own character map, the
// faces Windows falls back to for it, and how it draws a missing glyph.
struct FaceFacts {
    std::string cmap;
    bool othersRead = false;
    std::vector<FaceCoverage> others;
    std::vector<uint32_t> missing[2];  // narrow, wide; empty until drawn
};

std::u16string asText(char32_t c) {
    return c > 0xFFFF
               ? std::u16string{char16_t(0xD800 + ((c - 0x10000) >> 10)), char16_t(0xDC00 + ((c - 0x10000) & 0x3FF))}
               : std::u16string(1, char16_t(c));
}

// A link entry may name only a font file, with no face to ask for (Wine's
// do): what the text path draws then tells whether linking found a glyph.
bool drawnOtherThanMissing(HDC dc, FaceFacts& facts, char32_t c) {
    const std::vector<uint32_t> drawn = drawnPixels(dc, asText(c));
    if (drawn.empty()) return false;
    std::vector<uint32_t>& missing = facts.missing[c > 0xFFFF ? 1 : 0];
    if (missing.empty()) missing = drawnPixels(dc, c > 0xFFFF ? kMissingWide : kMissingNarrow);
    return drawn != missing;
}

bool drawable(HDC dc, const std::u16string& face, FaceFacts& facts, const std::u16string& icon) {
    for (char32_t c : codePoints(icon)) {
        if (isCombiningMark(c) || selectedFontHas(dc, facts.cmap, c)) continue;
        if (!facts.othersRead) {
            facts.othersRead = true;
            std::vector<std::u16string> faces = linkedFaces(face);
            faces.insert(faces.end(), std::begin(kFallbackFaces), std::end(kFallbackFaces));
            for (const std::u16string& other : faces)
                if (other != face && fontFamilyInstalled(other)) facts.others.push_back(coverageOf(dc, other));
        }
        bool found = false;
        for (const FaceCoverage& other : facts.others) found = found || faceHas(dc, other, c);
        if (!found && !drawnOtherThanMissing(dc, facts, c)) return false;
    }
    return true;
}

// The answers so far, shared by the window's thread and the start-up worker
// that checks the tree's icons ahead.
struct IconAnswers {
    std::mutex lock;
    std::map<std::u16string, bool> known;  // face, then the icon
    std::map<std::u16string, FaceFacts> faces;
};

IconAnswers& iconAnswers() {
    static IconAnswers answers;
    return answers;
}

// With the font already selected into dc.
bool drawableInSelectedFont(HDC dc, const std::u16string& icon) {
    wchar_t faceName[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, faceName);  // the face the font mapper chose, not the one asked for
    const std::u16string face = fromWide(faceName);
    const std::u16string key = face + u'\n' + icon;
    IconAnswers& answers = iconAnswers();
    std::lock_guard<std::mutex> held(answers.lock);
    auto found = answers.known.find(key);
    if (found != answers.known.end()) return found->second;
    auto facts = answers.faces.find(face);
    if (facts == answers.faces.end()) {
        FaceFacts read;
        read.cmap = cmapOf(dc);
        facts = answers.faces.emplace(face, std::move(read)).first;
    }
    return answers.known[key] = drawable(dc, face, facts->second, icon);
}

}  // namespace

bool iconDrawable(HWND control, const std::u16string& icon) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    ScopedWindowDC window(control);
    if (!window.dc) return true;
    ScopedSelectObject selected(window.dc, font);
    return drawableInSelectedFont(window.dc, icon);
}

void checkIconsAhead(const LOGFONTW& font, const std::vector<std::u16string>& icons) {
    ScopedGdiObject<HFONT> created(CreateFontIndirectW(&font));
    ScopedMemoryDC memory(nullptr);
    if (!created.object || !memory.dc) return;
    ScopedSelectObject selected(memory.dc, created.object);
    for (const std::u16string& icon : icons) drawableInSelectedFont(memory.dc, icon);
}
