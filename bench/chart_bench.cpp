// Chart figures: painting the gas chart with 13 series of a million (and of
// four million) points, by number and on a time axis, with values as computed and as a file's cells give them,
// appending one row to such a chart, and memory per point.
// A big chart's lines are traced on two threads: the paints' processor time
// is that of the whole process.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>

#include "shell/ChartRenderer.h"
#include "tables/ChartDefs.h"
#include "tables/MeasurementTable.h"
#include "quantities/Pages.h"

using namespace vornik;

namespace {

constexpr size_t kPoints = 1000000;

// The gas chart, every series shown, each holding `points` of a noisy
// signal: as computed, or with one decimal as the cells of a data file give it.
ChartModel& BigGasChart(size_t points = kPoints, bool decimals = false) {
    static std::map<std::pair<size_t, bool>, std::unique_ptr<ChartModel>> charts;
    auto& chart = charts[{points, decimals}];
    if (!chart) {
        auto c = std::make_unique<ChartModel>(MakePageChart(PageGas));
        std::mt19937 rng(1);
        std::normal_distribution<double> noise(0, 1);
        std::vector<double> row(c->SeriesCount());
        for (size_t i = 0; i < points; ++i) {
            for (int s = 0; s < c->SeriesCount(); ++s) {
                row[s] = 50 + 20 * std::sin(i / (3000.0 + 100 * s)) + 3 * noise(rng);
                if (decimals) row[s] = std::round(row[s] * 10) / 10;
            }
            c->AppendPoints(row.data(), static_cast<int>(row.size()));
        }
        for (int s = 0; s < c->SeriesCount(); ++s) c->Series(s).SetShown(true);
        chart = std::move(c);
    }
    return *chart;
}

void Paint(benchmark::State& state, bool view3D, size_t points = kPoints, bool decimals = false) {
    ChartModel& chart = BigGasChart(points, decimals);
    chart.SetView3D(view3D);
    QImage image(1280, 720, QImage::Format_ARGB32_Premultiplied);
    ChartRenderer renderer(chart);
    for (auto _ : state) {
        QPainter p(&image);
        renderer.Paint(p, image.rect());
    }
}

void BM_PaintGasChartFlat(benchmark::State& state) { Paint(state, false); }
void BM_PaintGasChart3D(benchmark::State& state) { Paint(state, true); }
void BM_PaintGasChartFlat4M(benchmark::State& state) { Paint(state, false, 4 * kPoints); }
void BM_PaintGasChartFlatDecimals(benchmark::State& state) { Paint(state, false, kPoints, true); }

// A gas table whose rows carry times 2 s apart, with a 10-minute pause
// every 50,000 rows, for the time axis.
const MeasurementTable& TimedGasTable(size_t rows = kPoints) {
    static const MeasurementTable table = [rows] {
        MeasurementTable t(kGasColumns);
        t.SetRowCount(1);
        long seconds = 0;
        char date[16], time[16];
        for (size_t i = 0; i < rows; ++i) {
            seconds += i % 50000 == 49999 ? 600 : 2;
            const long day = seconds / 86400, s = seconds % 86400;
            std::snprintf(date, sizeof date, "%02ld.01.26", 1 + day % 28);
            std::snprintf(time, sizeof time, "%02ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
            t.AppendRowCells({"1", date, time});
        }
        return t;
    }();
    return table;
}

// The flat paint on a time axis; the times are read before the first paint.
void BM_PaintGasChartFlatTimeAxis(benchmark::State& state) {
    ChartModel& chart = BigGasChart();
    chart.SetTimeAxis(&TimedGasTable());
    chart.Time();
    Paint(state, false);
    chart.SetTimeAxis(nullptr);
}

// Reading a million rows' times (the first paint on a time axis, or after a load).
void BM_TimePlacementSync1M(benchmark::State& state) {
    const MeasurementTable& table = TimedGasTable();
    for (auto _ : state) {
        TimePlacement place;
        place.Sync(table, kPoints);
        benchmark::DoNotOptimize(place.GapThreshold());
    }
}

void BM_AppendRowTo13Series(benchmark::State& state) {
    ChartModel& chart = BigGasChart();
    const double row[13] = {160.2, 5.5, 86, 58.3, 3, 12.3, 1.9, 11.8, 39.5, 8, 1.35, 85.8, 20.8};
    for (auto _ : state) chart.AppendPoints(row, 13);
    state.SetItemsProcessed(state.iterations());
}

void BM_MemoryPerPoint(benchmark::State& state) {
    // A fresh chart of exactly kPoints per series, as it stands after
    // receiving them one by one.
    ChartModel chart = MakePageChart(PageGas);
    std::vector<double> row(chart.SeriesCount(), 1.0);
    for (size_t i = 0; i < kPoints; ++i) chart.AppendPoints(row.data(), static_cast<int>(row.size()));
    size_t bytes = 0, points = 0;
    for (auto _ : state) {
        bytes = points = 0;
        for (int s = 0; s < chart.SeriesCount(); ++s) {
            bytes += chart.Series(s).MemoryBytes();
            points += chart.Series(s).Count();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes_per_point"] = double(bytes) / double(points);
}

}  // namespace

BENCHMARK(BM_PaintGasChartFlat)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Repetitions(5)->ReportAggregatesOnly(true)->Iterations(3);
BENCHMARK(BM_PaintGasChart3D)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Repetitions(5)->ReportAggregatesOnly(true)->Iterations(3);
BENCHMARK(BM_PaintGasChartFlat4M)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Repetitions(5)->ReportAggregatesOnly(true)->Iterations(3);
BENCHMARK(BM_PaintGasChartFlatDecimals)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Repetitions(5)->ReportAggregatesOnly(true)->Iterations(3);
BENCHMARK(BM_PaintGasChartFlatTimeAxis)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Repetitions(5)->ReportAggregatesOnly(true)->Iterations(3);
BENCHMARK(BM_TimePlacementSync1M)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true)->Iterations(2);
BENCHMARK(BM_AppendRowTo13Series)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_MemoryPerPoint)->Iterations(1);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
