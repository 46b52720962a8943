// window.json as a user or a crash may leave it: the reader must never crash,
// must accept only frames with a size, and what it writes must read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "data/text.h"
#include "data/window_placement.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto placement = parseWindowPlacement(utf8ToWide(reinterpret_cast<const char*>(data), size));
    if (!placement) return 0;
    if (placement->normal.width() <= 0 || placement->normal.height() <= 0) std::abort();
    auto back = parseWindowPlacement(utf8ToWide(serializeWindowPlacement(*placement)));
    if (!back || !(back->normal == placement->normal) || back->maximized != placement->maximized) std::abort();
    return 0;
}
