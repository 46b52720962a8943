// config.json as a user may leave it: the reader must never crash, must keep
// every number inside its range, and what it writes must read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "data/settings.h"
#include "data/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Settings settings = parseSettings(utf8ToWide(reinterpret_cast<const char*>(data), size));
    if (settings.fontSize < kMinFontSize || settings.fontSize > kMaxFontSize) std::abort();
    if (settings.leftWidth < kMinLeftWidth || settings.leftWidth > kMaxLeftWidth) std::abort();
    std::string once = serializeSettings(settings);
    std::string twice = serializeSettings(parseSettings(utf8ToWide(once)));
    // The first write may replace unpaired surrogates; from then on the text is stable.
    if (serializeSettings(parseSettings(utf8ToWide(twice))) != twice) std::abort();
    return 0;
}
