#include "tables/ChartTrace.h"

#include <algorithm>
#include <limits>

namespace vornik {
namespace {

// Far beyond any plot, yet small enough that the segments' arithmetic
// stays finite and whole columns stay exact.
constexpr double kFarColumn = 1e15;
constexpr double kFarRow = 1e200;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Point index to pixel column, raw value to pixel row.
struct Mapper {
    double x0, kx, left;
    double y0, ky, bottom;
    double multiplier;
    bool log;

    double Col(size_t i) const {
        return std::round(std::clamp(left + (static_cast<double>(i) - x0) * kx, -kFarColumn, kFarColumn));
    }
    double Row(double raw) const {
        const double v = raw * multiplier;
        if (log && !(v > 0)) return kNaN;  // no place on a logarithmic axis
        const double r = bottom - ((log ? std::log10(v) : v) - y0) * ky;
        return std::isnan(r) ? kNaN : std::clamp(r, -kFarRow, kFarRow);
    }
    // Whether no value between two raw extremes has a row on a logarithmic axis.
    bool NonePlaced(double lo, double hi) const {
        if (!log || std::isnan(lo) || std::isnan(hi)) return false;
        return !(std::max(lo * multiplier, hi * multiplier) > 0);
    }
};

// A column with points that have no place on the axis, walked point by
// point: every run of placed points as its first, lowest, highest and last
// point, a gap between runs. Runs cut apart by a gap stay apart, as they
// are in a line through every point.
template <typename Push>
void PushRuns(const ChartSeries& s, const Mapper& m, size_t first, size_t last, double column, Push& push) {
    bool inRun = false;
    double top = 0, bottom = 0, lastRow = 0;
    auto endRun = [&] {
        if (!inRun) return;
        push(column, top);
        push(column, bottom);
        push(column, lastRow);
        inRun = false;
    };
    for (size_t k = first; k <= last; ++k) {
        const double r = m.Row(s.Y(k));
        if (std::isnan(r)) {
            endRun();
            push(column, kNaN);
            continue;
        }
        if (!inRun) {
            push(column, r);
            top = bottom = r;
            inRun = true;
        }
        top = std::min(top, r);
        bottom = std::max(bottom, r);
        lastRow = r;
    }
    endRun();
}

}  // namespace

std::vector<TraceVertex> SeriesTrace(const ChartSeries& s, const PlotBounds& plot, const AxisRange& x,
                                     const AxisRange& y, bool logarithmic, bool everyPoint) {
    std::vector<TraceVertex> out;
    const size_t n = s.Count();
    if (n == 0 || plot.Width() < 1 || plot.Height() < 1) return out;
    if (!std::isfinite(x.min) || !std::isfinite(x.max) || !(x.max > x.min)) return out;
    if (!std::isfinite(y.min) || !std::isfinite(y.max) || !(y.max > y.min)) return out;
    Mapper m;
    m.x0 = x.min;
    m.left = plot.left;
    m.kx = (plot.Width() - 1) / (x.max - x.min);
    m.y0 = y.min;
    m.bottom = plot.bottom;
    m.ky = (plot.Height() - 1) / (y.max - y.min);
    m.multiplier = s.Multiplier();
    m.log = logarithmic;
    if (!std::isfinite(m.kx) || !std::isfinite(m.ky)) return out;  // a span below what pixels resolve

    // The points in view and one beyond each side, for the lines that enter it.
    const double lastIndex = static_cast<double>(n - 1);
    const size_t first = static_cast<size_t>(std::clamp(std::ceil(x.min) - 1, 0.0, lastIndex));
    const size_t last = static_cast<size_t>(std::clamp(std::floor(x.max) + 1, 0.0, lastIndex));
    if (first > last) return out;
    const size_t count = last - first + 1;
    auto push = [&out](double col, double row) {
        if (!out.empty() && out.back().x == col &&
            (out.back().y == row || (std::isnan(row) && std::isnan(out.back().y))))
            return;
        out.push_back({col, row});
    };

    if (everyPoint || count <= static_cast<size_t>(2 * plot.Width())) {
        out.reserve(count);
        for (size_t i = first; i <= last; ++i) push(m.Col(i), m.Row(s.Y(i)));
        return out;
    }
    // M4: per pixel column its first, lowest, highest and last point. Within
    // one column every point has the same x, so this covers exactly the
    // pixels that a line through every point covers. A column with points
    // that have no place on the axis is walked (PushRuns).
    out.reserve(4 * static_cast<size_t>(plot.Width()) + 8);
    size_t i = first;
    while (i <= last) {
        const double c = m.Col(i);
        // Last index of column c: estimated from the inverse map, then fixed
        // with the forward map so both drawings agree on every boundary.
        const double edge = m.x0 + (c + 0.5 - m.left) / m.kx;
        size_t b = edge >= lastIndex ? last : static_cast<size_t>(std::clamp(std::floor(edge), 0.0, lastIndex));
        b = std::clamp(b, i, last);
        while (b < last && m.Col(b + 1) == c) ++b;
        while (b > i && m.Col(b) != c) --b;
        double lo, hi;
        s.RawRange(i, b, lo, hi);
        // Rows are monotonic in the value: when both extremes have a row,
        // every point between them has one.
        const double rowLo = m.Row(lo), rowHi = m.Row(hi);
        if (!std::isnan(rowLo) && !std::isnan(rowHi)) {
            push(c, m.Row(s.Y(i)));
            push(c, rowLo);
            push(c, rowHi);
            push(c, m.Row(s.Y(b)));
        } else if (m.NonePlaced(lo, hi)) {
            push(c, kNaN);
        } else {
            PushRuns(s, m, i, b, c, push);
        }
        i = b + 1;
    }
    return out;
}

ColumnSpans::ColumnSpans(const std::vector<TraceVertex>& v, const PlotBounds& plot)
    : left_(plot.left), right_(plot.right), topRow_(plot.top), bottomRow_(plot.bottom),
      top_(std::max(0, plot.Width()), std::numeric_limits<int>::max()),
      bottom_(top_.size(), std::numeric_limits<int>::min()) {
    for (size_t i = 0; i < v.size(); ++i) {
        const TraceVertex b = v[i];
        if (b.Gap()) continue;
        Cover(b.x, b.y, b.y);
        if (i == 0 || v[i - 1].Gap()) continue;
        const TraceVertex a = v[i - 1];
        if (a.x == b.x) {
            Cover(a.x, a.y, b.y);
            continue;
        }
        // The part of the segment inside each column strip [x - 0.5, x + 0.5].
        const double slope = (b.y - a.y) / (b.x - a.x);
        const double x0 = std::max(a.x, double(left_)), x1 = std::min(b.x, double(right_));
        for (double x = x0; x <= x1; x += 1) {
            const double t0 = std::max(x - 0.5, a.x), t1 = std::min(x + 0.5, b.x);
            Cover(x, a.y + (t0 - a.x) * slope, a.y + (t1 - a.x) * slope);
        }
    }
}

void ColumnSpans::Cover(double column, double y0, double y1) {
    if (!(column >= left_ && column <= right_)) return;
    // Rows are pixel centres: a span covers the rows its ends round to,
    // and only those inside the plot.
    const double a = std::floor(std::min(y0, y1) + 0.5), b = std::floor(std::max(y0, y1) + 0.5);
    if (!(b >= topRow_ && a <= bottomRow_)) return;
    const size_t i = static_cast<size_t>(column - left_);
    top_[i] = std::min(top_[i], static_cast<int>(std::max(a, double(topRow_))));
    bottom_[i] = std::max(bottom_[i], static_cast<int>(std::min(b, double(bottomRow_))));
}

}  // namespace vornik
