#include "tables/ChartModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Errors.h"

namespace vornik {
namespace {

bool Horizontal(AxisId axis) { return axis == AxisTop || axis == AxisBottom; }

// A range without span cannot be drawn; widen it around its value.
AxisRange Widened(AxisRange r, bool log) {
    if (r.max < r.min) r.max = r.min;
    if (r.max > r.min) return r;
    if (log) return r.min > 0 ? AxisRange{r.min / 10, r.min * 10} : AxisRange{1, 10};
    return {r.min - 1, r.max + 1};
}

}  // namespace

int ChartModel::AddSeries(ChartSeries series) {
    series_.push_back(std::move(series));
    return SeriesCount() - 1;
}

void ChartModel::ClearPoints() {
    for (auto& s : series_) s.Clear();
    Notify(Change::Data);
}

void ChartModel::AppendPoints(const double* values, int count) {
    const int n = std::min(count, SeriesCount());
    for (int i = 0; i < n; ++i) series_[i].Add(values[i]);
    Notify(Change::Data);
}

void ChartModel::SetLogarithmic(bool on) {
    if (on == logarithmic_) return;
    logarithmic_ = on;
    Notify(Change::Look);
}

void ChartModel::SetView3D(bool on) {
    if (on == view3D_) return;
    view3D_ = on;
    Notify(Change::Look);
}

void ChartModel::SetPanelColors(Color start, Color end) {
    if (start == startColor_ && end == endColor_) return;
    startColor_ = start;
    endColor_ = end;
    Notify(Change::Look);
}

void ChartModel::SetSeriesLook(int i, bool shown, double multiplier, Color color) {
    ChartSeries& s = series_.at(i);
    if (s.Shown() == shown && s.Multiplier() == multiplier && s.LineColor() == color) return;
    s.SetShown(shown);
    s.SetMultiplier(multiplier);
    s.SetLineColor(color);
    Notify(Change::Look);
}

void ChartModel::SetTimeAxis(const MeasurementTable* table) {
    if (table == timeTable_) return;
    timeTable_ = table;
    time_.Clear();
    Notify(Change::Look);
}

size_t ChartModel::PointCount() const {
    size_t count = 0;
    for (const auto& s : series_) count = std::max(count, s.Count());
    return count;
}

const TimePlacement* ChartModel::Time() const {
    if (!timeTable_) return nullptr;
    time_.Sync(*timeTable_, PointCount());
    return time_.Valid() && time_.Count() > 0 ? &time_ : nullptr;
}

double ChartModel::PointX(double index) const {
    const TimePlacement* time = Time();
    if (!time) return index;
    const double last = static_cast<double>(time->Count() - 1);
    return time->X(static_cast<size_t>(std::clamp(std::round(index), 0.0, last)));
}

long long ChartModel::PointNear(double x) const {
    const double count = static_cast<double>(PointCount());
    if (const TimePlacement* time = Time()) return std::isfinite(x) ? static_cast<long long>(time->Nearest(x)) : -1;
    if (!(x > -0.5) || !(x < count - 0.5)) return -1;
    return std::llround(x);
}

bool ChartModel::PointsBetween(double x0, double x1, size_t& first, size_t& last) const {
    const size_t count = PointCount();
    if (count == 0 || !(x0 <= x1)) return false;
    if (const TimePlacement* time = Time()) {
        first = time->UpperBound(std::nextafter(x0, -std::numeric_limits<double>::infinity()));
        const size_t after = time->UpperBound(x1);
        if (after == 0 || first >= after) return false;
        last = after - 1;
        return true;
    }
    const double lo = std::max(std::ceil(x0), 0.0), hi = std::min(std::floor(x1), double(count - 1));
    if (!(lo <= hi)) return false;
    first = static_cast<size_t>(lo);
    last = static_cast<size_t>(hi);
    return true;
}

bool ChartModel::DataRange(AxisId axis, double& lo, double& hi) const {
    const bool attachedToAll = axis == AxisTop || axis == AxisRight;
    bool have = false;
    lo = std::numeric_limits<double>::infinity();
    hi = -lo;
    for (const auto& s : series_) {
        if (!s.Shown() || s.Count() == 0 || (attachedToAll && !s.AllAxes())) continue;
        double a, b;
        if (Horizontal(axis)) {
            a = PointX(0);
            b = PointX(static_cast<double>(s.Count() - 1));
        } else if (IsLog(axis)) {
            // Only positive drawn values have a place on a logarithmic axis.
            const double m = s.Multiplier();
            if (m <= 0 || !s.PositiveExtremes(a, b)) continue;
            a *= m;
            b *= m;
        } else {
            s.RawExtremes(a, b);
            const double m = s.Multiplier();
            a *= m;
            b *= m;
            if (a > b) std::swap(a, b);
        }
        lo = std::min(lo, a);
        hi = std::max(hi, b);
        have = true;
    }
    return have;
}

AxisRange ChartModel::ShownRange(AxisId axis) const {
    const AxisState& a = axes_.at(axis);
    double lo = 0, hi = 0;
    const bool data = (a.autoMin || a.autoMax) && DataRange(axis, lo, hi);
    AxisRange r;
    r.min = a.autoMin ? (data ? lo : 0) : a.min;
    r.max = a.autoMax ? (data ? hi : 0) : a.max;
    return Widened(r, IsLog(axis));
}

AxisRanges ChartModel::ShownRanges() const {
    AxisRanges r;
    for (int a = 0; a < kAxisCount; ++a) r[a] = ShownRange(AxisId(a));
    return r;
}

void ChartModel::SetMinimum(AxisId axis, double value) {
    if (value > Maximum(axis)) throw VornikError("Axis minimum > maximum");
    axes_.at(axis).min = value;
    Notify(Change::Axes);
}

void ChartModel::SetMaximum(AxisId axis, double value) {
    if (value < Minimum(axis)) throw VornikError("Axis maximum < minimum");
    axes_.at(axis).max = value;
    Notify(Change::Axes);
}

void ChartModel::SetMinMax(AxisId axis, double min, double max) {
    if (min > max) std::swap(min, max);
    axes_.at(axis) = AxisState{false, false, min, max};
    Notify(Change::Axes);
}

void ChartModel::SetAutomatic(AxisId axis, bool on) {
    AxisState& a = axes_.at(axis);
    if (!on) {
        const AxisRange r = ShownRange(axis);
        a.min = r.min;
        a.max = r.max;
    }
    a.autoMin = a.autoMax = on;
    Notify(Change::Axes);
}

void ChartModel::SetWindow(AxisId axis, double min, double max) {
    if (min < Maximum(axis)) {
        SetMinimum(axis, min);
        SetMaximum(axis, max);
    } else {
        SetMaximum(axis, max);
        SetMinimum(axis, min);
    }
}

void ChartModel::FollowWindow(AxisId axis, double min, double max) {
    AxisState& a = axes_.at(axis);
    a.min = min;
    a.max = max;
    // On an automatic axis nothing visible changed.
    if (!a.Automatic()) Notify(Change::Axes);
}

AxisRange ChartModel::ScaleRange(AxisId axis) const {
    AxisRange r = ShownRange(axis);
    if (!IsLog(axis)) return r;
    // A logarithmic axis shows positive values only; a range reaching zero or
    // below (after zooming out or shifting) keeps three decades under its top.
    if (r.max <= 0) return {0, 1};
    if (r.min <= 0) r.min = r.max / 1000;
    return {std::log10(r.min), std::log10(r.max)};
}

double ChartModel::ToScale(AxisId axis, double value) const {
    if (!IsLog(axis)) return value;
    return value > 0 ? std::log10(value) : -std::numeric_limits<double>::infinity();
}

double ChartModel::FromScale(AxisId axis, double scaled) const {
    return IsLog(axis) ? std::pow(10.0, scaled) : scaled;
}

void ChartModel::Zoom(const AxisRanges& ranges) {
    if (!zoomed_) {
        saved_ = axes_;
        zoomed_ = true;
    }
    for (int a = 0; a < kAxisCount; ++a) {
        double lo = ranges[a].min, hi = ranges[a].max;
        if (lo > hi) std::swap(lo, hi);
        axes_[a] = AxisState{false, false, lo, hi};
    }
    Notify(Change::Zoom);
    if (zoomListener_) zoomListener_();
}

void ChartModel::ZoomPercent(double percent) {
    AxisRanges r = ShownRanges();
    for (auto& range : r) {
        const double d = (range.max - range.min) * (percent - 100) / 100;
        range = {range.min + d, range.max - d};
    }
    Zoom(r);
}

void ChartModel::ZoomToFractions(double x0, double x1, double y0, double y1) {
    AxisRanges r;
    for (int i = 0; i < kAxisCount; ++i) {
        const AxisId axis = AxisId(i);
        const AxisRange s = ScaleRange(axis);
        const double span = s.max - s.min;
        const double f0 = Horizontal(axis) ? x0 : y0;
        const double f1 = Horizontal(axis) ? x1 : y1;
        r[i] = {FromScale(axis, s.min + f0 * span), FromScale(axis, s.min + f1 * span)};
    }
    Zoom(r);
}

void ChartModel::UndoZoom() {
    if (!zoomed_) return;
    axes_ = saved_;
    zoomed_ = false;
    Notify(Change::Axes);
}

void ChartModel::ShiftAxis(AxisId axis, double percent) {
    const AxisRange r = ShownRange(axis);
    const double d = percent == 0 ? 0 : (r.max - r.min) / (100 / percent);
    SetMinMax(axis, r.min + d, r.max + d);
}

void ChartModel::Pan(double dx, double dy) {
    for (int i = 0; i < kAxisCount; ++i) {
        const AxisId axis = AxisId(i);
        const AxisRange s = ScaleRange(axis);
        const double d = (s.max - s.min) * (Horizontal(axis) ? dx : dy);
        axes_[i] = AxisState{false, false, FromScale(axis, s.min + d), FromScale(axis, s.max + d)};
    }
    Notify(Change::Axes);
    if (scrollListener_) scrollListener_();
}

void ChartModel::Notify(Change change) {
    if (changeListener_) changeListener_(change);
}

}  // namespace vornik
