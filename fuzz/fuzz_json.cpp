// libFuzzer entry for the JSON parser: any bytes, converted as a file would be.
#include <cstddef>
#include <cstdint>

#include "data/json.h"
#include "data/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text = utf8ToWide(reinterpret_cast<const char*>(data), size);
    if (auto value = parseJson(text); value && value->kind == JsonKind::Object) {
        (void)getInt(*value, u"fontSize", 0);
        (void)jsonQuote(getString(*value, u"id"));
    }
    return 0;
}
