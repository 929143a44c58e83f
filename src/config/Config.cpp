#include "config/Config.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace vornik {

namespace {

// Field offsets of the record.
constexpr size_t kPortName = 0;
constexpr size_t kPrintFontName = 31;
constexpr size_t kRefreshPeriod = 62;
constexpr size_t kPrintFontSize = 66;
constexpr size_t kGasView = 70;
constexpr size_t kTempView = 254;
constexpr size_t kPressView = 329;
constexpr size_t kWindowWidth = 404;
constexpr size_t kWindowHeight = 408;
constexpr size_t kWindowTop = 412;
constexpr size_t kWindowLeft = 416;
constexpr size_t kWindowMaximized = 420;

// Offsets within a view block; the colours are followed by the series entries.
constexpr size_t kLogarithmic = 0;
constexpr size_t kView3D = 1;
constexpr size_t kPanelStartColor = 2;
constexpr size_t kPanelEndColor = 6;
constexpr size_t kSeriesColors = 10;
constexpr size_t kSeriesEntrySize = 9;

// The view blocks hold the series the quantities describe, and their layout
// in the record is fixed: a chart with more series needs a new record.
constexpr size_t ViewBlockSize(int series) { return kSeriesColors + (4 + kSeriesEntrySize) * size_t(series); }
static_assert(kGasView + ViewBlockSize(kGasSeriesCount) <= kTempView, "gas view block overlaps");
static_assert(kTempView + ViewBlockSize(kTempSeriesCount) == kPressView, "temperature view block");
static_assert(kPressView + ViewBlockSize(kPressSeriesCount) == kWindowWidth, "pressure view block");

uint32_t GetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(GetU32(p)); }
void PutI32(uint8_t* p, int32_t v) { PutU32(p, static_cast<uint32_t>(v)); }

double GetDouble(const uint8_t* p) {
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void PutDouble(uint8_t* p, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(bits >> (8 * i));
}

// Any non-zero byte reads as true; true is written as 1.
bool GetBool(const uint8_t* p) { return *p != 0; }
void PutBool(uint8_t* p, bool v) { *p = v ? 1 : 0; }

// A length byte above 30 was not written by this program; the field holds at
// most 30 characters, so such a string reads as its first 30.
std::string GetText(const uint8_t* p) {
    const size_t length = p[0] > TConfig::kMaxText ? TConfig::kMaxText : p[0];
    return std::string(reinterpret_cast<const char*>(p + 1), length);
}

// Only the length and the characters are written; the bytes after them keep
// whatever they held.
void PutText(uint8_t* p, std::string_view text) {
    const size_t length = text.size() > static_cast<size_t>(TConfig::kMaxText) ? TConfig::kMaxText : text.size();
    p[0] = static_cast<uint8_t>(length);
    std::memcpy(p + 1, text.data(), length);
}

constexpr int32_t kDefaultWindowWidth = 800;
constexpr int32_t kDefaultWindowHeight = 600;

void ViewDefaults(TViewParams view, int page) {
    view.SetLogarithmic(false);
    view.SetView3D(true);
    view.SetPanelStartColor(kChartPanelStart);
    view.SetPanelEndColor(kChartPanelEnd);
    for (const SeriesDesc& series : SeriesOf(page)) {
        view.SetSeriesColor(series.slot, series.color);
        view.SetSeries(series.slot, TSeriesParams{series.show, series.multiplier});
    }
}

}  // namespace

// --- TViewParams ---

bool TViewParams::Logarithmic() const { return GetBool(block_ + kLogarithmic); }
void TViewParams::SetLogarithmic(bool value) { PutBool(block_ + kLogarithmic, value); }
bool TViewParams::View3D() const { return GetBool(block_ + kView3D); }
void TViewParams::SetView3D(bool value) { PutBool(block_ + kView3D, value); }
Color TViewParams::PanelStartColor() const { return GetU32(block_ + kPanelStartColor); }
void TViewParams::SetPanelStartColor(Color value) { PutU32(block_ + kPanelStartColor, value); }
Color TViewParams::PanelEndColor() const { return GetU32(block_ + kPanelEndColor); }
void TViewParams::SetPanelEndColor(Color value) { PutU32(block_ + kPanelEndColor, value); }

Color TViewParams::SeriesColor(int i) const {
    if (i < 0 || i >= count_) throw std::out_of_range("series index");
    return GetU32(block_ + kSeriesColors + 4 * static_cast<size_t>(i));
}

void TViewParams::SetSeriesColor(int i, Color value) {
    if (i < 0 || i >= count_) throw std::out_of_range("series index");
    PutU32(block_ + kSeriesColors + 4 * static_cast<size_t>(i), value);
}

TSeriesParams TViewParams::Series(int i) const {
    if (i < 0 || i >= count_) throw std::out_of_range("series index");
    const uint8_t* entry = block_ + kSeriesColors + 4 * static_cast<size_t>(count_) + kSeriesEntrySize * i;
    return TSeriesParams{GetBool(entry), GetDouble(entry + 1)};
}

void TViewParams::SetSeries(int i, const TSeriesParams& value) {
    if (i < 0 || i >= count_) throw std::out_of_range("series index");
    uint8_t* entry = block_ + kSeriesColors + 4 * static_cast<size_t>(count_) + kSeriesEntrySize * i;
    PutBool(entry, value.Show);
    PutDouble(entry + 1, value.Multiplier);
}

// --- TConfig ---

TConfig::TConfig() = default;

std::string TConfig::PortName() const { return GetText(&bytes_[kPortName]); }
void TConfig::SetPortName(std::string_view text) { PutText(&bytes_[kPortName], text); }
std::string TConfig::PrintFontName() const { return GetText(&bytes_[kPrintFontName]); }
void TConfig::SetPrintFontName(std::string_view text) { PutText(&bytes_[kPrintFontName], text); }
int32_t TConfig::RefreshPeriod() const { return GetI32(&bytes_[kRefreshPeriod]); }
void TConfig::SetRefreshPeriod(int32_t value) { PutI32(&bytes_[kRefreshPeriod], value); }
int32_t TConfig::PrintFontSize() const { return GetI32(&bytes_[kPrintFontSize]); }
void TConfig::SetPrintFontSize(int32_t value) { PutI32(&bytes_[kPrintFontSize], value); }

TViewParams TConfig::GasView() { return TViewParams(&bytes_[kGasView], kGasSeriesCount); }
TViewParams TConfig::TempView() { return TViewParams(&bytes_[kTempView], kTempSeriesCount); }
TViewParams TConfig::PressView() { return TViewParams(&bytes_[kPressView], kPressSeriesCount); }

TViewParams TConfig::View(int page) {
    switch (page) {
        case PageGas: return GasView();
        case PageTemp: return TempView();
        case PagePrd: return PressView();
    }
    throw std::out_of_range("page index");
}

int32_t TConfig::WindowWidth() const { return GetI32(&bytes_[kWindowWidth]); }
void TConfig::SetWindowWidth(int32_t value) { PutI32(&bytes_[kWindowWidth], value); }
int32_t TConfig::WindowHeight() const { return GetI32(&bytes_[kWindowHeight]); }
void TConfig::SetWindowHeight(int32_t value) { PutI32(&bytes_[kWindowHeight], value); }
int32_t TConfig::WindowTop() const { return GetI32(&bytes_[kWindowTop]); }
void TConfig::SetWindowTop(int32_t value) { PutI32(&bytes_[kWindowTop], value); }
int32_t TConfig::WindowLeft() const { return GetI32(&bytes_[kWindowLeft]); }
void TConfig::SetWindowLeft(int32_t value) { PutI32(&bytes_[kWindowLeft], value); }
bool TConfig::WindowMaximized() const { return GetBool(&bytes_[kWindowMaximized]); }
void TConfig::SetWindowMaximized(bool value) { PutBool(&bytes_[kWindowMaximized], value); }

std::vector<std::string> TConfig::CheckFields(bool reset) {
    std::vector<std::string> impossible;
    if (WindowWidth() <= 0) {
        impossible.push_back("ширина окна");
        if (reset) SetWindowWidth(kDefaultWindowWidth);
    }
    if (WindowHeight() <= 0) {
        impossible.push_back("высота окна");
        if (reset) SetWindowHeight(kDefaultWindowHeight);
    }
    const char* charts[kPageCount] = {"газоанализатор", "температура", "давление"};
    for (int page = 0; page < kPageCount; ++page) {
        TViewParams view = View(page);
        for (int i = 0; i < view.SeriesCount(); ++i) {
            TSeriesParams series = view.Series(i);
            if (std::isfinite(series.Multiplier)) continue;
            const SeriesDesc& desc = SeriesInSlot(page, i);
            impossible.push_back(std::string("множитель ") + desc.title + " (" + charts[page] + ")");
            series.Multiplier = desc.multiplier;
            if (reset) view.SetSeries(i, series);
        }
    }
    return impossible;
}

std::vector<std::string> TConfig::ImpossibleFields() const {
    TConfig copy = *this;  // the view accessors work on a mutable record
    return copy.CheckFields(false);
}

void TConfig::ResetImpossibleFields() { CheckFields(true); }

bool TConfig::Plausible() const { return ImpossibleFields().empty(); }

bool TConfig::Unusable() const {
    const bool uniform = std::all_of(bytes_.begin(), bytes_.end(), [&](uint8_t b) { return b == bytes_[0]; });
    return uniform || ImpossibleFields().size() == kCheckedFields;
}

void TConfig::LoadDefaults() {
    SetPortName("COM1");
    SetPrintFontName("Courier New");
    SetRefreshPeriod(1);
    SetPrintFontSize(kDefaultPrintFontSize);
    for (int page = 0; page < kPageCount; ++page) ViewDefaults(View(page), page);
    SetWindowWidth(kDefaultWindowWidth);
    SetWindowHeight(kDefaultWindowHeight);
    SetWindowTop(0);
    SetWindowLeft(0);
    SetWindowMaximized(false);
}

}  // namespace vornik
