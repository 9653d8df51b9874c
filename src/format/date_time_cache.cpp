#include "format/date_time_cache.h"

#include <cstring>
#include <ctime>

#include "format/date_time_text.h"
#include "format/thread_cache.h"
#include "platform/clock.h"

namespace qm {

namespace {

// Plain data only: nothing to run when a thread ends, so no exit hook of
// an unloaded library can be left behind.
struct DateTextCache {
    long long second;
    bool valid;
    unsigned char length;
    char text[kDateTimeAreaSize];
};

std::size_t BuildDateText(long long second, bool useLocalTime, char* out) {
    platform::CalendarTime calendar{};
    platform::CalendarTimeAt(second, useLocalTime, &calendar);
    const std::tm time = ToBrokenDownTime(calendar);
    return FormatDateTimeText(time, out, kDateTimeAreaSize);
}

}  // namespace

std::size_t CurrentDateTimeText(bool useLocalTime, char* out) {
    long long second = 0;
    int millisecond = 0;
    platform::ReadRealTime(&second, &millisecond);
    return DateTimeTextAt(second, useLocalTime, out);
}

std::size_t DateTimeTextAt(long long second, bool useLocalTime, char* out) {
    // One entry per time kind, so a thread writing to both UTC and local
    // loggers does not rebuild on every line.
    QM_THREAD_CACHE DateTextCache caches[2] = {};
    DateTextCache& cache = caches[useLocalTime ? 1 : 0];
    if (!cache.valid || cache.second != second) {
        char text[kDateTimeAreaSize];
        const std::size_t length = BuildDateText(second, useLocalTime, text);
        // A year of more digits than the area holds gives no text; that is
        // not kept, and the next line tries again.
        if (length == 0 || length >= kDateTimeAreaSize) return 0;
        std::memcpy(cache.text, text, length);
        cache.length = static_cast<unsigned char>(length);
        cache.second = second;
        cache.valid = true;
    }
    std::memcpy(out, cache.text, cache.length);
    return cache.length;
}

}  // namespace qm
