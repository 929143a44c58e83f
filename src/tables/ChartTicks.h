#pragma once
// Axis ticks and their labels, without a painting device. Every range gives a
// bounded number of ticks: tiny, huge, denormal, infinite and NaN ranges
// included, since a zoom or a data file can produce any of them.
#include <string>
#include <vector>

namespace vornik {

// Ticks of one axis in drawing units (log10 of the values on a logarithmic axis).
struct AxisTicks {
    std::vector<double> major;
    std::vector<double> minor;
    std::vector<std::string> labels;  // one per major tick
};

// No axis gets more labelled ticks than this, whatever its length in pixels.
constexpr size_t kMaxMajorTicks = 1000;

// Ticks over [s0, s1] on an axis `pixels` long, labels about `spacing` pixels
// apart at a step of 1, 2 or 5 times a power of ten, never below `minStep`.
AxisTicks LinearTicks(double s0, double s1, double pixels, double spacing, double minStep = 0);

// Logarithmic axis over the decades [s0, s1]: labels at decades (every k-th
// when crowded), minor ticks at 2..9 times a decade. Less than a decade:
// linear steps on the values, thinned where they crowd.
AxisTicks LogTicks(double s0, double s1, double pixels, double spacing);

// A label: the number with a comma and `decimals` digits after it; beyond
// what a fixed form can show, the exponent form.
std::string AxisLabelText(double value, int decimals);

}  // namespace vornik
