// The read-only command allowlist: the single judge of whether a playbook
// command may ever be filled into a terminal. It refuses by default, and it
// judges every step as both shells would run it: a cmd step may be pasted into
// PowerShell, and a PowerShell step into cmd.
#pragma once

#include <cstddef>
#include <string>

struct CommandVerdict {
    bool allowed = false;
    // Both empty when allowed; otherwise one sentence, Chinese and English,
    // some ending in the offending token or character.
    std::u16string reason;
    std::u16string reasonEn;
};

// Far above any real step, and below cmd's 8191-character line, after which
// the rest of a line may run as a command of its own.
constexpr size_t kMaxCommandLength = 2047;

// shell: "cmd" (also empty or anything unknown), "powershell", "pwsh" or "ps".
// Pure: no side effects, no shared state.
CommandVerdict checkCommand(const std::u16string& shell, const std::u16string& command);

// The PowerShell commands a step may use, for the reviewer and the tests.
size_t powerShellTableSize();

struct NormalisedCommandName {
    std::u16string name;  // ASCII lower-cased, ".exe" dropped
    bool hasPath = false;
};
NormalisedCommandName normaliseCommandName(const std::u16string& token);
