// Reading the user's own JSON files (config.json, custom-tools.json) so that
// no save loses what they hold: a file that cannot be read is never saved
// over, and one that cannot be understood is copied aside first.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "data/json.h"

enum class DocumentState {
    Loaded,  // parsed and usable
    Missing,  // no file, or an empty one: nothing to lose
    Unreadable,  // there but not readable (in use, access denied, I/O error)
    Unusable,  // read, but not JSON or not of the expected shape
};

// What reading one file found, for the report at start-up.
struct DocumentOutcome {
    DocumentState state = DocumentState::Missing;
    std::u16string path;
    uint32_t error = 0;  // Unreadable: the system's error code
    std::u16string keptAs;  // Unusable: the copy of the original bytes; empty when copying failed
};

struct StoredDocument {
    DocumentOutcome outcome;
    JsonValue document;  // Loaded only
    std::string bytes;  // Loaded only: as read, less a NUL tail
};

// Whether a save may replace the file: it holds nothing, or nothing that is not kept elsewhere.
bool mayReplace(const DocumentOutcome& outcome);

// Reads and parses path (UTF-8, else the ANSI code page). The bytes of an
// unusable file are copied to path + ".bad", or the next free name
// (".bad-2", ".bad-3", ...): a copy never replaces an earlier one, and a
// copy that already holds the same bytes is reused rather than made again.
StoredDocument readStoredDocument(const std::u16string& path, bool (*isUsable)(const JsonValue& document));

// Copies bytes that could not be understood to path + ".bad", or the next
// free name: an existing copy holding the same bytes is reused. Empty when no
// copy could be made.
std::u16string keepBrokenCopy(const std::u16string& path, const std::string& bytes);

// The name of the n-th copy of an unusable file (n from 1).
std::u16string backupPath(const std::u16string& path, int n);

// How a save that re-reads the file first ended.
enum class SaveOutcome { Saved, NotRead, NotWritten };

// The read-merge-write of a user file: under the file's lock (waiting a
// moment at most), reads it and, when it may be replaced, saves the text
// `merge` makes of what it holds. NotWritten also when the lock cannot be had.
SaveOutcome saveUnderLock(const std::u16string& path, bool (*isUsable)(const JsonValue& document),
                          const std::function<std::string(const StoredDocument& stored)>& merge);
