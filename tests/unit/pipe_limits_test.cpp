#include <gtest/gtest.h>

#include "terminal/pipe_limits.h"

namespace {

TEST(PipeLimits, NamesTheProgramThatCannotWorkOnAPipe) {
    struct Case { const char16_t* line; PipeLimit limit; const char16_t* program; } cases[] = {
        {u"powershell -Command Get-Date", PipeLimit::WaitsForEndOfInput, u"powershell"},
        {u"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\PowerShell.EXE -c \"a | b\"", PipeLimit::WaitsForEndOfInput,
         u"powershell"},
        {u"powershell", PipeLimit::WaitsForEndOfInput, u"powershell"},
        {u"WMIC os get caption", PipeLimit::WaitsForEndOfInput, u"wmic"},
        {u"timeout /t 5", PipeLimit::NeedsConsole, u"timeout"},
        {u"dir /s | more", PipeLimit::NeedsConsole, u"more"},
        {u"echo a && choice /c yn", PipeLimit::NeedsConsole, u"choice"},
        // Given another input, or a file to run, they return.
        {u"powershell -Command Get-Date < nul", PipeLimit::None, u""},
        {u"wmic os get caption<nul", PipeLimit::None, u""},
        {u"powershell -InputFormat None -Command Get-Date", PipeLimit::None, u""},
        {u"powershell -File check.ps1", PipeLimit::None, u""},
        // Names inside quotes or as arguments are not programs run.
        {u"echo \"x | more\"", PipeLimit::None, u""}, {u"findstr timeout log.txt", PipeLimit::None, u""},
        {u"ping -n 2 127.0.0.1", PipeLimit::None, u""}, {u"", PipeLimit::None, u""},
    };
    for (const Case& c : cases) {
        PipeLimitHint hint = pipeLimitHint(c.line);
        EXPECT_EQ(hint.limit, c.limit) << std::string(c.line, c.line + std::char_traits<char16_t>::length(c.line));
        EXPECT_EQ(hint.program, c.program);
        EXPECT_EQ(hint.instead.empty(), c.limit == PipeLimit::None);
    }
}

}  // namespace
