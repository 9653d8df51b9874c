// Calendar time and library loading.
#include <gtest/gtest.h>

#include <ctime>

#include "platform/clock.h"
#include "platform/dynamic_library.h"

namespace qm {
namespace platform {
namespace {

TEST(PlatformClock, UtcTimeMatchesTheStandardClock) {
    const std::time_t before = std::time(nullptr);
    CalendarTime now{};
    GetCurrentTime(false, &now);
    const long long seconds = SecondsSinceEpoch();
    const std::time_t after = std::time(nullptr);

    EXPECT_GE(seconds, static_cast<long long>(before));
    EXPECT_LE(seconds, static_cast<long long>(after));
    EXPECT_GE(now.millisecond, 0);
    EXPECT_LE(now.millisecond, 999);

    // Rebuild the epoch seconds from the UTC fields (leap days counted since 1970).
    const long long days = now.dayOfYear + 365LL * (now.year - 1970) +
                           (now.year - 1969) / 4 - (now.year - 1901) / 100 +
                           (now.year - 1601) / 400;
    const long long rebuilt = days * 86400 + now.hour * 3600 + now.minute * 60 + now.second;
    EXPECT_GE(rebuilt, static_cast<long long>(before));
    EXPECT_LE(rebuilt, static_cast<long long>(after));
    EXPECT_EQ(now.dayOfWeek, static_cast<int>((days + 4) % 7));  // 1970-01-01 was a Thursday
}

TEST(PlatformClock, LocalTimeFieldsAreInRange) {
    CalendarTime now{};
    GetCurrentTime(true, &now);
    EXPECT_GE(now.year, 2000);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
    EXPECT_LE(now.hour, 23);
    EXPECT_LE(now.minute, 59);
    EXPECT_LE(now.second, 60);
    GetCurrentTime(true, nullptr);
}

TEST(PlatformLibrary, MissingNamesAndNullsGiveNull) {
    EXPECT_EQ(LoadLibraryByName(nullptr), nullptr);
    EXPECT_EQ(LoadLibraryByName(""), nullptr);
    EXPECT_EQ(LoadLibraryByName("qm_no_such_component_library"), nullptr);
    EXPECT_EQ(FindLibrarySymbol(nullptr, "GetComponentPtr"), nullptr);
    FreeLibraryHandle(nullptr);
}

}  // namespace
}  // namespace platform
}  // namespace qm
