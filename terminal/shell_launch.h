// How a terminal's shell is started: which program, in which folder, with
// which environment. Pure rules; the Windows session feeds them the system's
// folders and the program's environment.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "data/settings.h"  // ShellKind

// The shell's full path inside the system folder; empty when that is unknown.
// Never a bare name: the system would look beside this program first.
std::u16string shellProgramPath(ShellKind kind, const std::u16string& systemDir);

// The folder a shell starts in: the user's profile (empty when unset or not a
// folder), else the system folder's drive root, else the system folder itself.
// Never this program's folder, where a planted whoami.bat would shadow the
// command a playbook fills in.
std::u16string shellStartDirectory(const std::u16string& profileDir, const std::u16string& systemDir);

// A CreateProcess environment block: each "NAME=value" of `inherited` (as
// GetEnvironmentStringsW lists them) with `added` set on top, sorted by name
// without regard to case as Windows expects, each entry NUL-terminated and one
// more NUL at the end.
std::u16string environmentBlock(const std::vector<std::u16string>& inherited,
                                const std::vector<std::pair<std::u16string, std::u16string>>& added);

// The variables that ask colour-capable tools for SGR colour although their
// output is a pipe. They go to the shell only, not to every tool launched.
std::vector<std::pair<std::u16string, std::u16string>> shellColourVariables();
