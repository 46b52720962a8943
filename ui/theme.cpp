#include "ui/theme.h"

const ThemeColors& themeColors(bool dark) { return dark ? kDarkTheme : kLightTheme; }

std::vector<ThemeTextPair> themeTextPairs(const ThemeColors& c) {
    return {
        {"tree", c.treeText, c.treeBackground},
        {"tree selection", c.treeSelectedText, c.treeSelectedBackground},
        {"tree selection without focus", c.treeInactiveText, c.treeInactiveBackground},
        {"edit", c.editText, c.editBackground},
        {"hint of an empty box", c.editCue, c.editBackground},
        {"terminal and pages", c.terminalText, c.terminalBackground},
        {"tab", c.tabText, c.tabBackground},
        {"selected tab", c.tabSelectedText, c.tabSelectedBackground},
        {"status bar", c.statusText, c.statusBackground},
    };
}
