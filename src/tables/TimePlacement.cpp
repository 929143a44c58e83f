#include "tables/TimePlacement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tables/MeasurementTable.h"

namespace vornik {
namespace {

constexpr int kDateColumn = 1;
constexpr int kTimeColumn = 2;
constexpr double kDay = 86400;

// Two digits at text[at], or -1.
int TwoDigits(std::string_view text, size_t at) {
    const char a = text[at], b = text[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return (a - '0') * 10 + (b - '0');
}

// "dd?mm?yy" with `sep` between the fields; false on anything else.
bool ThreeFields(std::string_view text, char sep, int& a, int& b, int& c) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (text.size() != 8 || text[2] != sep || text[5] != sep) return false;
    a = TwoDigits(text, 0);
    b = TwoDigits(text, 3);
    c = TwoDigits(text, 6);
    return a >= 0 && b >= 0 && c >= 0;
}

// Days from 01.01.2000 to the given date of the Gregorian calendar.
long DaysSince2000(int year, int month, int day) {
    year -= month <= 2;
    const long era = year / 400;
    const long yoe = year - era * 400;
    const long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 730425;  // 730425: days from 01.03.0000 to 01.01.2000
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

bool TimePlacement::ParseRowTime(std::string_view date, std::string_view time, double& seconds) {
    int day, month, yy, h, m, s;
    if (!ThreeFields(date, '.', day, month, yy) || !ThreeFields(time, ':', h, m, s)) return false;
    const int year = 2000 + yy;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
    if (h > 23 || m > 59 || s > 59) return false;
    seconds = double(DaysSince2000(year, month, day)) * kDay + h * 3600 + m * 60 + s;
    return true;
}

std::string TimePlacement::Label(double seconds, double span) {
    if (!std::isfinite(seconds)) return {};
    const long long total = std::llround(seconds);
    long long days = total / 86400, rest = total % 86400;
    if (rest < 0) rest += 86400, --days;
    char text[32];
    const int h = int(rest / 3600), m = int(rest / 60 % 60), s = int(rest % 60);
    if (span < kDay) {
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", h, m, s);
        return text;
    }
    // Civil date from days since 01.03.0000 (the inverse of DaysSince2000).
    const long long z = days + 730425;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int day = int(doy - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    const long long year = yoe + era * 400 + (month <= 2);
    std::snprintf(text, sizeof text, "%02d.%02d.%02d %02d:%02d", day, month, int(((year % 100) + 100) % 100), h, m);
    return text;
}

AxisTicks TimePlacement::Ticks(double s0, double s1, double pixels, double spacing) {
    static const double steps[] = {1,    2,    5,     10,    15,    30,    60,        120,       300,
                                   600,  900,  1800,  3600,  7200,  10800, 21600,     43200,     kDay,
                                   2 * kDay, 7 * kDay, 14 * kDay, 30 * kDay, 91 * kDay, 365 * kDay};
    AxisTicks ticks;
    const double span = s1 - s0;
    if (!std::isfinite(s0) || !std::isfinite(s1) || !(span > 0) || !(pixels > 0)) return ticks;
    const double wanted = span * std::max(spacing, 1.0) / pixels;
    double step = steps[sizeof steps / sizeof steps[0] - 1];
    for (double candidate : steps)
        if (candidate >= wanted) {
            step = candidate;
            break;
        }
    step = std::max(step, span / double(kMaxMajorTicks));
    for (double t = std::ceil(s0 / step) * step; t <= s1 && ticks.major.size() < kMaxMajorTicks; t += step) {
        ticks.major.push_back(t);
        ticks.labels.push_back(Label(t, span));
    }
    return ticks;
}

void TimePlacement::Clear() {
    xs_.clear();
    spacings_.clear();
    readable_ = fallbacks_ = 0;
    gapThreshold_ = 5;
}

void TimePlacement::Append(bool readable, double seconds) {
    if (readable && readable_ == 0) {
        // The rows before the first readable time take that time.
        std::fill(xs_.begin(), xs_.end(), seconds);
    }
    if (readable) ++readable_;
    if (xs_.empty() || readable_ == 0) {
        xs_.push_back(readable ? seconds : 0);
        if (!readable) ++fallbacks_;
        return;
    }
    const double last = xs_.back();
    if (!readable || seconds < last) {
        ++fallbacks_;
        seconds = last;
    }
    ++spacings_[static_cast<int64_t>(seconds - last)];
    xs_.push_back(seconds);
    if (!batching_) UpdateThreshold();
}

void TimePlacement::UpdateThreshold() {
    size_t total = 0;
    for (const auto& [spacing, count] : spacings_) total += count;
    size_t seen = 0;
    int64_t median = 0;
    for (const auto& [spacing, count] : spacings_) {
        seen += count;
        if (2 * seen >= total) {
            median = spacing;
            break;
        }
    }
    gapThreshold_ = 5.0 * std::max<int64_t>(median, 1);
}

double TimePlacement::GapThreshold() const { return gapThreshold_; }

void TimePlacement::Sync(const MeasurementTable& table, size_t points) {
    if (&table != table_ || table.RewriteCount() != rewrites_ || points < xs_.size()) {
        Clear();
        table_ = &table;
        rewrites_ = table.RewriteCount();
    }
    const size_t rows = table.RowCount() > 0 ? size_t(table.RowCount() - 1) : 0;
    const size_t target = std::min(points, rows);
    if (table.ColumnCount() <= kTimeColumn) {
        while (xs_.size() < target) Append(false, 0);
        return;
    }
    if (xs_.size() >= target) return;
    xs_.reserve(target);
    // The median is found once for all the rows added here.
    batching_ = true;
    while (xs_.size() < target) {
        const int row = static_cast<int>(xs_.size() + 1);
        double seconds = 0;
        const bool readable = ParseRowTime(table.Cell(kDateColumn, row), table.Cell(kTimeColumn, row), seconds);
        Append(readable, seconds);
    }
    batching_ = false;
    UpdateThreshold();
}

size_t TimePlacement::UpperBound(double x) const {
    return static_cast<size_t>(std::upper_bound(xs_.begin(), xs_.end(), x) - xs_.begin());
}

size_t TimePlacement::UpperBoundFrom(size_t from, double x) const {
    const size_t n = xs_.size();
    if (from >= n || xs_[from] > x) return std::min(from, n);
    size_t lo = from, step = 1;  // xs_[lo] <= x
    while (lo + step < n && xs_[lo + step] <= x) {
        lo += step;
        step *= 2;
    }
    const auto end = xs_.begin() + static_cast<std::ptrdiff_t>(std::min(lo + step, n));
    return static_cast<size_t>(std::upper_bound(xs_.begin() + static_cast<std::ptrdiff_t>(lo) + 1, end, x) -
                               xs_.begin());
}

size_t TimePlacement::Nearest(double x) const {
    if (xs_.empty()) return 0;
    const size_t after = std::min(UpperBound(x), xs_.size() - 1);
    if (after == 0) return 0;
    if (xs_[after] - x < x - xs_[after - 1]) return after;
    // Of points at the same time, the first: the others took its time.
    return static_cast<size_t>(std::lower_bound(xs_.begin(), xs_.end(), xs_[after - 1]) - xs_.begin());
}

}  // namespace vornik
