#pragma once
// The configuration record: 421 bytes, little-endian, fields at fixed offsets.
// The record keeps its raw bytes, so every byte that no field owns (reserved
// bytes, string bytes past the length, odd Boolean values) is written back as
// it was read. Fields are read and written through typed accessors.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Color.h"
#include "quantities/Quantities.h"

namespace vornik {

struct TSeriesParams {
    bool Show = false;
    double Multiplier = 1.0;
};

// One view block of the record (gas: 13 series, temperature and pressure: 5),
// a window onto the record's bytes.
class TViewParams {
public:
    TViewParams(uint8_t* block, int seriesCount) : block_(block), count_(seriesCount) {}

    int SeriesCount() const { return count_; }
    bool Logarithmic() const;
    void SetLogarithmic(bool value);
    bool View3D() const;
    void SetView3D(bool value);
    Color PanelStartColor() const;
    void SetPanelStartColor(Color value);
    Color PanelEndColor() const;
    void SetPanelEndColor(Color value);
    // Series i in record order (the slots of quantities/Quantities.h).
    Color SeriesColor(int i) const;
    void SetSeriesColor(int i, Color value);
    TSeriesParams Series(int i) const;
    void SetSeries(int i, const TSeriesParams& value);

private:
    uint8_t* block_;
    int count_;
};

class TConfig {
public:
    static constexpr size_t kSize = 421;
    static constexpr int kMaxText = 30;

    TConfig();  // all bytes zero, as at process start

    // Texts are Windows-1251 bytes; setters cut them to 30 characters.
    std::string PortName() const;
    void SetPortName(std::string_view text);
    std::string PrintFontName() const;
    void SetPrintFontName(std::string_view text);
    int32_t RefreshPeriod() const;
    void SetRefreshPeriod(int32_t value);
    int32_t PrintFontSize() const;
    void SetPrintFontSize(int32_t value);
    // The default size, also used for a stored size of 0 or less.
    static constexpr int32_t kDefaultPrintFontSize = 8;

    TViewParams GasView();
    TViewParams TempView();
    TViewParams PressView();
    // The view block of a page.
    TViewParams View(int page);

    int32_t WindowWidth() const;
    void SetWindowWidth(int32_t value);
    int32_t WindowHeight() const;
    void SetWindowHeight(int32_t value);
    int32_t WindowTop() const;
    void SetWindowTop(int32_t value);
    int32_t WindowLeft() const;
    void SetWindowLeft(int32_t value);
    bool WindowMaximized() const;
    void SetWindowMaximized(bool value);

    // Every field to its default; reserved bytes and string bytes past the
    // new lengths stay as they are.
    void LoadDefaults();

    // The fields no run of the program can have written: a window without
    // width or height, a multiplier that is not a finite number. Each is
    // named as the settings box names it ("ширина окна", "множитель O2
    // (газоанализатор)"), in record order.
    std::vector<std::string> ImpossibleFields() const;
    // Those fields to their defaults; every other byte stays as it is.
    void ResetImpossibleFields();
    // False when any field is impossible.
    bool Plausible() const;
    // True for bytes that are no settings at all: every byte the same (a file
    // of zeros or 0xFF bytes) or every field checked above impossible.
    bool Unusable() const;

    const std::array<uint8_t, kSize>& Bytes() const { return bytes_; }
    std::array<uint8_t, kSize>& Bytes() { return bytes_; }

private:
    // Window width and height and the 23 multipliers.
    static constexpr size_t kCheckedFields = 2 + kGasSeriesCount + kTempSeriesCount + kPressSeriesCount;
    std::vector<std::string> CheckFields(bool reset);

    std::array<uint8_t, kSize> bytes_{};
};

}  // namespace vornik
