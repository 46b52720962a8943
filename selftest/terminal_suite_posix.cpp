// The terminal suite drives real Win32 terminals; the headless build cannot.
#include "selftest/harness.h"
#include "selftest/suites.h"

int runTerminalSuite() {
    return reportUnavailableSuite(u"toolkeep-selftest.log", u"== Wrenly 终端内置自检 ==",
                                  u"终端自检需要 Windows(请在 Windows 或 Wine 下运行 toolkeep.exe)");
}
