#include "data/file_backup.h"

#include "data/files.h"
#include "data/text.h"

bool keepUnusableFile(const std::u16string& path, bool (*isUsable)(const JsonValue& document)) {
    auto bytes = readWholeFile(path);
    if (!bytes || bytes->empty()) return true;
    auto document = parseJson(utf8ToWide(*bytes));
    if (document && isUsable(*document)) return true;
    return saveFileAtomically(path + u".bad", *bytes);
}
