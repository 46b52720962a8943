#include "ui/ui_fonts.h"

#include "platform/win_fonts.h"
#include "platform/win_handles.h"

HFONT createUiFont(int points, int dpi) {
    return CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, FF_SWISS, L"Segoe UI");
}

namespace {

// Latin and Chinese, so that a face's linked fonts are opened as well.
constexpr wchar_t kSample[] = L"Wrenly Aa0 \u5DE5\u5177\u52A9\u624B";

void measureSample(HDC dc, HFONT font) {
    if (!font) return;
    ScopedGdiObject<HFONT> owned(font);
    ScopedSelectObject selected(dc, font);
    SIZE size;
    GetTextExtentPoint32W(dc, kSample, int(wcslen(kSample)), &size);
}

}  // namespace

void loadWindowFontsAhead() {
    ScopedMemoryDC memory(nullptr);
    const HDC dc = memory.dc;
    if (!dc) return;
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY) > 0 ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    measureSample(dc, createUiFont(12, dpi));
    measureSample(dc, createUiFont(11, dpi));
    measureSample(dc, createMonospaceFont(-MulDiv(12, dpi, 72)));
    // The menu bar's, and the tree's and status bar's own fonts.
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        measureSample(dc, CreateFontIndirectW(&metrics.lfMenuFont));
        measureSample(dc, CreateFontIndirectW(&metrics.lfStatusFont));
    }
    LOGFONTW iconTitle = {};
    if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof iconTitle, &iconTitle, 0))
        measureSample(dc, CreateFontIndirectW(&iconTitle));
}
