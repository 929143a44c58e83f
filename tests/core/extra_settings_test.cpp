#include <gtest/gtest.h>

#include "TestFiles.h"
#include "config/ExtraSettings.h"

using namespace vornik;
using vornik::test::TempDir;
using vornik::test::WriteAll;

TEST(ExtraSettings, LiesBesideTheRecordAndSurvivesAWriteAndARead) {
    EXPECT_EQ(ExtraSettingsFileName("/opt/v/vornik-pc.ini"), "/opt/v/vornik-pc.extra.ini");
    EXPECT_EQ(ExtraSettingsFileName("/opt/v/settings"), "/opt/v/settings.extra.ini");

    TempDir dir;
    const std::string file = dir / "vornik-pc.extra.ini";
    EXPECT_EQ(ReadExtraSettings(file), ExtraSettings{}) << "a missing file gives the defaults";
    EXPECT_FALSE(ExtraSettings{}.printChartHeader);

    ExtraSettings changed;
    changed.statisticsShown = true;
    changed.keepPage = true;
    changed.printChartHeader = true;
    changed.timeAxis = {false, true, false};
    ASSERT_TRUE(WriteExtraSettings(file, changed));
    EXPECT_EQ(ReadExtraSettings(file), changed);
}

TEST(ExtraSettings, ADamagedFileGivesTheDefaultsAndNewerNamesArePassedOver) {
    TempDir dir;
    const std::string file = dir / "x.extra.ini";
    ExtraSettings changed;
    changed.keepPage = true;
    const std::string good = FormatExtraSettings(changed);

    WriteAll(file, "future_option=42\r\n" + good);
    EXPECT_EQ(ReadExtraSettings(file), changed) << "unknown names and CR LF are read past";

    for (const std::string& damaged : {good + "keep_page=yes\n", good + "garbage line\n",
                                       std::string("\x00\xff\x13", 3) + good, good + std::string(5000, '#')}) {
        WriteAll(file, damaged);
        EXPECT_EQ(ReadExtraSettings(file), ExtraSettings{}) << damaged.substr(0, 40);
    }
    // A folder of that name is no file either.
    EXPECT_EQ(ReadExtraSettings(dir.path()), ExtraSettings{});
}
