#include "data/text.h"

std::u16string asciiToWide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::u16string utf8ToWide(const std::string& utf8) {
    return utf8ToWide(utf8.data(), utf8.size());
}
