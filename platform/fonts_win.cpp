#include "platform/win_fonts.h"

#include "platform/win_text.h"

namespace {

// In order of preference; the last is on every Windows since 3.1.
const char16_t* const kMonospaceFaces[] = {u"Consolas", u"Lucida Console", u"Courier New"};

int CALLBACK noteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

// Any installed fixed-pitch TrueType family, the first by name; vertical ("@") faces left out.
int CALLBACK noteFixedPitch(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM best) {
    auto* chosen = reinterpret_cast<std::u16string*>(best);
    const std::u16string face = fromWide(font->lfFaceName);
    if ((font->lfPitchAndFamily & 3) != FIXED_PITCH || !(type & TRUETYPE_FONTTYPE) || face.empty() || face[0] == u'@')
        return 1;
    if (chosen->empty() || face < *chosen) *chosen = face;
    return 1;
}

std::u16string anyFixedPitchFace() {
    LOGFONTW all = {};
    all.lfCharSet = DEFAULT_CHARSET;
    std::u16string chosen;
    if (HDC screen = GetDC(nullptr)) {
        EnumFontFamiliesExW(screen, &all, noteFixedPitch, reinterpret_cast<LPARAM>(&chosen), 0);
        ReleaseDC(nullptr, screen);
    }
    return chosen;
}

}  // namespace

bool fontFamilyInstalled(const std::u16string& face) {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    LOGFONTW wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    face.copy(reinterpret_cast<char16_t*>(wanted.lfFaceName), face.size());
    bool found = false;
    if (HDC screen = GetDC(nullptr)) {
        EnumFontFamiliesExW(screen, &wanted, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
        ReleaseDC(nullptr, screen);
    }
    return found;
}

std::u16string monospaceFace() {
    for (const char16_t* face : kMonospaceFaces)
        if (fontFamilyInstalled(face)) return face;
    // None of them (Wine without the core fonts): any fixed-pitch family keeps the columns.
    const std::u16string other = anyFixedPitchFace();
    return other.empty() ? kMonospaceFaces[2] : other;
}

HFONT createMonospaceFont(int height) {
    const std::u16string face = monospaceFace();
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, wstr(face));
}
