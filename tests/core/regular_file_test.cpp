// Files the program reads must be files on the disk: a device of the same
// name would block the reader or feed it endless bytes.
#include <gtest/gtest.h>

#include <cstdio>

#include "TestFiles.h"
#include "core/RegularFile.h"

using namespace vornik;
using namespace vornik::test;

TEST(RegularFile, DevicesAreRefusedAndFilesOpenUnderAnyName) {
    TempDir dir;
#ifdef _WIN32
    const std::string devices[] = {"NUL", dir / "com1.gas"};
#else
    const std::string devices[] = {"/dev/null", "/dev/zero"};
#endif
    for (const std::string& device : devices) {
        std::string error;
        EXPECT_EQ(OpenRegularFile(device, &error), nullptr) << device;
        EXPECT_EQ(error, "not a regular file") << device;
    }

    std::string error;
    EXPECT_EQ(OpenRegularFile(dir / "missing.gas", &error), nullptr);
    EXPECT_FALSE(error.empty());

    const std::string cyrillic = dir / "котёл №2.gas";
    WriteAll(cyrillic, "Номер\t\r\n");
    std::FILE* file = OpenRegularFile(cyrillic, &error);
    ASSERT_NE(file, nullptr) << error;
    char head[7] = {};
    EXPECT_EQ(std::fread(head, 1, 6, file), 6u);
    EXPECT_EQ(std::string(head), "Ном");
    std::fclose(file);
}
