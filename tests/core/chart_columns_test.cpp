#include <gtest/gtest.h>

#include <set>

#include "ScriptedPrompt.h"
#include "printing/Protocol.h"
#include "quantities/Pages.h"
#include "reception/ReplyDecoder.h"
#include "reception/ReplyFormat.h"
#include "reception/ReplyGenerator.h"
#include "tables/ChartDefs.h"
#include "tables/Headers.h"
#include "tables/MainModel.h"

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

// Each page's table, headers, reply rules, chart and protocol address the
// columns of that page's own row: none reaches past it, and a decoded reply
// of every kind fills a row of exactly the table's width.
TEST(PageColumns, EveryPartOfAPageStaysWithinItsOwnRow) {
    MainModel model;
    test::ScriptedPrompt prompt;
    ReplyDecoder decoder(model, prompt);
    ReplyGenerator generator(3);
    for (int page = 0; page < kPageCount; ++page) {
        SCOPED_TRACE(page);
        const int columns = PageColumns(page);
        EXPECT_EQ(model.Table(page).ColumnCount(), columns);
        EXPECT_EQ(HeaderTexts(page).size(), static_cast<size_t>(columns));
        for (const FieldRule& field : ReplyFields(page)) EXPECT_LT(field.column, columns);
        for (const SeriesDef& series : ChartSeriesDefs(page)) EXPECT_LT(series.column, columns);
        for (const ProtocolField& field : ProtocolKindOf(page).fields) EXPECT_LT(field.column, columns);

        decoder.RecieveAll(generator.Reply(page));
        const MeasurementTable& table = model.Table(page);
        ASSERT_EQ(table.RowCount(), 2) << "header row and the decoded reply";
        for (int c = 0; c < columns; ++c) EXPECT_FALSE(table.Cell(c, 1).empty()) << c;
    }
}

}  // namespace

