// The statistics over an interval fed tables of arbitrary cells: numbers of
// every size, "nd", empty cells and other text, in ranges chosen by the input,
// while the table grows and an earlier cell is rewritten. The kept block sums
// must give what reading every cell again gives.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "FuzzHarnesses.h"
#include "core/Conversion.h"
#include "tables/IntervalStatistics.h"

namespace vornik::fuzz {
namespace {

constexpr int kColumns = 5;  // number, date, time and two values

// Reads the input a byte at a time; zeros once it is used up.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool More() const { return at_ < size_; }
    uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
    int Below(int limit) { return limit <= 0 ? 0 : Next() % limit; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// A cell of the kinds a table holds, and some it should not.
std::string Cell(Bytes& in) {
    switch (in.Below(8)) {
        case 0: return "nd";
        case 1: return "";
        case 2: return "99999999999999999999,9";  // too many digits to count
        case 3: return "-" + std::to_string(in.Next()) + "," + std::to_string(in.Next() % 10);
        case 4: return std::string(static_cast<size_t>(in.Below(5)), static_cast<char>(in.Next()));  // any bytes
        case 5: return "1,0000E+005";
        default: {
            const int units = (in.Next() << 8 | in.Next()) - 32768;
            return FormatScaled(units, 1000, 15, in.Below(4));
        }
    }
}

void AppendRow(MeasurementTable& table, Bytes& in) {
    std::vector<std::string> cells = {std::to_string(table.RowCount()), "09.12.26", std::to_string(in.Next())};
    for (int c = kFirstValueColumn; c < kColumns; ++c) cells.push_back(Cell(in));
    table.AppendRowCells(std::vector<std::string_view>(cells.begin(), cells.end()));
}

bool Close(double a, double b) {
    if (!std::isfinite(a) || !std::isfinite(b)) return std::isnan(a) == std::isnan(b);
    return std::fabs(a - b) <= 1e-6 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

// The interval read in pieces of half a block, each of which is read cell by
// cell (no piece covers a whole block), merged.
IntervalSummary ReadInPieces(const MeasurementTable& table, int first, int last) {
    IntervalStatistics pieces(table);
    IntervalSummary whole;
    const int from = std::max(first, 0);
    const int to = std::min(last, table.RowCount() - 1);
    if (from > to) return pieces.Compute(first, last);
    const int half = IntervalStatistics::kBlockRows / 2;
    for (int start = from; start <= to; start = (start / half + 1) * half) {
        const IntervalSummary piece = pieces.Compute(start, std::min(to, (start / half + 1) * half - 1));
        if (start == from) {
            whole = piece;
            continue;
        }
        whole.rows += piece.rows;
        whole.lastRow = piece.lastRow;
        whole.lastDate = piece.lastDate;
        whole.lastTime = piece.lastTime;
        for (size_t i = 0; i < whole.columns.size() && i < piece.columns.size(); ++i)
            whole.columns[i].summary.Merge(piece.columns[i].summary);
    }
    return whole;
}

// The interval from the kept sums against the same read in pieces.
std::string Compare(const IntervalSummary& kept, const IntervalSummary& fresh) {
    if (kept.rows != fresh.rows || kept.firstTime != fresh.firstTime || kept.lastTime != fresh.lastTime)
        return "the kept sums count other rows than the cells read in pieces";
    if (kept.columns.size() != fresh.columns.size()) return "the kept sums give other columns";
    for (size_t i = 0; i < kept.columns.size(); ++i) {
        const NumberSummary& a = kept.columns[i].summary;
        const NumberSummary& b = fresh.columns[i].summary;
        if (a.numbers != b.numbers || a.skipped != b.skipped || a.decimals != b.decimals)
            return "the kept sums count other cells than the cells read in pieces";
        if (a.numbers + a.skipped != kept.rows) return "a column's numbers and skipped cells are not its rows";
        if (a.numbers == 0) continue;
        if (!Close(a.mean, b.mean) || a.min != b.min || a.max != b.max || !Close(a.Deviation(), b.Deviation()))
            return "the kept sums give other figures than the cells read in pieces";
        if (!(a.min <= a.max) || a.mean < a.min - 1e-9 * std::fabs(a.min) || a.mean > a.max + 1e-9 * std::fabs(a.max))
            return "the mean lies outside the range";
        if (!(a.Deviation() >= 0)) return "a negative or undefined deviation";
        if (FormatStatistic(a.mean, a.decimals).empty()) return "a statistic written as nothing";
    }
    return "";
}

}  // namespace

std::string StatisticsHarness(const uint8_t* data, size_t size) {
    Bytes in(data, size);
    MeasurementTable table(kColumns);
    IntervalStatistics kept(table);
    const int blockRows = IntervalStatistics::kBlockRows;
    // Up to a block and a quarter, so that a kept block sum is used.
    int rows = 1 + in.Below(2) * blockRows / 2 + in.Below(blockRows * 3 / 4);
    table.Reserve(rows + 16, static_cast<size_t>(rows + 16) * 48);
    for (; rows > 0; --rows) AppendRow(table, in);
    // A bounded number of changes and intervals keeps a run short.
    for (int step = 0; step < 16 && in.More(); ++step) {
        switch (in.Below(4)) {
            case 0: AppendRow(table, in); break;
            case 1: {
                // A cell of an earlier row changes (a reply filling its row, a load).
                const int row = in.Below(table.RowCount());
                table.SetCell(kFirstValueColumn + in.Below(kColumns - kFirstValueColumn), row, Cell(in));
                break;
            }
            default: {
                const int first = (in.Next() << 8 | in.Next()) % (table.RowCount() + 2) - 1;
                const int last = first + (in.Next() << 8 | in.Next()) % (table.RowCount() + 2);
                const std::string broken = Compare(kept.Compute(first, last), ReadInPieces(table, first, last));
                if (!broken.empty()) return broken;
            }
        }
    }
    return "";
}

}  // namespace vornik::fuzz
