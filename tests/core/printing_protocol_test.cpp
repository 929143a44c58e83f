// The measurement protocol: layout of the title and the lines, and the print
// over a printer with known metrics (10 x 20 pixel characters).
#include <gtest/gtest.h>

#include <numeric>

#include "FakePrinter.h"
#include "core/Cp1251.h"
#include "core/Errors.h"
#include "printing/Protocol.h"
#include "tables/MainModel.h"

namespace vornik {
namespace {

using test::FakePrinter;

int LineWidth(const ProtocolKind& kind) {
    return std::accumulate(kind.fields.begin(), kind.fields.end(), 0,
                           [](int sum, const ProtocolField& f) { return sum + f.width; });
}

void FillRow(MeasurementTable& table, int row, const std::string& prefix) {
    for (int c = 0; c < table.ColumnCount(); ++c) table.SetCell(c, row, prefix + std::to_string(c));
}

TEST(ProtocolLayout, KindsByPage) {
    const ProtocolKind& gas = ProtocolKindOf(0);
    EXPECT_EQ(gas.orientation, PageOrientation::Landscape);
    EXPECT_EQ(gas.fields.size(), 19u);
    EXPECT_EQ(LineWidth(gas), 162);
    for (const ProtocolField& f : gas.fields) EXPECT_NE(f.column, 16);
    EXPECT_EQ(gas.fields.back().column, 19);
    for (int page : {1, 2}) {
        EXPECT_EQ(ProtocolKindOf(page).orientation, PageOrientation::Portrait);
        EXPECT_EQ(ProtocolKindOf(page).fields.size(), 10u);
        EXPECT_EQ(LineWidth(ProtocolKindOf(page)), 111);
    }
    EXPECT_THROW(ProtocolKindOf(3), std::out_of_range);
}

TEST(ProtocolLayout, TitleLines) {
    const DateTime t{2024, 3, 5, 14, 7, 9, 0};
    EXPECT_EQ(Cp1251ToUtf8(ProtocolTitleLine(0, t)), "     ПРОТОКОЛ ЗАМЕРОВ ГАЗОАНАЛИЗАТОРА VORNIK 05.03.2024 14:07:09");
    EXPECT_EQ(Cp1251ToUtf8(ProtocolTitleLine(1, t)), "     ПРОТОКОЛ ЗАМЕРОВ ТЕМПЕРАТУРЫ VORNIK 05.03.2024 14:07:09");
    EXPECT_EQ(Cp1251ToUtf8(ProtocolTitleLine(2, t)),
              "     ПРОТОКОЛ ЗАМЕРОВ ДАВЛЕНИЯ/СКОРОСТИ VORNIK 05.03.2024 14:07:09");
}

TEST(ProtocolLayout, DateAndTimeText) {
    EXPECT_EQ(ProtocolDateTimeText({2024, 12, 31, 9, 5, 3, 0}), "31.12.2024 9:05:03");
    EXPECT_EQ(ProtocolDateTimeText({2025, 1, 2, 0, 0, 0, 0}), "02.01.2025");  // midnight: no time
    EXPECT_EQ(ProtocolDateTimeText({2025, 1, 2, 0, 0, 0, 1}), "02.01.2025 0:00:00");
    EXPECT_EQ(ProtocolDateTimeText({2025, 1, 2, 0, 0, 1, 0}), "02.01.2025 0:00:01");
}

TEST(ProtocolLayout, FieldsAreRightAlignedAndLongCellsPushTheLine) {
    MainModel model;
    MeasurementTable& gas = model.Table(0);
    FillRow(gas, 1, "");
    const std::string line = ProtocolLine(gas, 1, ProtocolKindOf(0));
    EXPECT_EQ(line.size(), 162u);
    EXPECT_EQ(line.substr(0, 21), "         0          1");
    EXPECT_EQ(line.find("16"), std::string::npos);
    EXPECT_EQ(line.substr(line.size() - 42), std::string(19, ' ') + "18" + std::string(19, ' ') + "19");

    gas.SetCell(0, 1, "1234567890");    // as long as its field
    gas.SetCell(1, 1, "123456789012");  // longer than its field
    const std::string pushed = ProtocolLine(gas, 1, ProtocolKindOf(0));
    EXPECT_EQ(pushed.substr(0, 31), "1234567890123456789012        2");
    EXPECT_EQ(pushed.size(), line.size() + 1);

    EXPECT_EQ(ProtocolLine(model.Table(1), 1, ProtocolKindOf(1)), std::string(111, ' '));
    EXPECT_EQ(ProtocolLine(model.Table(0), 0, ProtocolKindOf(0)).size(), 162u);
}

class PrintProtocolTest : public ::testing::Test {
protected:
    PrintProtocolTest() {
        model.GridsLayout(800);
        printer.width = 2000;
    }
    void Print(int page) { PrintProtocol(model.Table(page), page, printer, "Courier New", 8, clock); }

    MainModel model;
    FakePrinter printer;
    FixedClock clock{DateTime{2024, 3, 5, 14, 7, 9, 0}};
};

TEST_F(PrintProtocolTest, EmptyTablePrintsTitleHeaderAndOneLineOfSpaces) {
    Print(0);
    EXPECT_EQ(printer.orientation, PageOrientation::Landscape);
    EXPECT_EQ(printer.fontFace, "Courier New");
    EXPECT_EQ(printer.fontSize, 8);
    EXPECT_EQ(printer.jobName, "Печать базы данных");
    EXPECT_EQ(printer.calls.front(), "orientation");
    EXPECT_EQ(printer.calls.back(), "end");
    const auto lines = printer.Lines(1);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], ProtocolTitleLine(0, clock.Now()));
    EXPECT_EQ(lines[1].substr(0, 21), Utf8ToCp1251("     Номер       Дата"));
    EXPECT_EQ(lines[1].size(), 162u);
    EXPECT_EQ(lines[2], std::string(162, ' '));
}

TEST_F(PrintProtocolTest, AFontSizeOfZeroOrLessIsTheDefaultSize) {
    for (int size : {0, -4}) {
        PrintProtocol(model.Table(0), 0, printer, "Courier New", size, clock);
        EXPECT_EQ(printer.fontSize, 8);
    }
}

TEST_F(PrintProtocolTest, TemperatureProtocolIsPortraitAndStaysSo) {
    printer.orientation = PageOrientation::Landscape;
    FillRow(model.Table(1), 1, "t");
    Print(1);
    EXPECT_EQ(printer.orientation, PageOrientation::Portrait);
    const auto lines = printer.Lines(1);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2].size(), 111u);
    EXPECT_EQ(lines[2].substr(0, 10), "        t0");
}

TEST_F(PrintProtocolTest, ManyRowsContinueOnPagesWithoutTitleOrHeader) {
    printer.width = 1620;
    printer.height = 400;  // lines of 22: 17 on a page
    MeasurementTable& gas = model.Table(0);
    for (int i = 0; i < 40; ++i) FillRow(gas, gas.AppendRow(), "r" + std::to_string(i) + "_");
    Print(0);
    EXPECT_EQ(printer.pages, 3);
    std::vector<std::string> all;
    for (int page = 1; page <= 3; ++page)
        for (const std::string& line : printer.Lines(page)) all.push_back(line);
    ASSERT_EQ(all.size(), 42u);
    EXPECT_EQ(printer.Lines(1).size(), 17u);
    EXPECT_EQ(Cp1251ToUtf8(all[0]).find("ПРОТОКОЛ"), 5u);
    EXPECT_EQ(printer.Lines(2).front().find("r15_0"), 5u);
    for (size_t i = 1; i < all.size(); ++i) EXPECT_EQ(Cp1251ToUtf8(all[i]).find("ПРОТОКОЛ"), std::string::npos);
    int headers = 0;
    for (const std::string& line : all) headers += Cp1251ToUtf8(line).find("Номер") != std::string::npos;
    EXPECT_EQ(headers, 1);
}

TEST_F(PrintProtocolTest, RowsArrivingDuringThePrintAreNotPrinted) {
    printer.height = 100;
    MeasurementTable& temp = model.Table(1);
    for (int i = 0; i < 5; ++i) FillRow(temp, temp.AppendRow(), "a");
    printer.hook = [&](const std::string& call) {
        if (call == "page") FillRow(temp, temp.AppendRow(), "late");
    };
    Print(1);
    int printed = 0;
    for (int page = 1; page <= printer.pages; ++page) printed += static_cast<int>(printer.Lines(page).size());
    EXPECT_EQ(printed, 1 + 6);
    EXPECT_GT(temp.RowCount(), 6);
}

TEST_F(PrintProtocolTest, TableClearedDuringThePrintEndsTheProtocol) {
    printer.height = 100;
    MeasurementTable& temp = model.Table(1);
    for (int i = 0; i < 9; ++i) FillRow(temp, temp.AppendRow(), "a");
    printer.hook = [&](const std::string& call) {
        if (call == "page") model.ChartClear(false, true, false);
    };
    Print(1);
    EXPECT_EQ(printer.ended, 1);
    // The line already laid out is printed; the rows the table lost are not.
    EXPECT_EQ(printer.pages, 2);
    EXPECT_EQ(printer.Lines(2).size(), 1u);
}

TEST_F(PrintProtocolTest, ErrorWhileOpenEndsTheJobAndPassesTheErrorOn) {
    printer.height = 100;
    FillRow(model.Table(1), 1, "a");
    int draws = 0;
    printer.hook = [&](const std::string& call) {
        if (call == "draw" && ++draws == 2) throw VornikError("Printer is not ready");
        if (call == "end" && draws >= 2) throw VornikError("second failure");
    };
    try {
        Print(1);
        FAIL() << "no error";
    } catch (const VornikError& e) {
        EXPECT_STREQ(e.what(), "Printer is not ready");
    }
    EXPECT_EQ(printer.calls.back(), "end");
    EXPECT_EQ(printer.Lines(1).size(), 1u);
}

TEST_F(PrintProtocolTest, ErrorBeforeTheJobStartsClosesNothing) {
    printer.hook = [](const std::string& call) {
        if (call == "orientation") throw VornikError("There is no default printer currently selected");
    };
    EXPECT_THROW(Print(0), VornikError);
    EXPECT_EQ(printer.begun, 0);
    EXPECT_EQ(printer.ended, 0);
}

}  // namespace
}  // namespace vornik
