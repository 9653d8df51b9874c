// Calendar time, local or UTC. UTC is worked out without the C library's
// conversion (which a forked child could find locked), so it is held to it.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <vector>

#include "platform/clock.h"

namespace qm::platform {

TEST(PlatformClock, LocalAndUtcFieldsNameTheCurrentSecond) {
    // system_clock reads the fine-grained clock; std::time may lag it by a tick.
    using Clock = std::chrono::system_clock;
    for (bool local : {false, true}) {
        SCOPED_TRACE(local ? "local" : "UTC");
        CalendarTime now{};
        std::time_t before, after;
        long long seconds;
        do {  // read again when the second turned meanwhile
            before = Clock::to_time_t(Clock::now());
            GetCurrentTime(local, &now);
            seconds = SecondsSinceEpoch();
            after = Clock::to_time_t(Clock::now());
        } while (before != after);
        EXPECT_EQ(seconds, static_cast<long long>(before));
        const std::tm t = *(local ? std::localtime : std::gmtime)(&before);
        EXPECT_EQ((std::vector<int>{now.year, now.month, now.day, now.hour, now.minute, now.second,
                                    now.dayOfWeek, now.dayOfYear}),
                  (std::vector<int>{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min,
                                    t.tm_sec, t.tm_wday, t.tm_yday}));
        EXPECT_TRUE(now.millisecond >= 0 && now.millisecond <= 999) << now.millisecond;
    }
    GetCurrentTime(true, nullptr);
}

}  // namespace qm::platform
