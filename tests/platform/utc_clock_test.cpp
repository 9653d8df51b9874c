// UTC calendar time is worked out without the C library's conversion (which
// a forked child could find locked): it must agree with that conversion.
#include <ctime>

#include <gtest/gtest.h>

#include "platform/clock.h"

TEST(UtcClock, AgreesWithTheCLibraryConversion) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        const std::time_t before = std::time(nullptr);
        qm::platform::CalendarTime ours{};
        qm::platform::GetCurrentTime(false, &ours);
        const std::time_t after = std::time(nullptr);
        if (before != after) continue;  // a second ticked over between the readings
        const std::tm* theirs = std::gmtime(&before);
        ASSERT_NE(nullptr, theirs);
        EXPECT_EQ(theirs->tm_year + 1900, ours.year);
        EXPECT_EQ(theirs->tm_mon + 1, ours.month);
        EXPECT_EQ(theirs->tm_mday, ours.day);
        EXPECT_EQ(theirs->tm_hour, ours.hour);
        EXPECT_EQ(theirs->tm_min, ours.minute);
        EXPECT_EQ(theirs->tm_sec, ours.second);
        EXPECT_EQ(theirs->tm_wday, ours.dayOfWeek);
        EXPECT_EQ(theirs->tm_yday, ours.dayOfYear);
        return;
    }
    FAIL() << "the clock never held still for a reading";
}
