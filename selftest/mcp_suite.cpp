// Placeholder until this suite's components exist: it must never report a pass.
#include "selftest/harness.h"
#include "selftest/suites.h"

int runMcpSuite() {
    return reportUnavailableSuite(u"toolkeep-mcp-selftest.log", u"== MCP 只读服务自检 ==", u"此构建尚未包含该自检");
}
