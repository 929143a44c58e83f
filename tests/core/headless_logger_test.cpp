#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ReplyBuilder.h"
#include "ScriptedPrompt.h"
#include "core/Clock.h"
#include "core/Cp1251.h"
#include "headless/HeadlessLogger.h"
#include "headless/ThrottledLog.h"
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
    HeadlessLoggerTest() : folder(dir.path()), clock(DateTime{2024, 3, 5, 23, 59, 0, 0}) {}

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

    TempDir dir;
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
    EXPECT_EQ(ReadAll((folder / "vornik-24-03-05.tmpr").u8string()),
              kTempHeader +
                  Line({"1/3", "05.03.24", "09:31:00", "450,2", "453,0", "448,0", "5,0", "25,1", "12", "Печь"}) +
                  Line({"2/4", "05.03.24", "09:31:00", "-0,7", "453,0", "448,0", "5,0", "25,1", "12", "Печь"}));
    const std::string gas = ReadAll((folder / "vornik-24-03-05.gas").u8string());
    EXPECT_EQ(gas.substr(0, gas.find("\r\n")), Utf8ToCp1251("Номер\tДата\tВремя\tTg,*С\tO2,%\tCO\tNO\tNO2\tSO2\t"
                                                           "H2S\tCO2,%\tСH\tQa,%\tAlf\tNOx\tTa,*С\tTi,*С\t"
                                                           "Ед.изм.\tОбъект\tТопливо\t"));
    EXPECT_EQ(std::count(gas.begin(), gas.end(), '\t'), 40);
    EXPECT_FALSE(fs::exists(folder / "vornik-24-03-05.prd"));
    EXPECT_EQ(run.logger.RowsWritten(), 3);
    EXPECT_EQ(run.errors, std::vector<std::string>{"Range check error"});
}

TEST_F(HeadlessLoggerTest, ARestartNumbersOnFromTheDaysFileAndANewDayStartsAtOne) {
    {
        Run first(*this, folder);
        first.decoder.RecieveAll(TempReply().Bytes());
        first.decoder.RecieveAll(TempReply().Set(1, "8").Bytes());
    }
    // A line cut off by an earlier end is not continued but replaced.
    { std::ofstream(folder / "vornik-24-03-05.tmpr", std::ios::app) << "3/8\t05.03"; }
    Run second(*this, folder);
    second.decoder.RecieveAll(TempReply().Set(1, "9").Bytes());
    const std::string day = ReadAll((folder / "vornik-24-03-05.tmpr").u8string());
    EXPECT_EQ(day.find(kTempHeader), 0u);
    EXPECT_EQ(day.find(kTempHeader, 1), std::string::npos);
    EXPECT_EQ(day.substr(day.rfind("\r\n", day.size() - 3) + 2, 5), "3/9\t0");
    EXPECT_EQ(std::count(day.begin(), day.end(), '\n'), 4);

    clock.Set(DateTime{2024, 3, 6, 0, 0, 1, 0});
    second.decoder.RecieveAll(TempReply().Set(1, "10").Bytes());
    EXPECT_EQ(ReadAll((folder / "vornik-24-03-06.tmpr").u8string()),
              kTempHeader +
                  Line({"1/10", "05.03.24", "09:31:00", "450,2", "453,0", "448,0", "5,0", "25,1", "12", "Печь"}));
}

TEST_F(HeadlessLoggerTest, AnEmptyFileGetsTheHeader) {
    std::ofstream(folder / "vornik-24-03-05.tmpr").close();
    Run run(*this, folder);
    run.decoder.RecieveAll(TempReply().Bytes());
    EXPECT_EQ(ReadAll((folder / "vornik-24-03-05.tmpr").u8string()).find(kTempHeader), 0u);
}

TEST_F(HeadlessLoggerTest, AFileThatCannotBeWrittenIsReportedAndReceptionGoesOn) {
    Run run(*this, folder / "missing");
    run.decoder.RecieveAll(PrdReply().Bytes());
    ASSERT_EQ(run.errors.size(), 1u);
    EXPECT_EQ(run.errors[0].rfind("Ошибка записи данных!", 0), 0u);
    EXPECT_NE(run.errors[0].find("vornik-24-03-05.prd"), std::string::npos);
    EXPECT_EQ(run.model.Table(PagePrd).Cell(0, 1), "1/5");  // the row itself stays
    EXPECT_EQ(run.logger.RowsWritten(), 0);

    run.decoder.RecieveAll(PrdReply().Set(1, "6").Bytes());  // kept, not reported again
    EXPECT_EQ(run.errors.size(), 1u);
    EXPECT_EQ(run.logger.KeptRows(), 2u);

    fs::create_directories(folder / "missing");
    EXPECT_EQ(run.logger.WriteKeptRows(), 2u);
    run.decoder.RecieveAll(PrdReply().Set(1, "7").Bytes());
    EXPECT_EQ(run.logger.RowsWritten(), 3);
    const std::string day = ReadAll((folder / "missing" / "vornik-24-03-05.prd").u8string());
    EXPECT_LT(day.find("\r\n1/5\t"), day.find("\r\n2/6\t"));
    EXPECT_LT(day.find("\r\n2/6\t"), day.find("\r\n3/7\t"));
}

TEST(ThrottledLog, AnErrorIsLoggedAtMostOnceAMinuteWithTheCountOfItsRepeats) {
    std::vector<std::string> lines;
    ThrottledLog log([&lines](const std::string& line) { lines.push_back(line); });
    const auto start = ThrottledLog::Time();
    const auto at = [start](int seconds) { return start + std::chrono::seconds(seconds); };
    log.Add("'1-2' is not a valid integer value", at(0));
    log.Add("Range check error", at(1));
    for (int s = 1; s < 60; ++s) log.Add("'--' is not a valid integer value", at(s));  // the same kind
    log.Flush(at(59));
    EXPECT_EQ(lines, (std::vector<std::string>{"'1-2' is not a valid integer value", "Range check error"}));

    log.Flush(at(60));  // a minute after its line
    log.Add("'Er' is not a valid integer value", at(61));
    log.Flush(at(119));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "'--' is not a valid integer value (59 more like it since the last such line)");
    log.Flush(at(120));
    log.Flush(at(180));  // a quiet minute: the next one is logged at once
    log.Add("'xx' is not a valid integer value", at(181));
    log.Add("'yy' is not a valid integer value", at(182));
    log.Add("Range check error", at(182));
    log.Flush(at(183), true);  // the end
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()),
              (std::vector<std::string>{"'Er' is not a valid integer value (1 more like it since the last such line)",
                                        "'xx' is not a valid integer value", "Range check error",
                                        "'yy' is not a valid integer value (1 more like it since the last such line)"}));
}

#ifndef _WIN32
// A full disk, as the process sees it: files may not grow past a limit.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, old_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

TEST_F(HeadlessLoggerTest, AFullDiskTearsNoRowAndTheKeptRowsFollowInOrderWhenSpaceReturns) {
    Run run(*this, folder);
    run.decoder.RecieveAll(GasReply().Bytes());
    const fs::path path = folder / "vornik-24-03-05.gas";
    const std::string before = ReadAll(path);
    {
        FileSizeLimit full(before.size() + 40);  // room for part of a row only
        for (const char* n : {"11", "12", "13"}) run.decoder.RecieveAll(GasReply().Set(1, n).Bytes());
        EXPECT_EQ(ReadAll(path), before);
        ASSERT_EQ(run.errors.size(), 1u);  // once, not per row
        EXPECT_EQ(run.errors[0].rfind("Ошибка записи данных! " + path.u8string(), 0), 0u);
        EXPECT_EQ(run.logger.KeptRows(), 3u);
    }
    run.decoder.RecieveAll(GasReply().Set(1, "14").Bytes());
    EXPECT_EQ(run.logger.KeptRows(), 0u);
    std::istringstream lines(ReadAll(path));
    std::string line;
    std::vector<std::string> starts;
    while (std::getline(lines, line)) {
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 20) << line;
        starts.push_back(line.substr(0, line.find('\t')));
    }
    EXPECT_EQ(starts, (std::vector<std::string>{Utf8ToCp1251("Номер"), "1/17", "2/11", "3/12", "4/13", "5/14"}));
}

TEST_F(HeadlessLoggerTest, ALinkPlantedByAnotherUserInASharedFolderIsNotFollowed) {
    if (geteuid() != 0) GTEST_SKIP() << "a link of another user can only be made as root";
    const fs::path shared = folder / "shared";
    fs::create_directory(shared);
    chmod(shared.c_str(), 01777);  // like /tmp
    const fs::path victim = folder / "victim";
    WriteAll(victim, "precious\r\n");
    const fs::path link = shared / "vornik-24-03-05.tmpr";
    fs::create_symlink(victim, link);
    ASSERT_EQ(lchown(link.c_str(), 65534, 65534), 0);

    Run run(*this, shared);
    run.decoder.RecieveAll(TempReply().Bytes());
    EXPECT_EQ(ReadAll(victim), "precious\r\n");
    ASSERT_EQ(run.errors.size(), 1u);
    EXPECT_EQ(run.logger.KeptRows(), 1u);

    // A link of our own is written through.
    ASSERT_EQ(lchown(link.c_str(), geteuid(), getegid()), 0);
    EXPECT_EQ(run.logger.WriteKeptRows(), 1u);
    EXPECT_NE(ReadAll(victim).find("\r\n1/3\t"), std::string::npos);
}
#endif

}  // namespace
