#include "terminal/readable_color.h"

#include <cmath>

namespace {

double linearChannel(uint8_t value) {
    double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// The colour moved the given share of the way towards the target, which
// keeps its hue: every channel moves in the same proportion.
Rgb mixTowards(Rgb color, Rgb target, double share) {
    auto channel = [share](uint8_t from, uint8_t to) {
        return uint8_t(std::lround(from + (double(to) - from) * share));
    };
    return {channel(color.r, target.r), channel(color.g, target.g), channel(color.b, target.b)};
}

// The smallest move towards the target that reaches the minimum contrast,
// or the target itself when none short of it does.
Rgb nearestReadable(Rgb color, Rgb background, Rgb target, double minimum) {
    if (contrastRatio(target, background) < minimum) return target;
    double low = 0, high = 1;
    for (int step = 0; step < 20; ++step) {
        double middle = (low + high) / 2;
        (contrastRatio(mixTowards(color, target, middle), background) >= minimum ? high : low) = middle;
    }
    return mixTowards(color, target, high);
}

}  // namespace

double relativeLuminance(Rgb color) {
    return 0.2126 * linearChannel(color.r) + 0.7152 * linearChannel(color.g) + 0.0722 * linearChannel(color.b);
}

double contrastRatio(Rgb a, Rgb b) {
    double x = relativeLuminance(a), y = relativeLuminance(b);
    return x > y ? (x + 0.05) / (y + 0.05) : (y + 0.05) / (x + 0.05);
}

Rgb readableOn(Rgb color, Rgb background, double minimum) {
    if (contrastRatio(color, background) >= minimum) return color;
    // Black and white stand out most from a light and a dark background.
    bool lightBackground = contrastRatio(Rgb{0, 0, 0}, background) >= contrastRatio(Rgb{255, 255, 255}, background);
    return nearestReadable(color, background, lightBackground ? Rgb{0, 0, 0} : Rgb{255, 255, 255}, minimum);
}

uint32_t readableColorref(uint32_t color, uint32_t background, double minimum) {
    auto rgb = [](uint32_t c) { return Rgb{uint8_t(c & 0xFF), uint8_t((c >> 8) & 0xFF), uint8_t((c >> 16) & 0xFF)}; };
    Rgb shown = readableOn(rgb(color), rgb(background), minimum);
    return uint32_t(shown.r) | (uint32_t(shown.g) << 8) | (uint32_t(shown.b) << 16);
}
