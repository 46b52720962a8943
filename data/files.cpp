#include "data/files.h"

std::optional<std::string> readWholeFile(const std::u16string& path) {
    FileRead read = readFile(path);
    if (read.status != ReadStatus::Read) return std::nullopt;
    return std::move(read.bytes);
}
