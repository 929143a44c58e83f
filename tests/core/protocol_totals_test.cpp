// "Протокол с итогами": the protocol of an interval followed by its statistics.
#include <gtest/gtest.h>

#include "FakePrinter.h"
#include "core/Cp1251.h"
#include "printing/Protocol.h"
#include "tables/MainModel.h"

namespace vornik {

TEST(ProtocolWithTotals, PrintsTheHeaderTheIntervalsRowsAndItsStatisticsLines) {
    MainModel model;
    model.GridsLayout(800);
    MeasurementTable& table = model.Table(PageTemp);
    for (int i = 1; i <= 5; ++i)
        model.CommitRow(PageTemp, {"1", "09.12.26", "10:0" + std::to_string(i) + ":00", std::to_string(i * 10) + ",0",
                                   "1,5", "2,0", "3,0", "4,0", "0", Utf8ToCp1251("Котёл")});
    table.SetCell(8, 3, "nd");  // n of row 3

    test::FakePrinter printer;
    printer.width = 2000;
    const FixedClock clock{DateTime{2026, 12, 9, 10, 0, 0, 0}};
    PrintProtocolWithTotals(table, PageTemp, 2, 4, printer, "Courier New", 8, clock);

    std::vector<std::string> lines;
    for (const std::string& line : printer.Lines(1))
        if (line.find_first_not_of(' ') != std::string::npos) lines.push_back(line);
    const ProtocolKind& kind = ProtocolKindOf(PageTemp);
    const std::vector<std::string> expected = {
        ProtocolTitleLine(PageTemp, clock.Now()),
        ProtocolLine(table, 0, kind),
        ProtocolLine(table, 2, kind),
        ProtocolLine(table, 3, kind),
        ProtocolLine(table, 4, kind),
        Utf8ToCp1251("Строк: 3, с 09.12.26 10:02:00 по 09.12.26 10:04:00"),
        Utf8ToCp1251("Tg,*С: среднее 30,0; мин. 20,0; макс. 40,0; СКО 10,0"),
        Utf8ToCp1251("Tmax,*С: среднее 1,5; мин. 1,5; макс. 1,5; СКО 0,0"),
        Utf8ToCp1251("Tmin,*С: среднее 2,0; мин. 2,0; макс. 2,0; СКО 0,0"),
        Utf8ToCp1251("Tdif,*С: среднее 3,0; мин. 3,0; макс. 3,0; СКО 0,0"),
        Utf8ToCp1251("Tp,*С: среднее 4,0; мин. 4,0; макс. 4,0; СКО 0,0"),
        Utf8ToCp1251("n: среднее 0; мин. 0; макс. 0; СКО 0; пропущено 1"),
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(printer.begun, 1);
    EXPECT_EQ(printer.ended, 1);
}

}  // namespace vornik
