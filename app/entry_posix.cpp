// Headless entry: the MCP server and the self-tests that need no window.
#include <cstdio>

#include "app/run_mode.h"
#include "data/text.h"
#include "mcp/mcp_server.h"
#include "selftest/suites.h"

int main(int argc, char** argv) {
    std::vector<std::u16string> args;
    for (int i = 0; i < argc; ++i) args.push_back(utf8ToWide(std::string(argv[i])));
    RunChoice choice = chooseRunMode(parseRunOptions(args));
    switch (choice.mode) {
        case RunMode::McpServer: return runMcpServer();
        case RunMode::SelfTest: return choice.hasSuite ? runSelfTestSuite(choice.suite) : 0;
        case RunMode::SendCtrlC: return 2;  // no console events here
        case RunMode::CheckPlaybooks:
            return runPlaybookCheck(choice.playbookFiles, [](const std::u16string& line) {
                std::fputs((wideToUtf8(line) + "\n").c_str(), stdout);
            });
        case RunMode::Window: break;
    }
    std::fprintf(stderr, "toolkeep: the window needs Windows; run toolkeep.exe on Windows or under Wine.\n");
    return 1;
}
