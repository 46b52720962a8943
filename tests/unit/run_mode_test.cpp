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
    // Every argument after the checker's switch is a file, even one that looks like a switch.
    RunChoice check = choose({u"--Check-Playbooks", u"a.json", u"--selftest-config"});
    EXPECT_EQ(check.mode, RunMode::CheckPlaybooks);
    EXPECT_EQ(check.playbookFiles, (std::vector<std::u16string>{u"a.json", u"--selftest-config"}));

    // The interrupt helper never opens a window, and sends nothing to an id it cannot read.
    EXPECT_EQ(choose({u"--mcp-stdio", u"--SEND-CTRL-C", u"4294967295"}).ctrlCTarget, 4294967295ul);
    for (const char16_t* bad : {u"4294967296", u"-5", u"12a", u"--selftest-config"}) {
        EXPECT_EQ(choose({u"--send-ctrl-c", bad}).mode, RunMode::SendCtrlC);
        EXPECT_EQ(choose({u"--send-ctrl-c", bad}).ctrlCTarget, 0u);
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
