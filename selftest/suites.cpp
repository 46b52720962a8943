#include "selftest/suites.h"

int runSelfTestSuite(SelfTestSuite suite) {
    switch (suite) {
        case SelfTestSuite::Terminal: return runTerminalSuite();
        case SelfTestSuite::Config: return runConfigSuite();
        case SelfTestSuite::Semantic: return runSemanticSuite();
        case SelfTestSuite::Datapack: return runDatapackSuite();
        case SelfTestSuite::Mcp: return runMcpSuite();
        case SelfTestSuite::Playbook: return runPlaybookSuite();
    }
    return 1;
}
