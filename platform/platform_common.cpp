#include "platform/platform.h"

namespace platform {

std::u16string joinPath(const std::u16string& dir, const std::u16string& name) {
    if (dir.empty()) return name;
    char16_t last = dir.back();
    if (last == u'\\' || last == u'/') return dir + name;
    return dir + pathSeparator() + name;
}

}  // namespace platform
