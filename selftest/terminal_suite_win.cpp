// Placeholder until the terminal exists: it must never report a pass.
#include "selftest/harness.h"
#include "selftest/suites.h"

int runTerminalSuite() {
    return reportUnavailableSuite(u"toolkeep-selftest.log", u"== Wrenly 终端内置自检 ==",
                                  u"此构建尚未包含该自检");
}
