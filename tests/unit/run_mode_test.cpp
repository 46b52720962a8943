#include <gtest/gtest.h>

#include "app/run_mode.h"

namespace {

RunChoice choose(std::vector<std::u16string> args) {
    args.insert(args.begin(), u"toolkeep.exe");
    return chooseRunMode(parseRunOptions(args));
}

TEST(RunMode, SwitchTableAndPrecedence) {
    EXPECT_EQ(choose({}).mode, RunMode::Window);
    EXPECT_EQ(choose({u"C:\\file.txt"}).mode, RunMode::Window);
    EXPECT_EQ(choose({u"--MCP-STDIO"}).mode, RunMode::McpServer);
    EXPECT_EQ(choose({u"--selftest-config", u"--mcp-stdio"}).mode, RunMode::McpServer);

    RunChoice both = choose({u"--selftest-playbook", u"--selftest-terminal", u"--selftest-playbook"});
    EXPECT_EQ(both.mode, RunMode::SelfTest);
    EXPECT_EQ(both.suite, SelfTestSuite::Terminal);

    RunChoice datapack = choose({u"--SelfTest-Datapack", u"--selftest-mcp"});
    EXPECT_EQ(datapack.suite, SelfTestSuite::Datapack);
    EXPECT_EQ(choose({u"--selftest-configx"}).mode, RunMode::Window);
}

// The interrupt helper never opens a window, and sends nothing to an id it cannot read.
TEST(RunMode, SendCtrlCTakesOnlyAPlainProcessId) {
    const struct {
        std::vector<std::u16string> args;
        unsigned long target;
    } cases[] = {
        {{u"--send-ctrl-c", u"1234"}, 1234},
        {{u"--mcp-stdio", u"--SEND-CTRL-C", u"4294967295"}, 4294967295ul},
        {{u"--send-ctrl-c"}, 0},
        {{u"--send-ctrl-c", u"4294967296"}, 0},
        {{u"--send-ctrl-c", u"-5"}, 0},
        {{u"--send-ctrl-c", u"12a"}, 0},
        {{u"--send-ctrl-c", u"--selftest-config"}, 0},
    };
    for (const auto& c : cases) {
        RunChoice choice = choose(c.args);
        EXPECT_EQ(choice.mode, RunMode::SendCtrlC);
        EXPECT_EQ(choice.ctrlCTarget, c.target) << (c.args.size() > 1 ? c.args[1].size() : 0);
    }
}

TEST(RunMode, SemanticLiveTakesAValueThatIsStillASwitch) {
    EXPECT_EQ(choose({u"--selftest-semantic-live"}).mode, RunMode::Window);
    RunChoice alone = choose({u"--selftest-semantic-live", u"x"});
    EXPECT_EQ(alone.mode, RunMode::SelfTest);
    EXPECT_FALSE(alone.hasSuite);

    RunChoice valueIsSwitch = choose({u"--selftest-semantic-live", u"--selftest-semantic"});
    EXPECT_TRUE(valueIsSwitch.hasSuite);
    EXPECT_EQ(valueIsSwitch.suite, SelfTestSuite::Semantic);
}

}  // namespace
