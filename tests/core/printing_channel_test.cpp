// The printer text channel over a printer with known metrics: 10 x 20 pixel
// characters, '|' 30 pixels high.
#include <gtest/gtest.h>

#include "FakePrinter.h"
#include "printing/TextChannel.h"

namespace vornik {
namespace {

using test::DrawnText;
using test::FakePrinter;

class TextChannelTest : public ::testing::Test {
protected:
    FakePrinter printer;
    TextChannel channel{printer};
};

TEST_F(TextChannelTest, OpenAndCloseMakeOneJob) {
    channel.Close();  // not open: nothing to end
    EXPECT_EQ(printer.ended, 0);
    channel.Open("Печать базы данных");
    EXPECT_TRUE(channel.IsOpen());
    channel.Close();
    channel.Close();
    EXPECT_EQ(printer.jobName, "Печать базы данных");
    EXPECT_EQ(printer.calls, (std::vector<std::string>{"begin", "end"}));
}

TEST_F(TextChannelTest, TextAdvancesAndLinesStackByTallestTextPlusTwo) {
    channel.Open("job");
    channel.Write("ab");
    channel.Write("c|");
    EXPECT_EQ(channel.X(), 40);
    channel.EndLine();  // tallest text 30: the line is 32 high
    channel.WriteLine("xyz");
    channel.EndLine();  // nothing drawn: the character height
    channel.Write("q");
    EXPECT_EQ(printer.drawn, (std::vector<DrawnText>{{1, 0, 0, "ab"}, {1, 20, 0, "c|"}, {1, 0, 32, "xyz"},
                                                     {1, 0, 74, "q"}}));
}

TEST_F(TextChannelTest, CrDoesNothingAndLfEndsTheLine) {
    channel.Open("job");
    channel.Write("one\r\ntwo\r");
    channel.Write("\nthree");
    EXPECT_EQ(printer.Lines(1), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(printer.drawn[2].y, 44);
}

TEST_F(TextChannelTest, LongLineWrapsBetweenCharactersAtTheRightEdge) {
    printer.width = 1620;  // 162 characters
    channel.Open("job");
    std::string line;
    for (int i = 0; i < 200; ++i) line += static_cast<char>('a' + i % 26);
    channel.Write("  ");
    channel.WriteLine(line);
    ASSERT_EQ(printer.drawn.size(), 3u);
    EXPECT_EQ(printer.drawn[0].text, "  ");
    EXPECT_EQ(printer.drawn[1], (DrawnText{1, 20, 0, line.substr(0, 160)}));
    EXPECT_EQ(printer.drawn[2], (DrawnText{1, 0, 22, line.substr(160)}));
    EXPECT_EQ(channel.Y(), 44);

    // Exactly the printable width still fits on one line.
    channel.WriteLine(std::string(162, 'x'));
    EXPECT_EQ(printer.drawn.size(), 4u);
    EXPECT_EQ(channel.Y(), 66);
}

TEST_F(TextChannelTest, VeryLongTextWrapsWithFewMeasurements) {
    printer.width = 1000;
    channel.Open("job");
    channel.WriteLine(std::string(100000, 'x'));
    EXPECT_EQ(printer.drawn.size(), 1000u);
    EXPECT_LT(printer.measurements, 1000 * 40);
}

TEST_F(TextChannelTest, CharacterWiderThanThePageIsDrawnAloneInsteadOfLoopingForEver) {
    printer.width = 5;
    channel.Open("job");
    channel.WriteLine("abc");
    EXPECT_EQ(printer.Lines(1), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(TextChannelTest, NewPageWhenTheNextLineMightNotFit) {
    printer.height = 100;  // lines of 22: a break once y > 100 - 44
    channel.Open("job");
    for (int i = 0; i < 7; ++i) channel.WriteLine("line" + std::to_string(i));
    EXPECT_EQ(printer.Lines(1), (std::vector<std::string>{"line0", "line1", "line2"}));
    EXPECT_EQ(printer.Lines(2), (std::vector<std::string>{"line3", "line4", "line5"}));
    EXPECT_EQ(printer.Lines(3), (std::vector<std::string>{"line6"}));
    EXPECT_EQ(printer.drawn[3].y, 0);
    EXPECT_EQ(printer.drawn[5].y, 44);
    channel.Close();
    EXPECT_EQ(printer.pages, 3);
}

TEST_F(TextChannelTest, EmptyLinesBreakOnlyPastThePageHeight) {
    printer.height = 60;  // empty lines of 20: y 20, 40, 60 stay, 80 breaks
    channel.Open("job");
    for (int i = 0; i < 3; ++i) channel.EndLine();
    EXPECT_EQ(printer.pages, 1);
    EXPECT_EQ(channel.Y(), 60);
    channel.EndLine();
    EXPECT_EQ(channel.Y(), 0);
    channel.Write("x");
    EXPECT_EQ(printer.pages, 2);
    EXPECT_EQ(printer.drawn.back(), (DrawnText{2, 0, 0, "x"}));
}

TEST_F(TextChannelTest, BreakAfterTheLastLineLeavesNoBlankPage) {
    printer.height = 100;
    channel.Open("job");
    for (int i = 0; i < 6; ++i) channel.WriteLine("line" + std::to_string(i));
    channel.EndLine();
    channel.Close();
    EXPECT_EQ(printer.pages, 2);
    EXPECT_EQ(printer.calls.back(), "end");
}

TEST_F(TextChannelTest, WrappedLineCanBreakThePage) {
    printer.width = 100;
    printer.height = 100;
    channel.Open("job");
    channel.WriteLine(std::string(45, 'x'));  // four full lines and a short one
    EXPECT_EQ(printer.Lines(1).size(), 3u);
    EXPECT_EQ(printer.Lines(2), (std::vector<std::string>{std::string(10, 'x'), "xxxxx"}));
}

}  // namespace
}  // namespace vornik
