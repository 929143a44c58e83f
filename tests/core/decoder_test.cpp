#include <gtest/gtest.h>

#include "ReplyBuilder.h"
#include "ScriptedPrompt.h"
#include "core/Cp1251.h"
#include "core/Conversion.h"
#include "reception/ReplyDecoder.h"
#include "reception/ReplyFormat.h"
#include "reception/ReplyGenerator.h"
#include "tables/MainModel.h"
#include "tables/Navigation.h"

using namespace vornik;
using namespace vornik::test;

namespace {

class DecoderTest : public ::testing::Test {
protected:
    DecoderTest() : decoder(model, prompt, [this](const std::string& t) { errors.push_back(t); }) {
        model.GridsLayout(800);
    }

    // The cells of a row as UTF-8.
    std::vector<std::string> Row(int page, int row) const {
        std::vector<std::string> cells;
        for (int c = 0; c < model.Table(page).ColumnCount(); ++c)
            cells.push_back(Cp1251ToUtf8(model.Table(page).Cell(c, row)));
        return cells;
    }
    std::string Cell(int page, int column, int row) const {
        return Cp1251ToUtf8(model.Table(page).Cell(column, row));
    }
    int Rows(int page) const { return model.Table(page).RowCount(); }

    // The page state a failed or ignored reply must leave as it was.
    void ExpectUntouched() const {
        for (int page = 0; page < kPageCount; ++page) {
            EXPECT_EQ(Rows(page), 2);
            EXPECT_TRUE(model.Table(page).IsEmpty());
            EXPECT_FALSE(model.NewData(page));
        }
        EXPECT_FALSE(model.SaveCommandEnabled());
        EXPECT_EQ(model.ActivePage(), PagePrd);
    }

    MainModel model;
    ScriptedPrompt prompt;
    std::vector<std::string> errors;
    ReplyDecoder decoder;
};

TEST_F(DecoderTest, GasReplyBecomesRowOne) {
    model.SetActivePage(PagePrd);
    decoder.RecieveAll(GasReply().Bytes());

    const std::vector<std::string> expected = {
        "1/17", "05.03.24", "09:30:00", "123,4", "20,95", "120,0", "80,0", "4,0", "5,0", "0,5",
        "9,00", "10,0",     "1,75",     "1,35",  "84,0",  "21,5",  "30,0", "ppm", "Котёл №1", "Газ"};
    EXPECT_EQ(Row(PageGas, 1), expected);
    EXPECT_EQ(Rows(PageGas), 2);
    EXPECT_EQ(model.Table(PageGas).CurrentRow(), 1);
    EXPECT_EQ(Cell(PageGas, 0, 0), "Номер");
    EXPECT_EQ(prompt.beeps(), 1u);
    EXPECT_TRUE(prompt.boxes().empty());
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(model.ActivePage(), PageGas);
    EXPECT_TRUE(model.SaveCommandEnabled());
    EXPECT_TRUE(model.NewData(PageGas));
    EXPECT_FALSE(model.NewData(PageTemp));
}

TEST_F(DecoderTest, UnitFlagsChooseUnitTextAndNoxRule) {
    decoder.RecieveAll(GasReply().Set(6, "1").Set(7, "1").Set(8, "1").Bytes());
    EXPECT_EQ(Cell(PageGas, 17, 1), "mg>O2>NO2");
    EXPECT_EQ(Cell(PageGas, 14, 1), "126,4");  // 80,0 x 1.53 + 4,0

    decoder.RecieveAll(GasReply().Set(6, "1x").Set(7, "0").Set(8, "10").Bytes());
    EXPECT_EQ(Cell(PageGas, 17, 2), "mg>NO2");
    decoder.RecieveAll(GasReply().Set(6, "2").Set(7, "1").Set(8, "01").Bytes());
    EXPECT_EQ(Cell(PageGas, 17, 3), "ppm>O2");
    EXPECT_EQ(Cell(PageGas, 14, 3), "84,0");

    // 5,0 x 1.53 = 7,65 exactly: the half goes up.
    decoder.RecieveAll(GasReply().Set(8, "1").Set(14, "50").Set(15, "0").Bytes());
    EXPECT_EQ(Cell(PageGas, 14, 4), "7,7");
    // NO 5,0 x 1.53 + NO2 16,4 = 24,05 exactly.
    decoder.RecieveAll(GasReply().Set(8, "1").Set(14, "50").Set(15, "164").Bytes());
    EXPECT_EQ(Cell(PageGas, 14, 5), "24,1");
    EXPECT_TRUE(errors.empty());
}

TEST_F(DecoderTest, TextsWhereNumbersBelongStayAndCountAsZero) {
    decoder.RecieveAll(GasReply().Set(14, "Er").Set(21, "2x").Set(10, "  12").Bytes());
    EXPECT_EQ(Cell(PageGas, 6, 1), "Er");
    EXPECT_EQ(Cell(PageGas, 14, 1), "4,0");  // NO counts 0
    EXPECT_EQ(Cell(PageGas, 12, 1), "nd");
    EXPECT_EQ(Cell(PageGas, 3, 1), "  12");
    EXPECT_TRUE(errors.empty());
}

TEST_F(DecoderTest, TemperatureAndPressureReplies) {
    decoder.RecieveAll(TempReply().Bytes());
    EXPECT_EQ(Row(PageTemp, 1), (std::vector<std::string>{"1/3", "05.03.24", "09:31:00", "450,2", "453,0",
                                                          "448,0", "5,0", "25,1", "12", "Печь"}));
    EXPECT_EQ(model.ActivePage(), PageTemp);

    decoder.RecieveAll(PrdReply().Bytes());
    EXPECT_EQ(Row(PagePrd, 1), (std::vector<std::string>{"1/5", "05.03.24", "09:32:00", "0,0015", "101,33",
                                                         "5,00", "4,90", "1,250", "7", "Труба"}));
    EXPECT_EQ(model.ActivePage(), PagePrd);
    EXPECT_TRUE(model.NewData(PageTemp));
    EXPECT_TRUE(model.NewData(PagePrd));
    EXPECT_FALSE(model.NewData(PageGas));
    EXPECT_EQ(prompt.beeps(), 2u);
}

TEST_F(DecoderTest, LaterRepliesAppendNumberedRows) {
    decoder.RecieveAll(GasReply().Bytes());
    decoder.RecieveAll(GasReply().Set(1, "18").Lf().Bytes());
    EXPECT_EQ(Rows(PageGas), 3);
    EXPECT_EQ(Cell(PageGas, 0, 2), "2/18");
    EXPECT_EQ(model.Table(PageGas).CurrentRow(), 2);

    // Fields beyond the kind's count are ignored.
    decoder.RecieveAll(GasReply().Set(23, "extra").Set(24, "1-2").Bytes());
    EXPECT_EQ(Cell(PageGas, 0, 3), "3/17");
    EXPECT_TRUE(errors.empty());
}

// Only the first end marker after a start marker ends a reply; the others
// would repeat the previous reply as a row the instrument never sent.
TEST_F(DecoderTest, EndMarkerWithoutItsStartMarkerAddsNoRow) {
    const std::string reply = TempReply().Bytes();
    decoder.RecieveAll("<");              // before any start marker
    decoder.RecieveAll(reply + "\r\n<");  // a second end marker
    decoder.RecieveAll(reply);
    decoder.RecieveAll(reply.substr(1));  // a reply that lost its start marker
    decoder.RecieveAll(reply);
    for (size_t i = 0; i < reply.size(); ++i) decoder.Recieve(nullptr, uint8_t(reply[i]), i == 0);
    EXPECT_EQ(Rows(PageTemp), 4);
    EXPECT_EQ(Cell(PageTemp, 0, 3), "3/3");
    EXPECT_EQ(errors, std::vector<std::string>(4, kReplyWithoutStartText));
    EXPECT_EQ(prompt.beeps(), 7u);

    decoder.RecieveAll(TempReply().Set(1, "18").Bytes());
    EXPECT_EQ(Cell(PageTemp, 0, 4), "4/18");
    EXPECT_EQ(errors.size(), 4u);
}

TEST_F(DecoderTest, UnknownKindOnlyBeeps) {
    model.SetActivePage(PagePrd);
    decoder.RecieveAll(GasReply().Kind('X').Bytes());
    decoder.RecieveAll(GasReply().Kind('g').Bytes());
    EXPECT_EQ(prompt.beeps(), 2u);
    EXPECT_TRUE(errors.empty());
    ExpectUntouched();
}

// A failing reply adds nothing at all, reports its error and leaves
// reception working.
TEST_F(DecoderTest, FailingReplyAddsNothing) {
    model.SetActivePage(PagePrd);
    const struct {
        TestReply reply;
        std::string error;
    } cases[] = {
        {GasReply().Keep(21), "Range check error"},
        {GasReply().Set(5, "   "), "Range check error"},
        {GasReply().Set(13, "1-2"), "'1-2' is not a valid integer value"},
        {GasReply().Set(12, "99999999999"), "'99999999999' is not a valid integer value"},
        {GasReply().Set(20, "2147483647"), "Integer overflow"},
        {GasReply().Set(16, "12.5"), "'12.5' is not a valid floating point value"},  // chart column
        {GasReply().Set(14, "-"), "'-' is not a valid integer value"},
        {TempReply().Keep(9), "Range check error"},
        {PrdReply().Set(7, "5.0"), "'5.0' is not a valid floating point value"},
    };
    for (const auto& c : cases) {
        errors.clear();
        decoder.RecieveAll(c.reply.Bytes());
        EXPECT_EQ(errors, std::vector<std::string>{c.error}) << c.reply.Bytes();
        ExpectUntouched();
    }
    EXPECT_EQ(prompt.beeps(), std::size(cases));
    EXPECT_TRUE(prompt.boxes().empty());

    decoder.RecieveAll(GasReply().Bytes());
    EXPECT_EQ(Cell(PageGas, 0, 1), "1/17");
}

TEST_F(DecoderTest, WithoutErrorReportTheGeneralErrorBoxShowsIt) {
    ReplyDecoder plain(model, prompt);
    plain.RecieveAll(GasReply().Keep(3).Bytes());
    ASSERT_EQ(prompt.boxes().size(), 1u);
    EXPECT_EQ(prompt.boxes()[0].kind, PromptEvent::General);
    EXPECT_EQ(prompt.boxes()[0].text, "Range check error.");
}

TEST_F(DecoderTest, FieldsAreReadOnlyFromTheCurrentReply) {
    // A long reply leaves its bytes in the buffer; a shorter reply with one
    // field too few must not pick up a field from them.
    decoder.RecieveAll(GasReply().Set(4, "Очень длинное название объекта").Bytes());
    decoder.RecieveAll(GasReply().Keep(21).Bytes());
    EXPECT_EQ(errors, std::vector<std::string>{"Range check error"});
    EXPECT_EQ(Rows(PageGas), 2);

    // A last field without its line feed ends at the end marker.
    std::string bytes = GasReply().Bytes();
    bytes.erase(bytes.size() - 3, 2);  // CR LF before '<'
    decoder.RecieveAll(bytes);
    EXPECT_EQ(Cell(PageGas, 13, 2), "1,35");
}

TEST_F(DecoderTest, StartMarkerRecoversFromAnOverlongReply) {
    std::string overlong = GasReply().Bytes();
    overlong.insert(overlong.size() - 1, std::string(300, '7'));
    decoder.RecieveAll(overlong);
    EXPECT_EQ(decoder.ReplyFill(), kReplyFillLimit);
    EXPECT_EQ(prompt.beeps(), 0u);  // its end marker found no room

    decoder.RecieveAll(GasReply().Bytes());
    EXPECT_EQ(Cell(PageGas, 0, 1), "1/17");
    EXPECT_TRUE(errors.empty());
}

TEST_F(DecoderTest, BufferKeepsTrailingBytesUntilTheNextStartMarker) {
    const std::string reply = TempReply().Bytes();
    decoder.RecieveAll(reply + "xy");
    EXPECT_EQ(decoder.ReplyFill(), int(reply.size()) + 2);
    EXPECT_EQ(decoder.ReplyBuffer()[reply.size()], 'x');
    decoder.RecieveAll(">");
    EXPECT_EQ(decoder.ReplyFill(), 1);
}

TEST_F(DecoderTest, BytesWithLineErrorsAreDropped) {
    const std::string reply = GasReply().Bytes();
    const size_t tgDigit = reply.find("1234") + 2;  // the '3' of Tg
    for (size_t i = 0; i < reply.size(); ++i) decoder.Recieve(nullptr, uint8_t(reply[i]), i == tgDigit);
    EXPECT_EQ(Cell(PageGas, 3, 1), "12,4");

    // A lost end marker: nothing is decoded.
    for (size_t i = 0; i < reply.size(); ++i) decoder.Recieve(nullptr, uint8_t(reply[i]), i + 1 == reply.size());
    EXPECT_EQ(Rows(PageGas), 2);
    EXPECT_EQ(prompt.beeps(), 1u);
}

TEST_F(DecoderTest, TableWithOnlyAHeaderRowGetsItsRowsBelowIt) {
    // The state a data file holding only its header line leaves behind.
    model.Table(PageTemp).SetRowCount(1);
    decoder.RecieveAll(TempReply().Bytes());
    decoder.RecieveAll(TempReply().Bytes());
    EXPECT_EQ(Cell(PageTemp, 0, 0), "Номер");
    EXPECT_EQ(Cell(PageTemp, 0, 1), "1/3");
    EXPECT_EQ(Cell(PageTemp, 0, 2), "2/3");
}

TEST_F(DecoderTest, RowListenersHearOfCommittedRowsOnly) {
    std::vector<std::pair<int, int>> heard;
    decoder.AddRowListener([&](int page, int row) { heard.emplace_back(page, row); });
    decoder.RecieveAll(GasReply().Bytes());
    decoder.RecieveAll(GasReply().Keep(2).Bytes());
    decoder.RecieveAll(PrdReply().Bytes());
    decoder.RecieveAll(GasReply().Bytes());
    EXPECT_EQ(heard, (std::vector<std::pair<int, int>>{{PageGas, 1}, {PagePrd, 1}, {PageGas, 2}}));
}

// A page left in table mode follows its last 50 points; with every series
// hidden its automatic bottom axis shows [-1, 1], and the follow step must
// still let every row land whole with its page state.
TEST_F(DecoderTest, RowsLandWholeWhileFollowingAnAxisWithNothingShown) {
    std::array<ChartView, kPageCount> views = {DefaultChartView(0), DefaultChartView(1), DefaultChartView(2)};
    for (auto& series : views[PageGas].series) series.show = false;
    model.ChartsInit(views);
    Navigation nav(model);
    nav.ShowTables();
    nav.LeavePage();
    nav.EnterPage(PageTemp);
    ASSERT_EQ(model.Last50Mode(PageGas), 1);

    int heard = 0;
    decoder.AddRowListener([&](int, int) { ++heard; });
    for (int i = 0; i < 59; ++i) decoder.RecieveAll(GasReply().Bytes());
    model.SetNewData(PageGas, false);
    model.SetActivePage(PageTemp);
    decoder.RecieveAll(GasReply().Bytes());
    EXPECT_TRUE(model.NewData(PageGas));
    EXPECT_EQ(model.ActivePage(), PageGas);
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(heard, 60);
    EXPECT_EQ(Rows(PageGas), 61);
    EXPECT_EQ(model.Chart(PageGas).Series(0).Count(), 60u);
    EXPECT_TRUE(model.Chart(PageGas).Axis(AxisBottom).Automatic());

    // Once fixed, the bottom axis follows the last 50 points.
    model.Chart(PageGas).SetAutomatic(AxisBottom, false);
    decoder.RecieveAll(GasReply().Bytes());
    EXPECT_EQ(model.Chart(PageGas).ShownRange(AxisBottom), (AxisRange{11, 61}));
}

// Damaged traffic from the simulator: nothing escapes, every row that was
// committed is whole, and clean replies after the noise still decode.
TEST_F(DecoderTest, SurvivesDamagedTraffic) {
    ReplyGenerator generator(7);
    int committed = 0;
    decoder.AddRowListener([&](int, int) { ++committed; });
    int clean = 0;
    for (int i = 0; i < 3000; ++i) {
        const int page = generator.PickPage({5, 2, 2});
        std::string reply = generator.Reply(page, i % 2 == 0);
        if (generator.Random().Chance(0.5))
            reply = generator.Damage(reply, ReplyFault(generator.Random().Below(kReplyFaultCount)));
        else
            ++clean;
        ASSERT_NO_THROW(decoder.RecieveAll(reply));
    }
    int rows = 0;
    for (int page = 0; page < kPageCount; ++page) {
        const auto& table = model.Table(page);
        for (int r = 1; r < table.RowCount() && !table.IsEmpty(); ++r, ++rows) {
            ASSERT_FALSE(table.Cell(0, r).empty());
            for (int c = ChartFirstColumn(page); c <= ChartLastColumn(page); ++c)
                ASSERT_NO_THROW(CellValue(table.Cell(c, r))) << page << " " << r << " " << c;
        }
    }
    EXPECT_EQ(rows, committed);
    EXPECT_GE(committed, clean);  // some damage (noise before '>') is harmless
    EXPECT_FALSE(errors.empty());

    const int next = model.Table(PageTemp).IsEmpty() ? 1 : Rows(PageTemp);
    decoder.RecieveAll(TempReply().Bytes());
    EXPECT_EQ(Rows(PageTemp), next + 1);
    EXPECT_EQ(Cell(PageTemp, 3, next), "450,2");
}

}  // namespace
