#include "tables/ChartTicks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace vornik {
namespace {

constexpr int kMinorTicks = 5;  // between two labels

// The smallest 1, 2 or 5 times a power of ten not below `raw` (> 0, finite).
double NiceStep(double raw) {
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0}) {
        if (m * decade >= raw * (1 - 1e-9)) return m * decade;
    }
    return 10 * decade;
}

int DecimalsFor(double step) {
    if (step >= 1) return 0;
    return static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
}

// The distance from `v` to the next larger double.
double Ulp(double v) {
    v = std::abs(v);
    return std::nextafter(v, std::numeric_limits<double>::infinity()) - v;
}

}  // namespace

std::string AxisLabelText(double value, int decimals) {
    char buf[400];
    // Beyond 15 digits a fixed form only shows noise, and below 15 decimals
    // only zeros: use the exponent form.
    const bool exponent = std::abs(value) >= 1e15 || (decimals > 15 && value != 0);
    auto r = exponent ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 3)
                      : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, std::clamp(decimals, 0, 15));
    if (r.ec != std::errc()) return "?";
    std::string s(buf, r.ptr);
    for (char& c : s)
        if (c == '.') c = ',';
    if (s.find_first_not_of("-0,") == std::string::npos && s[0] == '-') s.erase(0, 1);  // no "-0"
    return s;
}

AxisTicks LinearTicks(double s0, double s1, double pixels, double spacing, double minStep) {
    AxisTicks t;
    if (!std::isfinite(s0) || !std::isfinite(s1) || !(s1 > s0) || !(pixels > 0) || !(spacing > 0) ||
        !std::isfinite(pixels) || !std::isfinite(spacing))
        return t;
    // Halves keep the span finite at the ends of the double range.
    const double halfSpan = s1 / 2 - s0 / 2;
    const double raw = std::min(halfSpan * std::min(2 * spacing / pixels, 1e300), std::numeric_limits<double>::max());
    // Steps below a few units in the last place of the values cannot be told
    // apart: adding one would not move to the next tick.
    const double floorStep = std::max({minStep, 4 * Ulp(std::max(std::abs(s0), std::abs(s1))),
                                       std::numeric_limits<double>::denorm_min()});
    double step = NiceStep(std::max(raw, floorStep));
    // A bounded count of ticks, whatever the axis' length in pixels.
    while (std::isfinite(step) && (s1 / step - s0 / step) > double(kMaxMajorTicks)) step = NiceStep(step * 1.5);
    if (!std::isfinite(step) || !(step > 0)) return t;
    const int decimals = DecimalsFor(step);
    // Tick k is at k x step: an index, not a running sum, so every tick moves.
    const double kFirst = std::floor(s0 / step), kLast = std::floor(s1 / step) + 1;
    for (double k = kFirst; k <= kLast && t.major.size() <= kMaxMajorTicks; k += 1) {
        const double v = k * step;
        for (int j = 1; j <= kMinorTicks; ++j) {
            const double m = v + step * j / (kMinorTicks + 1);
            if (m >= s0 && m <= s1) t.minor.push_back(m);
        }
        // A tick a rounding error outside the range still counts as inside.
        if (v < s0 - halfSpan * 1e-9 || v > s1 + halfSpan * 1e-9) continue;
        const double value = std::abs(v) < step * 1e-9 ? 0 : v;
        t.major.push_back(value);
        t.labels.push_back(AxisLabelText(value, decimals));
    }
    // A range a few rounding steps wide may hold no multiple of the step (it
    // depends on the last bit of the platform's pow): its middle still says
    // where the axis is.
    if (t.major.empty()) {
        const double middle = s0 + halfSpan;
        t.major.push_back(middle);
        t.labels.push_back(AxisLabelText(middle, decimals));
    }
    return t;
}

AxisTicks LogTicks(double s0, double s1, double pixels, double spacing) {
    AxisTicks t;
    if (!std::isfinite(s0) || !std::isfinite(s1) || !(s1 > s0) || !(pixels > 0) || !std::isfinite(pixels) ||
        !(spacing > 0))
        return t;
    const double d0 = std::ceil(s0 - 1e-9), d1 = std::floor(s1 + 1e-9);
    if (d1 - d0 < 1) {
        const AxisTicks lin = LinearTicks(std::pow(10, s0), std::pow(10, s1), pixels, spacing);
        // Equal value steps crowd towards the top of a logarithmic axis:
        // keep only labels that have room below them.
        double lastPixel = -spacing;
        for (size_t i = 0; i < lin.major.size(); ++i) {
            if (!(lin.major[i] > 0)) continue;
            const double s = std::log10(lin.major[i]);
            const double pixel = (s - s0) / (s1 - s0) * pixels;
            if (pixel - lastPixel < spacing * 0.8) continue;
            lastPixel = pixel;
            t.major.push_back(s);
            t.labels.push_back(lin.labels[i]);
        }
        for (double m : lin.minor)
            if (m > 0) t.minor.push_back(std::log10(m));
        return t;
    }
    const double perDecade = pixels / (s1 - s0);
    // Every k-th decade, so that at most kMaxMajorTicks are labelled.
    const double decades = std::floor(s1) - std::floor(s0) + 1;
    const double every =
        std::max({1.0, std::ceil(spacing / perDecade), std::ceil(decades / double(kMaxMajorTicks))});
    if (!std::isfinite(every) || every > 1e15) return t;
    const double firstDecade = std::floor(s0 / every) * every;
    for (double d = firstDecade; d <= s1 && t.major.size() <= kMaxMajorTicks; d += every) {
        if (d >= s0 - 1e-9) {
            t.major.push_back(d);
            t.labels.push_back(AxisLabelText(std::pow(10.0, d), d < 0 ? static_cast<int>(-std::max(d, -400.0)) : 0));
        }
        if (every == 1 && perDecade > 40) {
            for (int m = 2; m <= 9; ++m) {
                const double p = d + std::log10(m);
                if (p >= s0 && p <= s1) t.minor.push_back(p);
            }
        }
    }
    return t;
}

}  // namespace vornik
