#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tables/ChartModel.h"
#include "tables/ChartTicks.h"

using namespace vornik;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void ExpectBoundedIncreasing(const AxisTicks& t) {
    ASSERT_EQ(t.major.size(), t.labels.size());
    EXPECT_LE(t.major.size(), kMaxMajorTicks + 1);
    for (size_t i = 1; i < t.major.size(); ++i) EXPECT_GT(t.major[i], t.major[i - 1]);
}

}  // namespace

// The tick loop used to add the step to a running value, which stops moving
// once the step is below the value's last digit: the window hung.
TEST(ChartTicks, EveryRangeGivesABoundedListOfTicks) {
    const double ranges[][2] = {
        {390614.14, 390614.1400000001},  // one rounding step apart
        {1e15, std::nextafter(1e15, kInf)},
        {0, 5e-324},                      // denormal
        {-1e-310, 1e-310},
        {-1.7e308, 1.7e308},              // span beyond the largest double
        {0, 1e300},
        {-kInf, kInf},
        {0, kInf},
        {kNaN, 1},
        {1, 1},
        {2, 1},
    };
    for (const auto& r : ranges) {
        SCOPED_TRACE(testing::Message() << r[0] << " .. " << r[1]);
        ExpectBoundedIncreasing(LinearTicks(r[0], r[1], 400, 30));
        ExpectBoundedIncreasing(LinearTicks(r[0], r[1], 1e9, 1e-9, 1));
        ExpectBoundedIncreasing(LogTicks(r[0], r[1], 400, 30));
    }
    // Ordinary ranges keep their usual ticks.
    const AxisTicks t = LinearTicks(0, 100, 400, 40);
    ASSERT_EQ(t.labels.size(), 11u);
    EXPECT_EQ(t.labels[3], "30");
    EXPECT_EQ(LinearTicks(0, 1, 400, 40).labels[1], "0,1");
    EXPECT_EQ(LogTicks(-2, 3, 400, 30).labels.front(), "0,01");
    // A range one rounding step wide still gets a label that says where it is.
    const AxisTicks narrow = LinearTicks(390614.14, 390614.1400000001, 400, 30);
    ASSERT_FALSE(narrow.labels.empty());
    EXPECT_EQ(narrow.labels[0].substr(0, 10), "390614,140");
}

// The same through the chart model, as a data file with such values gives it.
TEST(ChartTicks, ChartOfValuesOneRoundingStepApartHasAxes) {
    ChartModel chart;
    chart.AddSeries(ChartSeries("Tg", 0));
    chart.Series(0).Add(390614.14);
    chart.Series(0).Add(390614.1400000001);
    const AxisRange y = chart.ScaleRange(AxisLeft);
    ExpectBoundedIncreasing(LinearTicks(y.min, y.max, 300, 30));
    chart.SetLogarithmic(true);
    const AxisRange logY = chart.ScaleRange(AxisLeft);
    ExpectBoundedIncreasing(LogTicks(logY.min, logY.max, 300, 30));
}
