#include <gtest/gtest.h>

#include <tuple>

#include "terminal/pipe_limits.h"

namespace {

TEST(PipeLimits, NamesTheProgramThatCannotWorkOnAPipe) {
    // A command line, what keeps it from working on a pipe, and the program named.
    const std::tuple<const char16_t*, PipeLimit, const char16_t*> cases[] = {
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
        {u"echo \"x | more\"", PipeLimit::None, u""},
        {u"findstr timeout log.txt", PipeLimit::None, u""},
        {u"ping -n 2 127.0.0.1", PipeLimit::None, u""},
        {u"", PipeLimit::None, u""}};
    for (const auto& [line, limit, program] : cases) {
        PipeLimitHint hint = pipeLimitHint(line);
        EXPECT_EQ(hint.limit, limit) << std::string(line, line + std::char_traits<char16_t>::length(line));
        EXPECT_EQ(hint.program, program);
        EXPECT_EQ(hint.instead.empty(), limit == PipeLimit::None);
    }
}

}  // namespace
