#include <gtest/gtest.h>

#include "data/text.h"
#include "terminal/shell_launch.h"

namespace {

TEST(ShellLaunch, ShellsRunFromTheSystemFolder) {
    EXPECT_EQ(shellProgramPath(ShellKind::Cmd, u"C:\\Windows\\system32"), u"C:\\Windows\\system32\\cmd.exe");
    EXPECT_EQ(shellProgramPath(ShellKind::PowerShell, u"C:\\W\\"), u"C:\\W\\WindowsPowerShell\\v1.0\\powershell.exe");
    EXPECT_EQ(shellProgramPath(ShellKind::Cmd, u""), u"");  // never a bare name
}

TEST(ShellLaunch, StartDirectoryIsTheProfileElseTheSystemDrive) {
    EXPECT_EQ(shellStartDirectory(u"C:\\Users\\ann", u"C:\\Windows\\system32"), u"C:\\Users\\ann");
    EXPECT_EQ(shellStartDirectory(u"", u"D:\\Windows\\system32"), u"D:\\");
    EXPECT_EQ(shellStartDirectory(u"", u"\\\\?\\x"), u"\\\\?\\x");
    EXPECT_EQ(shellStartDirectory(u"", u""), u"");
}

// The block as readable text: NULs shown as '|'.
std::string shown(std::u16string block) {
    for (char16_t& c : block) {
        if (c == u'\0') c = u'|';
    }
    return wideToUtf8(block);
}

TEST(ShellLaunch, EnvironmentBlockSortedWithAdditionsOnTop) {
    const std::vector<std::pair<std::u16string, std::u16string>> colour = shellColourVariables();
    EXPECT_EQ(
        shown(environmentBlock({u"Path=C:\\W", u"=C:=C:\\x", u"clicolor=0", u"TEMP=C:\\T", u"_x=1", u"A_B=2"}, colour)),
        "=C:=C:\\x|A_B=2|CLICOLOR=1|CLICOLOR_FORCE=1|FORCE_COLOR=1|Path=C:\\W|TEMP=C:\\T|_x=1||");
    EXPECT_EQ(shown(environmentBlock({u"b=1", u"B=2", u"a="}, {})), "a=|b=1||");  // one entry per name
    EXPECT_EQ(shown(environmentBlock({}, {})), "||");
    EXPECT_EQ(colour.size(), 3u);
}

}  // namespace
