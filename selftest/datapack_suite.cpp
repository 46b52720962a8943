// Placeholder until this suite's components exist: it must never report a pass.
#include "selftest/harness.h"
#include "selftest/suites.h"

int runDatapackSuite() {
    return reportUnavailableSuite(u"toolkeep-datapack-selftest.log", u"== 数据包热更新自检 ==", u"此构建尚未包含该自检");
}
