// Programs that cannot work with their input on a pipe that never ends, as
// the terminal's shell has it: some wait for the end of input, some read a
// console that nobody can type into. Pure: the command line is judged by its
// words alone.
#pragma once

#include <string>

enum class PipeLimit { None, WaitsForEndOfInput, NeedsConsole };

struct PipeLimitHint {
    PipeLimit limit = PipeLimit::None;
    std::u16string program;  // as the admin would know it: "wmic", "timeout"
    std::u16string instead;  // a command line that does the same on a pipe
};

// The first program of the command line (or of a part after | or &) that
// will not return or cannot be answered here; None when there is none or
// the line already gives it another input (< nul, -InputFormat None).
PipeLimitHint pipeLimitHint(const std::u16string& commandLine);
