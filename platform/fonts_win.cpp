#include "platform/win_fonts.h"

#include <set>

#include "platform/win_handles.h"
#include "platform/win_text.h"

namespace {

// In order of preference; the last is on every Windows since 3.1.
const char16_t* const kMonospaceFaces[] = {u"Consolas", u"Lucida Console", u"Courier New"};

int CALLBACK noteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

// Every installed TrueType family; vertical ("@") faces left out.
int CALLBACK noteTrueType(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM found) {
    const std::u16string face = fromWide(font->lfFaceName);
    if ((type & TRUETYPE_FONTTYPE) && !face.empty() && face[0] != u'@')
        reinterpret_cast<std::set<std::u16string>*>(found)->insert(face);
    return 1;
}

// Columns line up when a narrow letter, wide ones and a digit take one
// advance; some monospaced faces with Chinese glyphs (twice as wide) are not
// flagged fixed-pitch, so the widths are measured.
constexpr wchar_t kWidthProbe[] = L"iMW0.";
// The pages and terminals show Chinese: a face with neither a glyph for this
// ideograph nor a font linked to it would draw their text as boxes.
constexpr wchar_t kChineseProbe = L'\u4E2D';

struct FaceTraits {
    bool fixed = false;
    bool chinese = false;
};

FaceTraits traitsOf(HDC screen, const std::u16string& face) {
    FaceTraits traits;
    HFONT font = createProbeFont(face);
    if (!font) return traits;
    HGDIOBJ was = SelectObject(screen, font);
    wchar_t chosen[LF_FACESIZE] = {};
    GetTextFaceW(screen, LF_FACESIZE, chosen);
    INT first = 0, width = 0;
    traits.fixed = fromWide(chosen) == face && GetCharWidth32W(screen, kWidthProbe[0], kWidthProbe[0], &first);
    for (const wchar_t* c = kWidthProbe + 1; *c && traits.fixed; ++c)
        traits.fixed = GetCharWidth32W(screen, *c, *c, &width) && width == first;
    WORD glyph = 0xFFFF;
    traits.chinese =
        !fontLinkEntries(face).empty() ||
        (GetGlyphIndicesW(screen, &kChineseProbe, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == 1 && glyph != 0xFFFF);
    SelectObject(screen, was);
    DeleteObject(font);
    return traits;
}

// Any installed monospaced family, the first by name that can show Chinese,
// else the first by name; empty when there is none.
std::u16string anyFixedPitchFace() {
    LOGFONTW all = {};
    all.lfCharSet = DEFAULT_CHARSET;
    std::set<std::u16string> faces;
    std::u16string chosen, firstFixed;
    ScopedWindowDC desktop(nullptr);
    if (HDC screen = desktop.dc) {
        EnumFontFamiliesExW(screen, &all, noteTrueType, reinterpret_cast<LPARAM>(&faces), 0);
        for (const std::u16string& face : faces) {
            const FaceTraits traits = traitsOf(screen, face);
            if (!traits.fixed) continue;
            if (firstFixed.empty()) firstFixed = face;
            if (traits.chinese) {
                chosen = face;
                break;
            }
        }
    }
    return chosen.empty() ? firstFixed : chosen;
}

}  // namespace

HFONT createProbeFont(const std::u16string& face) {
    return CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, wstr(face));
}

std::vector<std::u16string> fontLinkEntries(const std::u16string& face) {
    std::vector<std::u16string> entries;
    ScopedRegKey links;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink", 0,
                      KEY_QUERY_VALUE, &links.key) != ERROR_SUCCESS)
        return entries;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(links.key, wstr(face), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ)
        return entries;
    std::vector<wchar_t> list(size / sizeof(wchar_t) + 2, L'\0');
    if (RegQueryValueExW(links.key, wstr(face), nullptr, nullptr, reinterpret_cast<BYTE*>(list.data()), &size) !=
        ERROR_SUCCESS)
        return entries;
    for (const wchar_t* entry = list.data(); *entry; entry += wcslen(entry) + 1) entries.push_back(fromWide(entry));
    return entries;
}

bool fontFamilyInstalled(const std::u16string& face) {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    LOGFONTW wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    face.copy(reinterpret_cast<char16_t*>(wanted.lfFaceName), face.size());
    bool found = false;
    ScopedWindowDC screen(nullptr);
    if (screen.dc) EnumFontFamiliesExW(screen.dc, &wanted, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

std::u16string monospaceFace() {
    // Every page and terminal asks: the answer is found once per run (thread-safe).
    static const std::u16string chosen = [] {
        for (const char16_t* face : kMonospaceFaces)
            if (fontFamilyInstalled(face)) return std::u16string(face);
        // None of them (Wine without the core fonts): any monospaced family
        // keeps the columns. Measuring every family takes a while.
        const std::u16string other = anyFixedPitchFace();
        return other.empty() ? std::u16string(kMonospaceFaces[2]) : other;
    }();
    return chosen;
}

HFONT createMonospaceFont(int height) {
    const std::u16string face = monospaceFace();
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, wstr(face));
}
