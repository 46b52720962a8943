// The commands a shell kind was given, kept across sessions in
// %APPDATA%\Toolkeep\history-cmd.txt and history-powershell.txt: UTF-8, one
// command a line, oldest first. Every command goes into the session's memory;
// only those that may be stored reach the file.
#pragma once

#include <cstddef>
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
// The file's lines under the rules above: the last of repeated ones kept, at
// most the cap, empty lines skipped.
std::vector<std::u16string> parseHistory(const std::string& utf8);
std::string historyFileText(const std::vector<std::u16string>& history);

// What opening a history file found.
struct HistoryLoad {
    std::vector<std::u16string> entries;
    std::u16string keptAs;      // a file that was not history text, copied here before a fresh one began
};
HistoryLoad loadCommandHistory(const std::u16string& path);
// Appends one command; once the file holds twice the cap, it is rewritten
// with the cap's worth, atomically. Other writers are waited for.
bool appendCommandHistory(const std::u16string& path, const std::u16string& command);
// Empties the file.
bool clearCommandHistory(const std::u16string& path);
