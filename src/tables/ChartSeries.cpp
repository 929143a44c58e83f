#include "tables/ChartSeries.h"

#include <algorithm>
#include <limits>

namespace vornik {

void MinMaxSummary::Append(double value, size_t count) {
    const size_t index = count - 1;
    size_t below = 1;  // points per entry of the level below
    for (size_t k = 0;; ++k) {
        const size_t block = below * kFanout;
        // A level above 0 starts once the level below has a second entry.
        if (k > 0 && count <= below) break;
        if (k == levels_.size()) {
            Level level;
            level.block = block;
            if (k == 0) {
                level.lo.push_back(value);
                level.hi.push_back(value);
            } else {
                // Built from the level below, which already holds this value.
                const Level& prev = levels_[k - 1];
                level.lo.push_back(*std::min_element(prev.lo.begin(), prev.lo.end()));
                level.hi.push_back(*std::max_element(prev.hi.begin(), prev.hi.end()));
            }
            levels_.push_back(std::move(level));
        } else {
            Level& level = levels_[k];
            const size_t entry = index / block;
            if (entry == level.lo.size()) {
                level.lo.push_back(value);
                level.hi.push_back(value);
            } else {
                level.lo[entry] = std::min(level.lo[entry], value);
                level.hi[entry] = std::max(level.hi[entry], value);
            }
        }
        below = block;
    }
}

void MinMaxSummary::Range(const std::vector<double>& values, size_t first, size_t last, double& lo,
                          double& hi) const {
    lo = std::numeric_limits<double>::infinity();
    hi = -lo;
    auto scan = [&](const double* mins, const double* maxs, size_t a, size_t b) {
        for (size_t i = a; i < b; ++i) {
            lo = std::min(lo, mins[i]);
            hi = std::max(hi, maxs[i]);
        }
    };
    // Entries [a, b) of the current level; the raw points are the level below 0.
    size_t a = first, b = last + 1;
    const double* mins = values.data();
    const double* maxs = values.data();
    for (size_t k = 0; k < levels_.size(); ++k) {
        // Whole entries of level k inside [a, b); the ragged ends stay here.
        const size_t ka = (a + kFanout - 1) / kFanout, kb = b / kFanout;
        if (ka >= kb) break;
        scan(mins, maxs, a, ka * kFanout);
        scan(mins, maxs, kb * kFanout, b);
        a = ka;
        b = kb;
        mins = levels_[k].lo.data();
        maxs = levels_[k].hi.data();
    }
    scan(mins, maxs, a, b);
}

size_t MinMaxSummary::MemoryBytes() const {
    size_t bytes = levels_.capacity() * sizeof(Level);
    for (const auto& level : levels_) bytes += (level.lo.capacity() + level.hi.capacity()) * sizeof(double);
    return bytes;
}

ChartSeries::ChartSeries(std::string title, Color color, bool dotted)
    : title_(std::move(title)), color_(color), dotted_(dotted) {}

void ChartSeries::Add(double y) {
    // Grow by a quarter rather than doubling: the series are the bulk of the
    // program's memory and a doubled array would idle at up to half empty.
    if (values_.size() == values_.capacity()) values_.reserve(std::max<size_t>(1024, values_.capacity() * 5 / 4));
    values_.push_back(y);
    summary_.Append(y, values_.size());
    if (y > 0) {
        if (!anyPositive_) {
            posLo_ = posHi_ = y;
            anyPositive_ = true;
        } else {
            posLo_ = std::min(posLo_, y);
            posHi_ = std::max(posHi_, y);
        }
    }
}

void ChartSeries::Clear() {
    values_.clear();
    values_.shrink_to_fit();
    summary_.Clear();
    anyPositive_ = false;
}

bool ChartSeries::RawExtremes(double& lo, double& hi) const {
    if (values_.empty()) return false;
    RawRange(0, values_.size() - 1, lo, hi);
    return true;
}

bool ChartSeries::PositiveExtremes(double& lo, double& hi) const {
    lo = posLo_;
    hi = posHi_;
    return anyPositive_;
}

size_t ChartSeries::MemoryBytes() const { return values_.capacity() * sizeof(double) + summary_.MemoryBytes(); }

}  // namespace vornik
