// Names beyond ASCII (a Cyrillic user or folder name) reach the system whole
// on every platform: UTF-8 inside the program, the wide API on Windows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "TestFiles.h"
#include "core/Paths.h"
#include "headless/DayFileAppend.h"

using namespace vornik;
using namespace vornik::test;
namespace fs = std::filesystem;

TEST(UnicodePaths, TheUserFolderAndTheDayFilesKeepCyrillicNames) {
    TempDir dir;
    const std::string folder = dir / "Иван";
#ifdef _WIN32
    _wputenv_s(L"APPDATA", fs::u8path(folder).wstring().c_str());
#else
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
#endif
    EXPECT_EQ(UserConfigFolder(), folder);

    ASSERT_TRUE(MakeFolders(folder));
    EXPECT_TRUE(FolderWritable(folder));
    const std::string day = JoinPath(folder, "котёл-26-12-08.gas");
    std::string writtenTo, error;
    ASSERT_TRUE(AppendLines(day, "Номер\t\r\n", "/1\t\r\n", writtenTo, error)) << error;
    ASSERT_TRUE(AppendLines(day, "Номер\t\r\n", "/2\t\r\n", writtenTo, error)) << error;
    EXPECT_EQ(writtenTo, day);
    EXPECT_EQ(ReadAll(day), "Номер\t\r\n1/1\t\r\n2/2\t\r\n");
    EXPECT_TRUE(fs::exists(fs::u8path(folder) / fs::u8path("котёл-26-12-08.gas")));
}
