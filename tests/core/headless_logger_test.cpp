#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ReplyBuilder.h"
#include "ScriptedPrompt.h"
#include "core/Clock.h"
#include "core/Cp1251.h"
#include "headless/HeadlessLogger.h"
#include "reception/ReplyDecoder.h"
#include "tables/MainModel.h"

#include "TestFiles.h"

using namespace vornik;
using namespace vornik::test;
namespace fs = std::filesystem;

namespace {

// Cells (UTF-8) as a data file line: each followed by TAB, then CR LF.
std::string Line(const std::vector<std::string>& cells) {
    std::string line;
    for (const auto& c : cells) line += Utf8ToCp1251(c) + "\t";
    return line + "\r\n";
}

const std::string kTempHeader =
    Line({"Номер", "Дата", "Время", "Tg,*С", "Tmax,*С", "Tmin,*С", "Tdif,*С", "Tp,*С", "n", "Объект"});

class HeadlessLoggerTest : public ::testing::Test {
protected:
    HeadlessLoggerTest()
        : folder(fs::path(tempDir.path()) /
                 ::testing::UnitTest::GetInstance()->current_test_info()->name()),
          clock(DateTime{2024, 3, 5, 23, 59, 0, 0}) {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }

    // A program run: a fresh table and decoder logging into `folder`.
    struct Run {
        Run(HeadlessLoggerTest& t, const fs::path& into)
            : decoder(model, prompt, [this](const std::string& e) { errors.push_back(e); }),
              logger(model, t.clock, into.u8string(), "vornik") {
            model.GridsLayout(800);
            logger.Attach(decoder);
        }
        MainModel model;
        ScriptedPrompt prompt;
        std::vector<std::string> errors;
        ReplyDecoder decoder;
        HeadlessLogger logger;
    };

    TempDir tempDir;
    fs::path folder;
    FixedClock clock;
};

TEST_F(HeadlessLoggerTest, EveryDecodedRowGoesToTheDaysFileOfItsKind) {
    Run run(*this, folder);
    run.decoder.RecieveAll(TempReply().Bytes());
    run.decoder.RecieveAll(TempReply().Keep(4).Bytes());  // fails: written nowhere
    run.decoder.RecieveAll(TempReply().Set(1, "4").Set(5, "-7").Bytes());
    run.decoder.RecieveAll(GasReply().Bytes());

    EXPECT_EQ(run.logger.FilePath(PageTemp), (folder / "vornik-24-03-05.tmpr").u8string());
    EXPECT_EQ(ReadAll(folder / "vornik-24-03-05.tmpr"),
              kTempHeader +
                  Line({"1/3", "05.03.24", "09:31:00", "450,2", "453,0", "448,0", "5,0", "25,1", "12", "Печь"}) +
                  Line({"2/4", "05.03.24", "09:31:00", "-0,7", "453,0", "448,0", "5,0", "25,1", "12", "Печь"}));
    const std::string gas = ReadAll(folder / "vornik-24-03-05.gas");
    EXPECT_EQ(gas.substr(0, gas.find("\r\n")), Utf8ToCp1251("Номер\tДата\tВремя\tTg,*С\tO2,%\tCO\tNO\tNO2\tSO2\t"
                                                           "H2S\tCO2,%\tСH\tQa,%\tAlf\tNOx\tTa,*С\tTi,*С\t"
                                                           "Ед.изм.\tОбъект\tТопливо\t"));
    EXPECT_EQ(std::count(gas.begin(), gas.end(), '\t'), 40);
    EXPECT_FALSE(fs::exists(folder / "vornik-24-03-05.prd"));
    EXPECT_EQ(run.logger.RowsWritten(), 3);
    EXPECT_EQ(run.errors, std::vector<std::string>{"Range check error"});
}

TEST_F(HeadlessLoggerTest, ARestartContinuesTheDaysFileAndANewDayStartsANewOne) {
    {
        Run first(*this, folder);
        first.decoder.RecieveAll(TempReply().Bytes());
    }
    Run second(*this, folder);
    second.decoder.RecieveAll(TempReply().Set(1, "9").Bytes());
    const std::string day = ReadAll(folder / "vornik-24-03-05.tmpr");
    EXPECT_EQ(day.find(kTempHeader), 0u);
    EXPECT_EQ(day.find(kTempHeader, 1), std::string::npos);
    EXPECT_NE(day.find("\r\n1/9\t"), std::string::npos);  // numbered by the new run's table

    clock.Set(DateTime{2024, 3, 6, 0, 0, 1, 0});
    second.decoder.RecieveAll(TempReply().Set(1, "10").Bytes());
    EXPECT_EQ(ReadAll(folder / "vornik-24-03-06.tmpr"),
              kTempHeader +
                  Line({"2/10", "05.03.24", "09:31:00", "450,2", "453,0", "448,0", "5,0", "25,1", "12", "Печь"}));
}

TEST_F(HeadlessLoggerTest, AnEmptyFileGetsTheHeader) {
    std::ofstream(folder / "vornik-24-03-05.tmpr").close();
    Run run(*this, folder);
    run.decoder.RecieveAll(TempReply().Bytes());
    EXPECT_EQ(ReadAll(folder / "vornik-24-03-05.tmpr").find(kTempHeader), 0u);
}

TEST_F(HeadlessLoggerTest, AFileThatCannotBeWrittenIsReportedAndReceptionGoesOn) {
    Run run(*this, folder / "missing");
    run.decoder.RecieveAll(PrdReply().Bytes());
    ASSERT_EQ(run.errors.size(), 1u);
    EXPECT_EQ(run.errors[0].rfind("Ошибка записи данных!", 0), 0u);
    EXPECT_NE(run.errors[0].find("vornik-24-03-05.prd"), std::string::npos);
    EXPECT_EQ(run.model.Table(PagePrd).Cell(0, 1), "1/5");  // the row itself stays
    EXPECT_EQ(run.logger.RowsWritten(), 0);

    fs::create_directories(folder / "missing");
    run.decoder.RecieveAll(PrdReply().Bytes());
    EXPECT_EQ(run.logger.RowsWritten(), 1);
}

}  // namespace
