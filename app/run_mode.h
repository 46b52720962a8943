// The command-line switch table and the choice of run mode.
#pragma once

#include <functional>
#include <string>
#include <vector>

enum class SelfTestSuite { Terminal = 0, Config, Semantic, Datapack, Mcp, Playbook };
constexpr int kSuiteCount = 6;

struct RunOptions {
    bool mcpStdio = false;
    bool suiteRequested[kSuiteCount] = {};
    std::u16string semanticLiveValue;  // the argument after --selftest-semantic-live
    bool sendCtrlC = false;
    unsigned long ctrlCTarget = 0;  // the process id after --send-ctrl-c; 0 when not a number
    bool checkPlaybooks = false;
    std::vector<std::u16string> playbookFiles;  // every argument after --check-playbooks
};

enum class RunMode { Window, McpServer, SelfTest, SendCtrlC, CheckPlaybooks };

struct RunChoice {
    RunMode mode = RunMode::Window;
    bool hasSuite = false;  // SelfTest mode with no suite selected exits 0
    SelfTestSuite suite = SelfTestSuite::Terminal;
    unsigned long ctrlCTarget = 0;  // SendCtrlC: whose console; 0 sends nothing
    std::vector<std::u16string> playbookFiles;  // CheckPlaybooks: the files to judge
};

// args[0] is the program name and is not examined.
RunOptions parseRunOptions(const std::vector<std::u16string>& args);
RunChoice chooseRunMode(const RunOptions& options);

// The checker's run: one line per problem through `print`, in the system's
// language; the exit code is the number of problems (a call without files is one).
int runPlaybookCheck(const std::vector<std::u16string>& files, const std::function<void(const std::u16string&)>& print);
