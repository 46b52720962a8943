#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "data/text.h"
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
    for (const char16_t* caption : {u"Pin to tas&kbar", u"PIN TO TASKBAR", u"固定到任务栏(&K)"})
        EXPECT_TRUE(isPinCaption(caption)) << wideToUtf8(caption);
    for (const char16_t* caption :
         {u"从任务栏取消固定", u"Unpin from taskbar", u"Pin to Start", u"固定到开始屏幕", u""})
        EXPECT_FALSE(isPinCaption(caption)) << wideToUtf8(caption);
    EXPECT_TRUE(isPinVerb("TaskbarPin"));
    EXPECT_FALSE(isPinVerb("taskbarunpin"));
    EXPECT_FALSE(isPinVerb("taskbarpi"));
}

// A desktop as a map of file names to bytes.
struct FakeFolder {
    std::map<std::u16string, std::string> files;
    std::string next;  // what the next write puts down
    ShortcutFiles operations() {
        ShortcutFiles ops;
        ops.read = [this](const std::u16string& path) {
            FileRead read;
            auto found = files.find(path);
            if (found != files.end()) {
                read.status = ReadStatus::Read;
                read.bytes = found->second;
            }
            return read;
        };
        ops.write = [this](const std::u16string& path) {
            files[path] = next;
            return true;
        };
        ops.remove = [this](const std::u16string& path) { return files.erase(path) == 1; };
        return ops;
    }
};

TEST(ShortcutName, NewShortcutNeverReplacesAnotherFile) {
    struct Step {
        const char* bytes;
        std::vector<std::u16string> names;  // the folder afterwards
    };
    const Step steps[] = {{"services", {u"D\\服务.lnk"}},
                          {"services", {u"D\\服务.lnk"}},  // the same shortcut again: kept once
                          {"other", {u"D\\服务 (2).lnk", u"D\\服务.lnk"}},
                          {"third", {u"D\\服务 (2).lnk", u"D\\服务 (3).lnk", u"D\\服务.lnk"}},
                          {"other", {u"D\\服务 (2).lnk", u"D\\服务 (3).lnk", u"D\\服务.lnk"}}};
    FakeFolder folder;
    for (const Step& step : steps) {
        folder.next = step.bytes;
        EXPECT_TRUE(placeShortcut(u"D\\服务", u".lnk", folder.operations()));
        std::vector<std::u16string> names;
        for (const auto& entry : folder.files) names.push_back(entry.first);
        EXPECT_EQ(names, step.names) << step.bytes;
    }
    EXPECT_EQ(folder.files[u"D\\服务.lnk"], "services");
    EXPECT_EQ(folder.files[u"D\\服务 (2).lnk"], "other");
    EXPECT_EQ(numberedShortcutPath(u"a", u".url", 1), u"a.url");
    EXPECT_EQ(numberedShortcutPath(u"a", u".url", 12), u"a (12).url");
}
