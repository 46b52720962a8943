// The built-in self-test suites; each returns its number of failed checks.
#pragma once

#include "app/run_mode.h"

int runTerminalSuite();
int runConfigSuite();
int runSemanticSuite();
int runDatapackSuite();
int runMcpSuite();
int runPlaybookSuite();

int runSelfTestSuite(SelfTestSuite suite);
