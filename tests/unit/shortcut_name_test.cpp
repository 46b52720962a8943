#include <gtest/gtest.h>

#include "launcher/shortcut_name.h"

TEST(ShortcutName, ForbiddenCharactersBecomeUnderscores) {
    EXPECT_EQ(shortcutFileName(u"a\\b/c:d*e?f\"g<h>i|j"), u"a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(shortcutFileName(u"服务 (本地)"), u"服务 (本地)");
}

TEST(ShortcutName, InternetShortcutBytes) {
    EXPECT_EQ(internetShortcutBytes(u"ms-screenclip:"), "[InternetShortcut]\r\nURL=ms-screenclip:\r\n");
    EXPECT_EQ(internetShortcutBytes(u"https://例.cn/"), "[InternetShortcut]\r\nURL=https://\xE4\xBE\x8B.cn/\r\n");
}

TEST(ShortcutName, PinCaptionsAndVerb) {
    struct Case {
        const char16_t* caption;
        bool pin;
    };
    const Case cases[] = {
        {u"Pin to tas&kbar", true},      {u"PIN TO TASKBAR", true},       {u"固定到任务栏(&K)", true},
        {u"从任务栏取消固定", false},    {u"Unpin from taskbar", false},  {u"Pin to Start", false},
        {u"固定到开始屏幕", false},      {u"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isPinCaption(c.caption), c.pin) << static_cast<int>(c.pin);
    EXPECT_TRUE(isPinVerb("TaskbarPin"));
    EXPECT_FALSE(isPinVerb("taskbarunpin"));
    EXPECT_FALSE(isPinVerb("taskbarpi"));
}
