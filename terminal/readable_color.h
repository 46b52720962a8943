// Keeps coloured output legible on either theme's terminal background: a
// colour that hardly stands out from it is shown in the nearest colour of
// the same hue that does.
#pragma once

#include "terminal/sgr_parser.h"

// The least contrast ratio output colours are shown with.
constexpr double kMinimumContrast = 3.0;
// The least contrast ratio of the window's own text (WCAG 2 level AA for text
// of normal size).
constexpr double kTextContrast = 4.5;

// WCAG 2 relative luminance (0 black .. 1 white) and contrast ratio (1 .. 21).
double relativeLuminance(Rgb color);
double contrastRatio(Rgb a, Rgb b);
// The colour itself when its contrast with the background reaches the
// minimum; else the least change of it towards black (on a light background)
// or white (on a dark one) that reaches it.
Rgb readableOn(Rgb color, Rgb background, double minimum = kMinimumContrast);
// The same for colours in COLORREF layout (0x00BBGGRR).
uint32_t readableColorref(uint32_t color, uint32_t background, double minimum);
