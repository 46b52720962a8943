#include <gtest/gtest.h>

#include <tuple>

#include "data/text.h"
#include "data/window_placement.h"

namespace {

std::optional<WindowPlacement> parse(const std::string& utf8) { return parseWindowPlacement(utf8ToWide(utf8)); }

TEST(WindowPlacement, ReadsWhatItWritesAndRefusesDamagedFrames) {
    WindowPlacement written;
    written.normal = {-1200, 40, -200, 700};
    written.maximized = true;
    auto back = parse(serializeWindowPlacement(written));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->normal, written.normal);
    EXPECT_TRUE(back->maximized);

    auto plain = parse(R"({"left": 10, "top": 20, "right": 810, "bottom": 620})");
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->maximized);

    const char* const refused[] = {"",
                                   "{",
                                   "[10, 20, 810, 620]",
                                   R"({"left": 10, "top": 20, "right": 810})",  // an edge missing
                                   R"({"left": "10", "top": 20, "right": 810, "bottom": 620})",  // not a number
                                   R"({"left": 810, "top": 20, "right": 10, "bottom": 620})",  // inside out
                                   R"({"left": 10, "top": 20, "right": 10, "bottom": 620})",  // no width
                                   R"({"left": 10, "top": 20, "right": 1e300, "bottom": 620})",  // beyond any desktop
                                   R"({"left": -2147483648, "top": 0, "right": 2147483647, "bottom": 9})"};
    for (const char* text : refused) EXPECT_FALSE(parse(text)) << text;
}

TEST(WindowPlacement, FramesOffEveryWorkAreaComeBackToTheNearest) {
    const WindowBox primary = {0, 0, 1600, 960};
    const WindowBox right = {1600, 0, 3520, 1040};
    const std::vector<WindowBox> areas = {primary, right};
    // The frame, where it comes back, and why.
    const std::tuple<WindowBox, WindowBox, const char*> cases[] = {
        {{100, 100, 900, 700}, {100, 100, 900, 700}, "on the primary area"},
        {{2000, 50, 3000, 800}, {2000, 50, 3000, 800}, "on the second area"},
        {{1400, 100, 2400, 800}, {1400, 100, 2400, 800}, "across both"},
        {{-700, 100, 300, 800}, {-700, 100, 300, 800}, "partly off, title bar still grabbable"},
        {{-5000, 100, -4000, 800}, {0, 100, 1000, 800}, "a monitor that is gone, left of the primary"},
        {{9000, 9000, 10000, 9700}, {2520, 340, 3520, 1040}, "far beyond the second"},
        {{100, -500, 900, 10}, {100, 0, 900, 510}, "title bar above the top"},
        {{100, 950, 900, 1600}, {100, 310, 900, 960}, "title bar below the bottom"},
        {{-9000, -9000, -5000, -6000}, {0, 0, 1600, 960}, "larger than the area: shrunk to it"}};
    for (const auto& [frame, expected, what] : cases) EXPECT_EQ(bringOnScreen(frame, areas), expected) << what;
    EXPECT_EQ(bringOnScreen({-5000, 0, -4000, 700}, {}), (WindowBox{-5000, 0, -4000, 700})) << "no areas known";
}

}  // namespace
