// Shell kinds and the portable rules of the console editor and its tabs:
// naming, echo suppression, local clear, history and reverse search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/settings.h"  // ShellKind

// The exact command line started for a kind.
std::u16string shellCommandLine(ShellKind kind);
// CR becomes LF; nothing else changes (a CR LF pair becomes two LFs).
std::u16string shellInputText(const std::u16string& text);
// Automatic tab name: "CMD", "CMD 2", ... given how many of the kind are open.
std::u16string automaticTerminalName(ShellKind kind, size_t sameKindOpen);
// PowerShell for "powershell", "pwsh" and "ps" in any letter case, else CMD.
ShellKind shellKindForName(const std::u16string& shellName);
// The substitute prompt built from a directory.
std::u16string substitutePrompt(ShellKind kind, const std::u16string& directory);
// Shell echo of a submitted line: how many leading characters of the chunk to
// drop (0 when it does not start with the echo), and whether the pending echo
// is settled (false when the chunk holds only blanks and line breaks, or ends
// inside the echo or right after it). PowerShell echoes a line it reads from a
// pipe a character at a time, so the echo may span chunks: while not settled,
// `rest` is what is still expected (kEchoLineBreak: only the line break).
struct EchoMatch {
    size_t dropCount = 0;
    bool settled = false;
    std::u16string rest;
};
constexpr const char16_t* kEchoLineBreak = u"\n";
EchoMatch matchShellEcho(const std::u16string& chunk, const std::u16string& pendingEcho);
// Lower-cased trimmed word of a submitted line, to spot "cls" and "clear".
bool isLocalClearCommand(const std::u16string& line);
// Simple case folding (ASCII, Latin-1, Greek and Cyrillic capitals), as
// file names and the history are compared.
std::u16string foldedText(const std::u16string& text);
// Whether the line is worth keeping in the history.
bool isHistoryWorthy(const std::u16string& line);
// Reverse search: index of the first entry containing the query (case folded
// with towlower-like folding), looking from start-1 down to 0 then wrapping
// from size-1 down to start; -1 when none.
long reverseHistoryMatch(const std::vector<std::u16string>& history, const std::u16string& query, size_t start);
