#pragma once
// The read path of data files, in pieces that other bulk readers can use:
// a line splitter, and the load of a whole file into one page's table and
// chart. The table is filled on the calling thread, which splits every line
// once and hands the chart the cells it needs; for a large file, while a
// second processor is free, the chart points are parsed on a second thread at
// the same time, one block behind.
// The chart is only ever changed while the calling thread waits for it, so
// whatever the progress callback paints sees a consistent chart.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "datafiles/DataFile.h"

namespace vornik {

// The most bytes a line can hold before its LF: a longer line cannot be a row,
// and the file is taken as damaged.
constexpr size_t kMaxDataLineBytes = MeasurementTable::kMaxRowBytes;

// Cuts a line into the cells of a table row: every TAB ends a field; text
// after the last TAB is no field; fields past `maxFields` are dropped. A CR at
// the end of the line, and any CR inside it, is no part of it.
class LineSplitter {
public:
    explicit LineSplitter(size_t maxFields);

    const std::vector<std::string_view>& Split(const char* line, size_t length);
    // Field `column` of the last split line, empty past its last field.
    std::string_view Field(size_t column) const {
        return column < fields_.size() ? fields_[column] : std::string_view();
    }
    // True when the fields of the last split line point into a copy of it
    // (made to drop a CR inside it), valid only until the next split.
    bool SplitFromCopy() const { return fromCopy_; }

private:
    bool SplitWithoutCr(const char* p, size_t length);

    size_t maxFields_;
    std::vector<std::string_view> fields_;
    std::string scratch_;
    bool fromCopy_ = false;
};

enum class LoadResult { Done, FormatError, ReadError, Cancelled };

// Fills the page's table and chart from the file, which is positioned at its
// start. The table and chart are cleared only once the first block has been
// read and its header and first row are known to load. On a later format
// error (a line longer than kMaxDataLineBytes, or chart cells that are not
// numbers) the rows before that line stay; a cancel keeps the rows read.
LoadResult LoadTable(MainModel& model, int page, std::FILE* file, const ProgressFn& progress,
                     LoadThreading threading);

}  // namespace vornik
