#include "tables/ChartSeries.h"

#include <algorithm>
#include <limits>

#include "core/LargeMemory.h"

namespace vornik {

void MinMaxSummary::Fold(size_t k, size_t entry, double lo, double hi) {
    if (k == levels_.size()) {
        Level level;
        level.block = size_t(1) << (kShift * (k + 1));
        level.lo.reserve(reserved_ / level.block + 1);
        level.hi.reserve(reserved_ / level.block + 1);
        levels_.push_back(std::move(level));
    }
    Level& level = levels_[k];
    if (entry == level.lo.size()) {
        level.lo.push_back(lo);
        level.hi.push_back(hi);
    } else {
        level.lo[entry] = std::min(level.lo[entry], lo);
        level.hi[entry] = std::max(level.hi[entry], hi);
    }
}

void MinMaxSummary::Append(double value, size_t count) {
    // One point (a reading as it comes): it opens a level-0 entry or widens
    // the open one.
    const size_t index = count - 1;
    if (index % kFanout == 0) {
        Fold(0, index >> kShift, value, value);
    } else {
        Level& level = levels_[0];
        level.lo.back() = std::min(level.lo.back(), value);
        level.hi.back() = std::max(level.hi.back(), value);
    }
    FoldComplete(count);
}

void MinMaxSummary::FoldComplete(size_t count) {
    // An entry is folded into the level above once its block is complete:
    // only complete entries are ever read, so the upper levels cost nothing
    // for the points in between.
    const size_t index = count - 1;
    for (size_t k = 0; count % (size_t(1) << (kShift * (k + 1))) == 0; ++k) {
        const size_t entry = index >> (kShift * (k + 1));
        Fold(k + 1, entry >> kShift, levels_[k].lo[entry], levels_[k].hi[entry]);
    }
}

void MinMaxSummary::AppendMany(const double* values, size_t count, size_t before) {
    // Block by block: the points of one level-0 block are folded in
    // registers, in order, and the entry is written once.
    for (size_t i = 0; i < count;) {
        const size_t inBlock = (before + i) & (kFanout - 1);
        const size_t end = i + std::min(count - i, kFanout - inBlock);
        size_t j = i;
        double lo, hi;
        if (inBlock == 0) {
            lo = hi = values[j++];
        } else {
            lo = levels_[0].lo.back();
            hi = levels_[0].hi.back();
        }
        for (; j < end; ++j) {
            lo = std::min(lo, values[j]);
            hi = std::max(hi, values[j]);
        }
        if (inBlock == 0) {
            Fold(0, (before + i) >> kShift, lo, hi);
        } else {
            levels_[0].lo.back() = lo;
            levels_[0].hi.back() = hi;
        }
        i = end;
        FoldComplete(before + i);
    }
}

void MinMaxSummary::Range(const PackedValues& values, size_t first, size_t last, double& lo, double& hi) const {
    // Extremes kept in locals: through the references the compiler would
    // store and reload them for every entry, as they might alias the arrays.
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    // Entries [a, b) of the current level; the raw points are the level below 0.
    size_t a = first, b = last + 1;
    const Level* level = nullptr;
    auto scan = [&](size_t from, size_t to) {
        if (!level) {
            values.Extremes(from, to, low, high);
            return;
        }
        const double* mins = level->lo.data();
        const double* maxs = level->hi.data();
        for (size_t i = from; i < to; ++i) {
            low = std::min(low, mins[i]);
            high = std::max(high, maxs[i]);
        }
    };
    for (size_t k = 0; k < levels_.size(); ++k) {
        // Whole entries of level k inside [a, b); the ragged ends stay here.
        const size_t ka = (a + kFanout - 1) / kFanout, kb = b / kFanout;
        if (ka >= kb) break;
        scan(a, ka * kFanout);
        scan(kb * kFanout, b);
        a = ka;
        b = kb;
        level = &levels_[k];
    }
    scan(a, b);
    lo = low;
    hi = high;
}

void MinMaxSummary::Reserve(size_t points) {
    reserved_ = points;
    for (auto& level : levels_) {
        level.lo.reserve(points / level.block + 1);
        level.hi.reserve(points / level.block + 1);
    }
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
    // A new series starts small (most charts of a run hold few points) and
    // doubles up to 1024 points.
    const size_t capacity = values_.capacity();
    if (values_.size() == capacity)
        values_.reserve(capacity < 1024 ? std::max<size_t>(64, capacity * 2) : capacity * 5 / 4);
    values_.Push(y);
    summary_.Append(y, values_.size());
    if (y > 0) NotePositive(y, y);
}

void ChartSeries::Append(const double* values, size_t count, const uint32_t* codes) {
    if (values_.size() + count > values_.capacity())
        values_.reserve(std::max(values_.size() + count, values_.capacity() * 5 / 4));
    const size_t before = values_.size();
    if (codes) {
        values_.PushMany(values, codes, count);
    } else {
        for (size_t i = 0; i < count; ++i) values_.Push(values[i]);
    }
    summary_.AppendMany(values, count, before);
    double lo = std::numeric_limits<double>::infinity(), hi = 0;
    for (size_t i = 0; i < count; ++i) {
        const double y = values[i];
        if (y > 0) {
            lo = std::min(lo, y);
            hi = std::max(hi, y);
        }
    }
    if (hi > 0) NotePositive(lo, hi);
}

void ChartSeries::NotePositive(double lo, double hi) {
    if (!anyPositive_) {
        posLo_ = lo;
        posHi_ = hi;
        anyPositive_ = true;
    } else {
        posLo_ = std::min(posLo_, lo);
        posHi_ = std::max(posHi_, hi);
    }
}

void ChartSeries::Reserve(size_t points) {
    if (points <= values_.capacity()) return;
    values_.reserve(points);
    AdviseLargePages(values_.data(), values_.DataBytes());
    summary_.Reserve(points);
}

void ChartSeries::Clear() {
    values_.Release();
    summary_.Clear();
    anyPositive_ = false;
}

bool ChartSeries::RawExtremes(double& lo, double& hi) const {
    if (values_.size() == 0) return false;
    RawRange(0, values_.size() - 1, lo, hi);
    return true;
}

bool ChartSeries::PositiveExtremes(double& lo, double& hi) const {
    lo = posLo_;
    hi = posHi_;
    return anyPositive_;
}

size_t ChartSeries::MemoryBytes() const { return values_.MemoryBytes() + summary_.MemoryBytes(); }

}  // namespace vornik
