// The work the main window's creation would otherwise wait for.
#pragma once

#include <future>

#include "launcher/catalog.h"

// What the window's creation waits for on the disk, the DLL loader or the
// font files (the catalog, with the tree's icons checked; the rich-edit
// library; the fonts), begun on workers before the window is made and handed
// to it as its creation parameter.
struct WindowStart {
    std::future<CatalogRead> catalog;
    std::future<void> richEditLibrary;
    std::future<void> fonts;
};
WindowStart beginWindowStart();
