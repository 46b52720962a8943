#include "selftest/harness.h"

#include "data/files.h"
#include "data/text.h"
#include "platform/platform.h"

SuiteLog openSuiteLog(const std::u16string& logFileName) {
    SuiteLog log;
    std::u16string dir = platform::tempDir();
    if (!dir.empty() && writeWholeFile(dir + logFileName, std::string())) log.logPath = dir + logFileName;
    return log;
}

void writeSuiteLine(SuiteLog& log, const std::u16string& line) {
    std::u16string text = line + u"\r\n";
    platform::writeConsole(text);
    if (log.logPath.empty()) return;
    log.logBytes += wideToUtf8(text);
    // Rewritten whole so the log stays complete even if the suite dies mid-way.
    writeWholeFile(log.logPath, log.logBytes);
}

bool suiteCheck(SuiteLog& log, bool passed, const std::u16string& description) {
    (passed ? log.passes : log.failures)++;
    writeSuiteLine(log, (passed ? u"  [PASS] " : u"  [FAIL] ") + description);
    return passed;
}

int finishSuite(SuiteLog& log, const std::u16string& closing) {
    writeSuiteLine(log, u"== 结果：PASS " + asciiToWide(std::to_string(log.passes)) + u" / " +
                            asciiToWide(std::to_string(log.passes + log.failures)) + closing);
    return log.failures;
}

int reportUnavailableSuite(const std::u16string& logFileName, const std::u16string& title,
                           const std::u16string& reason) {
    SuiteLog log = openSuiteLog(logFileName);
    writeSuiteLine(log, title);
    suiteCheck(log, false, reason);
    return finishSuite(log);
}
