#pragma once
// A colour as stored in the settings record and used by the charts.
#include <cstdint>

namespace vornik {

// 0x00BBGGRR (red in the lowest byte).
using Color = uint32_t;
constexpr Color RgbColor(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<Color>(r) | static_cast<Color>(g) << 8 | static_cast<Color>(b) << 16;
}
constexpr uint8_t RedOf(Color c) { return c & 0xFF; }
constexpr uint8_t GreenOf(Color c) { return (c >> 8) & 0xFF; }
constexpr uint8_t BlueOf(Color c) { return (c >> 16) & 0xFF; }

}  // namespace vornik
