// Shared by every self-test suite: console and log channels, check lines,
// the summary line and the failure count that becomes the exit code.
#pragma once

#include <string>

struct SuiteLog {
    std::u16string logPath;  // empty when the log channel could not be opened
    std::string logBytes;  // everything written so far, as UTF-8
    int passes = 0;
    int failures = 0;
};

// Opens the log %TEMP%\<logFileName>, replacing the previous run's log.
SuiteLog openSuiteLog(const std::u16string& logFileName);
// One free-text line (title, section, detail); CR LF is appended.
void writeSuiteLine(SuiteLog& log, const std::u16string& line);
// One check: "  [PASS] " or "  [FAIL] " + description.
bool suiteCheck(SuiteLog& log, bool passed, const std::u16string& description);
// Writes "== 结果：PASS p / n ==" (or ends with the given closing) and returns the failures.
int finishSuite(SuiteLog& log, const std::u16string& closing = u" ==");

// Used for suites this build cannot run: reports one failure, never a pass.
int reportUnavailableSuite(const std::u16string& logFileName, const std::u16string& title,
                           const std::u16string& reason);
