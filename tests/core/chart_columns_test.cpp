#include <gtest/gtest.h>

#include <set>

#include "reception/ReplyFormat.h"
#include "tables/ChartDefs.h"
#include "quantities/Pages.h"

using namespace vornik;

namespace {

// A reply is stored only when every charted column holds a number, so the
// charted columns must be exactly a run that every reply fills with numbers.
TEST(ChartColumns, EveryChartedColumnIsARunThatTheReplyFillsWithNumbers) {
    for (int page = 0; page < kPageCount; ++page) {
        SCOPED_TRACE(page);
        std::set<int> numeric;
        for (const FieldRule& field : ReplyFields(page))
            if (field.action == FieldRule::Scaled || field.action == FieldRule::ScaledNo2 ||
                field.action == FieldRule::Sum)
                numeric.insert(field.column);
        if (page == PageGas) numeric.insert(kGasNoxColumn);  // computed from NO and NO2
        std::set<int> charted;
        for (const SeriesDef& series : ChartSeriesDefs(page)) charted.insert(series.column);

        const int first = ChartFirstColumn(page);
        const int last = ChartLastColumn(page);
        EXPECT_EQ(charted.size(), static_cast<size_t>(last - first + 1));
        for (int column = first; column <= last; ++column) {
            EXPECT_EQ(charted.count(column), 1u) << column;
            EXPECT_EQ(numeric.count(column), 1u) << column;
        }
    }
}

}  // namespace
