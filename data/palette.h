// The colours that mean the same wherever they show: something done (blue), a
// failure (red), a hint (green). In COLORREF layout (0x00BBGGRR), so the
// portable core and the window share one value.
#pragma once

#include <cstdint>

constexpr uint32_t kActionBlue = 0xDC6824;  // RGB(36, 104, 220)
constexpr uint32_t kFailureRed = 0x2828C8;  // RGB(200, 40, 40)
constexpr uint32_t kHintGreen = 0x5A9628;  // RGB(40, 150, 90)
