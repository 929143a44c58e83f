// The chart's axis, tick and line code fed arbitrary ranges and values.
#include <cmath>
#include <cstring>
#include <string>

#include "FuzzHarnesses.h"
#include "tables/ChartModel.h"
#include "tables/ChartTicks.h"
#include "tables/ChartTrace.h"

namespace vornik::fuzz {
namespace {

// Reads the input front to back; past its end, zeros.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool More() const { return pos_ < size_; }
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    double Double() {
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) bits |= uint64_t(Byte()) << (8 * i);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

std::string CheckTicks(const AxisTicks& t, double s0, double s1, const char* axis) {
    const std::string where = std::string(axis) + " axis: ";
    if (t.major.size() != t.labels.size()) return where + "labels and ticks differ in number";
    if (t.major.size() > kMaxMajorTicks + 1) return where + "too many ticks";
    if (t.minor.size() > 6 * (kMaxMajorTicks + 2) + 9 * (kMaxMajorTicks + 2)) return where + "too many minor ticks";
    for (size_t i = 1; i < t.major.size(); ++i)
        if (!(t.major[i] > t.major[i - 1])) return where + "ticks do not increase";
    if (!t.major.empty()) {
        const double slack = (s1 - s0) * 1e-6 + 1e-9 * std::max(std::abs(s0), std::abs(s1));
        if (!(t.major.front() >= s0 - slack) || !(t.major.back() <= s1 + slack)) return where + "tick outside the range";
    }
    return "";
}

}  // namespace

// Byte 0: bit 0 logarithmic left axis, bit 1 fixed left range, bit 2 fixed
// bottom range, bit 3 zoom in, bit 4 zoom out, bit 5 pan. Then the plot's
// width and height (one byte each), the multiplier, the fixed ranges (four
// doubles) and the values (doubles; those that are not finite become 0, as
// a table cell never charts one), each repeated by the byte after it.
std::string ChartHarness(const uint8_t* data, size_t size) {
    Reader in(data, size);
    const uint8_t flags = in.Byte();
    const PlotBounds plot{3, 5, 3 + in.Byte(), 5 + in.Byte()};
    ChartModel chart;
    chart.AddSeries(ChartSeries("S", 0));
    ChartSeries& s = chart.Series(0);
    s.SetMultiplier(in.Double());
    chart.SetLogarithmic(flags & 1);
    const double l0 = in.Double(), l1 = in.Double(), b0 = in.Double(), b1 = in.Double();
    if ((flags & 2) && !std::isnan(l0) && !std::isnan(l1)) chart.SetMinMax(AxisLeft, l0, l1);
    if ((flags & 4) && !std::isnan(b0) && !std::isnan(b1)) chart.SetMinMax(AxisBottom, b0, b1);
    while (in.More() && s.Count() < 20000) {
        double v = in.Double();
        if (!std::isfinite(v)) v = 0;
        for (int k = in.Byte() % 64; k >= 0; --k) s.Add(v);
    }
    if (flags & 8) chart.ZoomPercent(120);
    if (flags & 16) chart.ZoomPercent(80);
    if (flags & 32) chart.Pan(0.37, -0.21);

    const AxisRange x = chart.ScaleRange(AxisBottom), y = chart.ScaleRange(AxisLeft);
    const double spacing = 30;
    std::string broken = CheckTicks(LinearTicks(x.min, x.max, plot.Width(), spacing, 1), x.min, x.max, "bottom");
    if (!broken.empty()) return broken;
    const AxisTicks left = chart.IsLog(AxisLeft) ? LogTicks(y.min, y.max, plot.Height(), spacing)
                                                 : LinearTicks(y.min, y.max, plot.Height(), spacing);
    broken = CheckTicks(left, y.min, y.max, "left");
    if (!broken.empty()) return broken;

    const bool log = chart.IsLog(AxisLeft);
    const ColumnSpans decimated(SeriesTrace(s, plot, x, y, log, false), plot);
    const ColumnSpans every(SeriesTrace(s, plot, x, y, log, true), plot);
    if (!decimated.SameCoverage(every)) return "the decimated line covers other pixels than every point";
    for (int i = 0; i < every.Count(); ++i)
        if (every.Covered(i) && (every.Top(i) < plot.top || every.Bottom(i) > plot.bottom))
            return "a line pixel outside the plot";
    return "";
}

}  // namespace vornik::fuzz
