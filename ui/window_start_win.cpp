// The start-up work that runs beside the making of the main window.
#include <system_error>

#include "ui/icon_glyphs.h"
#include "ui/log_pane.h"
#include "ui/window_start.h"
#include "ui/navigation_model.h"
#include "ui/ui_fonts.h"

namespace {

// On a worker, or when asked if no thread can be started.
template <typename Work>
auto runAside(Work work) {
    try {
        return std::async(std::launch::async, work);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, work);
    }
}

// The tree draws with its own default font, the icon-title font.
void checkTreeIconsAhead(const std::vector<ToolRecord>& tools) {
    LOGFONTW treeFont = {};
    if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof treeFont, &treeFont, 0))
        checkIconsAhead(treeFont, treeIcons(tools));
}

}  // namespace

WindowStart beginWindowStart() {
    WindowStart start;
    start.catalog = runAside([] {
        CatalogRead read = readCatalog();
        checkTreeIconsAhead(read.catalog.tools);
        return read;
    });
    start.richEditLibrary = runAside(loadRichEditLibrary);
    start.fonts = runAside(loadWindowFontsAhead);
    return start;
}
