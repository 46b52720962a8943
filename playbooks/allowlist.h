// The read-only command allowlist: the single judge of whether a playbook
// command may ever be filled into a terminal. It refuses by default.
#pragma once

#include <string>

struct CommandVerdict {
    bool allowed = false;
    std::u16string reason;  // empty when allowed; a fixed Chinese text otherwise
};

// shell: "cmd" (also empty or anything unknown), "powershell", "pwsh" or "ps".
// Pure: no side effects, no shared state.
CommandVerdict checkCommand(const std::u16string& shell, const std::u16string& command);

// Inner steps, exposed for tests. Each takes already substituted, trimmed text.
CommandVerdict checkCmdCommand(const std::u16string& command);
CommandVerdict checkPowerShellSegment(const std::u16string& segment);

struct NormalisedCommandName {
    std::u16string name;  // ASCII lower-cased, ".exe" dropped
    bool hasPath = false;
};
NormalisedCommandName normaliseCommandName(const std::u16string& token);
