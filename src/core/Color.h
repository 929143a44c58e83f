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

constexpr Color kRed = RgbColor(0xFF, 0x00, 0x00);
constexpr Color kAqua = RgbColor(0x00, 0xFF, 0xFF);
constexpr Color kYellow = RgbColor(0xFF, 0xFF, 0x00);
constexpr Color kFuchsia = RgbColor(0xFF, 0x00, 0xFF);
constexpr Color kBlack = RgbColor(0x00, 0x00, 0x00);
constexpr Color kMaroon = RgbColor(0x80, 0x00, 0x00);
constexpr Color kOlive = RgbColor(0x80, 0x80, 0x00);
constexpr Color kLime = RgbColor(0x00, 0xFF, 0x00);
constexpr Color kSilver = RgbColor(0xC0, 0xC0, 0xC0);
constexpr Color kTeal = RgbColor(0x00, 0x80, 0x80);
constexpr Color kBlue = RgbColor(0x00, 0x00, 0xFF);
constexpr Color kPurple = RgbColor(0x80, 0x00, 0x80);
constexpr Color kWhite = RgbColor(0xFF, 0xFF, 0xFF);
constexpr Color kSkyBlue = RgbColor(0xA6, 0xCA, 0xF0);

// The gradient behind a chart, from top to bottom: of a new chart and of
// the default settings.
constexpr Color kChartPanelStart = kWhite;
constexpr Color kChartPanelEnd = kSkyBlue;

}  // namespace vornik
