#include <gtest/gtest.h>

#include "core/RecentErrors.h"

using namespace vornik;

TEST(RecentErrors, FoldsRepeatsAndKeepsOnlyTheNewest) {
    RecentErrors errors(3);
    const DateTime t{2026, 12, 8, 9, 5, 7, 0};
    errors.Add(t, "Range check error");
    errors.Add(t, "Range check error");
    errors.Add(t, "'1-2' is not a valid integer value");
    errors.Add(t, "a");
    errors.Add(t, "b");
    EXPECT_EQ(errors.Total(), 5u);
    ASSERT_EQ(errors.Entries().size(), 3u);
    EXPECT_EQ(errors.Entries().front().text, "'1-2' is not a valid integer value");
    EXPECT_EQ(errors.Entries().back().text, "b");
    EXPECT_EQ(FormatTimeOfDay(t), "09:05:07");
}
