#include "data/file_backup.h"

#include "data/files.h"
#include "data/text.h"

namespace {

// Copies of one file's broken versions; past this many the file is left alone.
constexpr int kMaxBackups = 100;

}  // namespace

std::u16string keepBrokenCopy(const std::u16string& path, const std::string& bytes) {
    for (int n = 1; n <= kMaxBackups; ++n) {
        const std::u16string candidate = backupPath(path, n);
        FileRead existing = readFile(candidate);
        if (existing.status == ReadStatus::Read && existing.bytes == bytes) return candidate;
        if (existing.status != ReadStatus::Missing) continue;
        return saveFileAtomically(candidate, bytes) ? candidate : std::u16string();
    }
    return {};
}

std::u16string backupPath(const std::u16string& path, int n) {
    if (n <= 1) return path + u".bad";
    return path + u".bad-" + asciiToWide(std::to_string(n));
}

bool mayReplace(const DocumentOutcome& outcome) {
    switch (outcome.state) {
        case DocumentState::Loaded:
        case DocumentState::Missing: return true;
        case DocumentState::Unusable: return !outcome.keptAs.empty();
        case DocumentState::Unreadable: return false;
    }
    return false;
}

StoredDocument readStoredDocument(const std::u16string& path, bool (*isUsable)(const JsonValue& document)) {
    StoredDocument stored;
    DocumentOutcome& outcome = stored.outcome;
    outcome.path = path;
    FileRead read = readFile(path);
    if (read.status == ReadStatus::Failed) {
        outcome.state = DocumentState::Unreadable;
        outcome.error = read.error;
        return stored;
    }
    // NUL bytes at the end are what a power cut leaves of a write not yet on disk.
    size_t length = read.bytes.find_last_not_of('\0') + 1;  // 0 when all are NUL
    if (read.status == ReadStatus::Missing || length == 0) return stored;
    auto document = parseJson(fileTextToWide(read.bytes.substr(0, length)));
    if (document && isUsable(*document)) {
        outcome.state = DocumentState::Loaded;
        stored.document = std::move(*document);
        stored.bytes = read.bytes.substr(0, length);
        return stored;
    }
    outcome.state = DocumentState::Unusable;
    outcome.keptAs = keepBrokenCopy(path, read.bytes);
    return stored;
}

SaveOutcome saveUnderLock(const std::u16string& path, bool (*isUsable)(const JsonValue& document),
                          const std::function<std::string(const StoredDocument& stored)>& merge) {
    if (path.empty()) return SaveOutcome::NotWritten;
    SaveOutcome outcome = SaveOutcome::NotWritten;
    underFileLock(
        path,
        [&] {
            StoredDocument stored = readStoredDocument(path, isUsable);
            if (!mayReplace(stored.outcome)) {
                outcome = SaveOutcome::NotRead;
                return;
            }
            if (saveFileAtomically(path, merge(stored))) outcome = SaveOutcome::Saved;
        },
        kLockMomentMs);
    return outcome;
}
