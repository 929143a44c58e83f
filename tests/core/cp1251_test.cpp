#include <gtest/gtest.h>

#include "core/Cp1251.h"

using namespace vornik;

TEST(Cp1251, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Cp1251, CyrillicAndSymbols) {
    EXPECT_EQ(Utf8ToCp1251("Объект"), "\xCE\xE1\xFA\xE5\xEA\xF2");
    EXPECT_EQ(Cp1251ToUtf8("\xA8\xB8\xB9"), "Ёё№");
    EXPECT_EQ(Utf8ToCp1251("日"), "?");
}
