// Placeholder until this suite's components exist: it must never report a pass.
#include "selftest/harness.h"
#include "selftest/suites.h"

int runPlaybookSuite() {
    return reportUnavailableSuite(u"toolkeep-playbook-selftest.log", u"== 排障剧本自检 ==", u"此构建尚未包含该自检");
}
