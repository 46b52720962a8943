// The commands a shell kind was given, kept across sessions in
// %APPDATA%\Toolkeep\history-cmd.txt and history-powershell.txt: UTF-8, one
// command a line, oldest first. Every command goes into the session's memory;
// only those that may be stored reach the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/settings.h"  // ShellKind

// Entries kept; a repeated command moves to the end instead of adding one.
constexpr size_t kHistoryCap = 2000;

// The kind's history file, creating the folder; empty without an AppData folder.
std::u16string historyFilePath(ShellKind kind);

// Commands that look as if they carry a password, key or token.
bool looksSecret(const std::u16string& command);
// Whether the command may be written to disk: it does not begin with a blank
// (the user's opt-out) and does not look secret.
bool mayStoreCommand(const std::u16string& command);

// Moves the command to the end (adding it when new), keeping at most the cap.
void rememberCommand(std::vector<std::u16string>& history, const std::u16string& command);

// What a history file holds. A power cut or a full disk in the moments after
// an append can leave NUL bytes or a line cut inside a character at its end:
// that tail is all a reader drops. Every other line is kept, one that is not
// UTF-8 (doskey /history >> writes the ANSI code page) decoded as ANSI.
struct HistoryText {
    std::vector<std::u16string> lines;  // every non-empty line, in file order
    size_t textStart = 0;  // after a byte-order mark
    size_t keptLength = 0;  // where the torn tail begins (the size when there is none)
    bool tailHeldText = false;  // the tail held more than NUL bytes
    size_t lineBreaks = 0;  // before keptLength
};
HistoryText scanHistory(const std::string& bytes);
// The file's lines under the rules above: the last of repeated ones kept, at
// most the cap, empty lines skipped.
std::vector<std::u16string> parseHistory(const std::string& bytes);
std::string historyFileText(const std::vector<std::u16string>& history);

// What opening a history file found.
struct HistoryLoad {
    std::vector<std::u16string> entries;
    std::u16string keptAs;  // the file as it was, copied here before its torn tail was cut off
};
// Cuts a torn tail off the file (waiting a moment at most for other writers).
HistoryLoad loadCommandHistory(const std::u16string& path);
enum class HistoryStore { Stored, Busy, Failed };
// Appends one command, cutting a torn tail first; a failed write leaves the
// file as it was. Once the file holds twice the cap it is rewritten with the
// cap's worth, atomically. Other writers are waited for up to lockWaitMs.
HistoryStore appendCommandHistory(const std::u16string& path, const std::u16string& command, uint32_t lockWaitMs);
// Empties the file.
bool clearCommandHistory(const std::u16string& path);
