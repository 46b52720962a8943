#include <gtest/gtest.h>

#include "terminal/readable_color.h"
#include "ui/theme.h"

namespace {

Rgb rgbOf(ThemeColor color) {
    return {uint8_t(color & 0xFF), uint8_t((color >> 8) & 0xFF), uint8_t((color >> 16) & 0xFF)};
}

TEST(ThemeColors, EveryTextReadsOnItsBackgroundInBothThemes) {
    for (bool dark : {false, true}) {
        for (const ThemeTextPair& pair : themeTextPairs(themeColors(dark))) {
            EXPECT_GE(contrastRatio(rgbOf(pair.text), rgbOf(pair.background)), kTextContrast)
                << (dark ? "dark: " : "light: ") << pair.name;
        }
    }
}

}  // namespace
