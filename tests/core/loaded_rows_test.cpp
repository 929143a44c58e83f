#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ReplyBuilder.h"
#include "ScriptedPrompt.h"
#include "datafiles/DataFile.h"
#include "reception/ReplyDecoder.h"
#include "tables/MainModel.h"

#include "TestFiles.h"

using namespace vornik;
using namespace vornik::test;
namespace fs = std::filesystem;

namespace {

// A data row of a file edited by hand may lack its number in column 0. It is
// still a measurement with a chart point: the next received reply must go
// into a new row, not over it.
TEST(LoadedRows, ReplyAfterLoadingARowWithoutNumberAddsARow) {
    TempDir dir;
    const fs::path file = dir / "loaded_rows_test.tmpr";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        << "N\tD\tT\tTg\tTmax\tTmin\tTdif\tTp\tn\tObj\t\r\n"
        << "\t05.03.24\t09:00:00\t1,0\t2,0\t3,0\t4,0\t5,0\t1\tA\t\r\n";
    MainModel model;
    ScriptedPrompt prompt;
    LoadInFile(model, file.string(), prompt);
    ASSERT_TRUE(prompt.boxes().empty());

    ReplyDecoder decoder(model, prompt);
    decoder.RecieveAll(TempReply().Bytes());

    const MeasurementTable& table = model.Table(PageTemp);
    ASSERT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.Cell(1, 1), "05.03.24");
    EXPECT_EQ(table.Cell(0, 2), "2/3");
    EXPECT_EQ(model.Chart(PageTemp).Series(0).Count(), 2u);
}

}  // namespace
