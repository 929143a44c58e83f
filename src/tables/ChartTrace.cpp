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

// Point to pixel column (by its index, or by its time on a time axis), raw
// value to pixel row.
struct Mapper {
    double x0, kx, left;
    double y0, ky, bottom;
    double multiplier;
    bool log;
    const TimePlacement* time;

    double PointX(size_t i) const { return time ? time->X(i) : static_cast<double>(i); }
    double Col(size_t i) const {
        return std::round(std::clamp(left + (PointX(i) - x0) * kx, -kFarColumn, kFarColumn));
    }
    // Whether a pause in reception breaks the line after point i.
    bool GapAfter(size_t i) const { return time && time->GapAfter(i); }
    // The last point from `from` on whose X is at most x, or `from` when none.
    size_t LastAtOrBefore(double x, size_t from) const {
        const size_t n = time->UpperBoundFrom(from, x);
        return n <= from ? from : n - 1;
    }
    double Row(double raw) const {
        const double v = raw * multiplier;
        if (log && !(v > 0)) return kNaN;  // no place on a logarithmic axis
        const double r = bottom - ((log ? std::log10(v) : v) - y0) * ky;
        return std::isnan(r) ? kNaN : std::clamp(r, -kFarRow, kFarRow);
    }
    // Whether every value between two raw extremes has a row. Rows are
    // monotonic in the value, so both extremes having one is enough, except
    // across zero with an infinite multiplier: 0 x infinity is no number.
    bool AllPlaced(double lo, double hi) const {
        if (std::isnan(Row(lo)) || std::isnan(Row(hi))) return false;
        return std::isfinite(multiplier) || lo > 0 || hi < 0;
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
template <typename Sink>
void PushRuns(const ChartSeries& s, const Mapper& m, size_t first, size_t last, double column, Sink& sink) {
    bool inRun = false;
    double top = 0, bottom = 0, lastRow = 0;
    auto endRun = [&] {
        if (!inRun) return;
        sink.Add(column, top);
        sink.Add(column, bottom);
        sink.Add(column, lastRow);
        inRun = false;
    };
    for (size_t k = first; k <= last; ++k) {
        const double r = m.Row(s.Y(k));
        if (std::isnan(r)) {
            endRun();
            sink.Add(column, kNaN);
            continue;
        }
        if (!inRun) {
            sink.Add(column, r);
            top = bottom = r;
            inRun = true;
        }
        top = std::min(top, r);
        bottom = std::max(bottom, r);
        lastRow = r;
    }
    endRun();
}

// The line of a series as vertices handed to `sink.Add(x, y)` in order.
template <typename Sink>
void Trace(const ChartSeries& s, const PlotBounds& plot, const AxisRange& x, const AxisRange& y, bool logarithmic,
           bool everyPoint, const TimePlacement* time, Sink& sink) {
    const size_t n = time ? std::min(s.Count(), time->Count()) : s.Count();
    if (n == 0 || plot.Width() < 1 || plot.Height() < 1) return;
    if (!std::isfinite(x.min) || !std::isfinite(x.max) || !(x.max > x.min)) return;
    if (!std::isfinite(y.min) || !std::isfinite(y.max) || !(y.max > y.min)) return;
    Mapper m;
    m.x0 = x.min;
    m.left = plot.left;
    m.kx = (plot.Width() - 1) / (x.max - x.min);
    m.y0 = y.min;
    m.bottom = plot.bottom;
    m.ky = (plot.Height() - 1) / (y.max - y.min);
    m.multiplier = s.Multiplier();
    m.log = logarithmic;
    m.time = time;
    if (!std::isfinite(m.kx) || !std::isfinite(m.ky)) return;  // a span below what pixels resolve

    // The points in view and one beyond each side, for the lines that enter it.
    const double lastIndex = static_cast<double>(n - 1);
    size_t first, last;
    if (time) {
        const size_t before = time->UpperBound(std::nextafter(x.min, -kFarRow));  // first X >= x.min
        first = before == 0 ? 0 : before - 1;
        last = std::min(time->UpperBound(x.max), n - 1);
    } else {
        first = static_cast<size_t>(std::clamp(std::ceil(x.min) - 1, 0.0, lastIndex));
        last = static_cast<size_t>(std::clamp(std::floor(x.max) + 1, 0.0, lastIndex));
    }
    if (first > last) return;
    const size_t count = last - first + 1;

    if (everyPoint || count <= static_cast<size_t>(2 * plot.Width())) {
        for (size_t i = first; i <= last; ++i) {
            sink.Add(m.Col(i), m.Row(s.Y(i)));
            if (i < last && m.GapAfter(i)) sink.Add(m.Col(i), kNaN);
        }
        return;
    }
    // M4: per pixel column its first, lowest, highest and last point. Within
    // one column every point has the same x, so this covers exactly the
    // pixels that a line through every point covers. A column with points
    // that have no place on the axis is walked (PushRuns).
    size_t i = first;
    double c = m.Col(i);
    while (i <= last) {
        // Last index of column c: estimated from the inverse map, then fixed
        // with the forward map so both drawings agree on every boundary.
        const double edge = m.x0 + (c + 0.5 - m.left) / m.kx;
        size_t b = time                ? m.LastAtOrBefore(edge, i)
                   : edge >= lastIndex ? last
                                       : static_cast<size_t>(std::clamp(std::floor(edge), 0.0, lastIndex));
        b = std::clamp(b, i, last);
        // The column of point b + 1, which the next round starts with.
        double next = b < last ? m.Col(b + 1) : 0;
        while (b < last && next == c) {
            ++b;
            if (b < last) next = m.Col(b + 1);
        }
        while (b > i) {
            const double column = m.Col(b);
            if (column == c) break;
            next = column;
            --b;
        }
        double lo, hi;
        s.RawRange(i, b, lo, hi);
        if (m.AllPlaced(lo, hi)) {
            sink.Add(c, m.Row(s.Y(i)));
            sink.Add(c, m.Row(lo));
            sink.Add(c, m.Row(hi));
            sink.Add(c, m.Row(s.Y(b)));
        } else if (m.NonePlaced(lo, hi)) {
            sink.Add(c, kNaN);
        } else {
            PushRuns(s, m, i, b, c, sink);
        }
        // A pause inside one column is drawn over; one between columns breaks the line.
        if (b < last && m.GapAfter(b)) sink.Add(c, kNaN);
        i = b + 1;
        c = next;
    }
}

// Collects the vertices, leaving out a repeat of the one before.
struct VertexList {
    std::vector<TraceVertex> out;
    void Add(double x, double y) {
        if (!out.empty() && out.back().x == x && (out.back().y == y || (std::isnan(y) && std::isnan(out.back().y))))
            return;
        out.push_back({x, y});
    }
};

}  // namespace

std::vector<TraceVertex> SeriesTrace(const ChartSeries& s, const PlotBounds& plot, const AxisRange& x,
                                     const AxisRange& y, bool logarithmic, bool everyPoint, const TimePlacement* time) {
    VertexList list;
    Trace(s, plot, x, y, logarithmic, everyPoint, time, list);
    return std::move(list.out);
}

void TraceSpans(const ChartSeries& s, const PlotBounds& plot, const AxisRange& x, const AxisRange& y,
                bool logarithmic, bool everyPoint, ColumnSpans& spans, const TimePlacement* time) {
    spans.Begin(plot);
    Trace(s, plot, x, y, logarithmic, everyPoint, time, spans);
    spans.End();
}

ColumnSpans::ColumnSpans(const std::vector<TraceVertex>& v, const PlotBounds& plot) {
    Begin(plot);
    for (const TraceVertex& p : v) Add(p.x, p.y);
    End();
}

void ColumnSpans::Begin(const PlotBounds& plot) {
    left_ = plot.left;
    right_ = plot.right;
    topRow_ = plot.top;
    bottomRow_ = plot.bottom;
    const size_t width = static_cast<size_t>(std::max(0, plot.Width()));
    top_.assign(width, std::numeric_limits<int>::max());
    bottom_.assign(width, std::numeric_limits<int>::min());
    hasLast_ = open_ = false;
}

void ColumnSpans::Add(double x, double y) {
    if (std::isnan(y)) {
        Close();
        hasLast_ = false;
        return;
    }
    if (hasLast_ && x == lastX_) {
        Extend(y, y);
    } else {
        if (hasLast_) Segment(lastX_, lastY_, x, y);
        Close();
        Open(x, y, y);
    }
    hasLast_ = true;
    lastX_ = x;
    lastY_ = y;
}

// The part of a segment inside each column strip [x - 0.5, x + 0.5]. The
// part in the first column starts exactly at the open column's last vertex
// and joins it; the others are covered on their own, since the end worked
// out from the slope may miss the next vertex by a rounding step, which is
// many rows when the line comes from far outside the plot.
void ColumnSpans::Segment(double ax, double ay, double bx, double by) {
    const double slope = (by - ay) / (bx - ax);
    const double x0 = std::max(ax, double(left_)), x1 = std::min(bx, double(right_));
    for (double x = x0; x <= x1; x += 1) {
        const double t0 = std::max(x - 0.5, ax), t1 = std::min(x + 0.5, bx);
        const double y0 = ay + (t0 - ax) * slope, y1 = ay + (t1 - ax) * slope;
        if (x == ax)
            Extend(y0, y1);
        else
            Cover(x, y0, y1);
    }
}

void ColumnSpans::Open(double column, double y0, double y1) {
    open_ = true;
    openColumn_ = column;
    openLo_ = std::min(y0, y1);
    openHi_ = std::max(y0, y1);
}

void ColumnSpans::Extend(double y0, double y1) {
    openLo_ = std::min(openLo_, std::min(y0, y1));
    openHi_ = std::max(openHi_, std::max(y0, y1));
}

// The rows merged in the open column are one connected stretch of the
// line, so covering them at once covers what each part would.
void ColumnSpans::Close() {
    if (!open_) return;
    open_ = false;
    Cover(openColumn_, openLo_, openHi_);
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

bool ColumnSpans::SameCoverage(const ColumnSpans& other) const {
    if (Count() != other.Count()) return false;
    for (int i = 0; i < Count(); ++i) {
        if (Covered(i) != other.Covered(i)) return false;
        if (Covered(i) && (Top(i) != other.Top(i) || Bottom(i) != other.Bottom(i))) return false;
    }
    return true;
}

}  // namespace vornik
