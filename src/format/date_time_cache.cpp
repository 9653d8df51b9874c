// The texts of the current second, kept per thread: they change once a
// second, and building one (a local time conversion under a lock, a calendar
// calculation, the names) costs more than the rest of a line around it.
#include <cstring>

#include "format/date_time_text.h"
#include "format/thread_cache.h"
#include "platform/clock.h"

namespace qm {

namespace {

// Plain data only: nothing to run when a thread ends, so no exit hook of
// an unloaded library can be left behind.
struct SecondText {
    long long second;
    bool valid;
    unsigned char length;
    char text[kDateTimeAreaSize];
};

// The one rule of every per-second text: rebuilt by build(second, local,
// area) only when the second or the time kind differs from the thread's last
// one. A text that does not fit (length 0) is not kept, and the next line
// tries again. One entry per time kind, so a thread writing to both UTC and
// local loggers does not rebuild on every line.
template <typename Build>
std::size_t TextOfSecond(SecondText (&caches)[2], long long second, bool useLocalTime, Build build, char* out) {
    SecondText& cache = caches[useLocalTime ? 1 : 0];
    if (!cache.valid || cache.second != second) {
        char text[kDateTimeAreaSize];
        const std::size_t length = build(second, useLocalTime, text);
        if (length == 0 || length >= kDateTimeAreaSize) return 0;
        std::memcpy(cache.text, text, length);
        cache.length = static_cast<unsigned char>(length);
        cache.second = second;
        cache.valid = true;
    }
    std::memcpy(out, cache.text, cache.length);
    return cache.length;
}

std::size_t BuildDateText(long long second, bool useLocalTime, char* out) {
    platform::CalendarTime calendar{};
    platform::CalendarTimeAt(second, useLocalTime, &calendar);
    return FormatDateTimeText(ToBrokenDownTime(calendar), out, kDateTimeAreaSize);
}

// Millisecond 0; the caller writes the real ones over the three digits.
std::size_t BuildRfc3339Stamp(long long second, bool useLocalTime, char* out) {
    platform::CalendarTime calendar{};
    int offsetMinutes = 0;
    platform::CalendarTimeAt(second, useLocalTime, &calendar, &offsetMinutes);
    calendar.millisecond = 0;
    return FormatRfc3339Stamp(calendar, offsetMinutes, !useLocalTime, out, kDateTimeAreaSize);
}

}  // namespace

std::size_t CurrentDateTimeText(bool useLocalTime, char* out) {
    long long second = 0;
    int millisecond = 0;
    platform::ReadRealTime(&second, &millisecond);
    return DateTimeTextAt(second, useLocalTime, out);
}

std::size_t DateTimeTextAt(long long second, bool useLocalTime, char* out) {
    QM_THREAD_CACHE SecondText caches[2] = {};
    return TextOfSecond(caches, second, useLocalTime, BuildDateText, out);
}

std::size_t CurrentRfc3339Stamp(bool useLocalTime, char* out) {
    QM_THREAD_CACHE SecondText caches[2] = {};
    long long second = 0;
    int millisecond = 0;
    platform::ReadRealTime(&second, &millisecond);
    const std::size_t length = TextOfSecond(caches, second, useLocalTime, BuildRfc3339Stamp, out);
    // The milliseconds follow "YYYY-MM-DDTHH:MM:SS." whatever the zone.
    const char* dot = static_cast<const char*>(std::memchr(out, '.', length));
    if (dot == nullptr || static_cast<std::size_t>(dot - out) + 4 > length) return length;
    char* digits = out + (dot - out) + 1;
    digits[0] = static_cast<char>('0' + millisecond / 100);
    digits[1] = static_cast<char>('0' + millisecond / 10 % 10);
    digits[2] = static_cast<char>('0' + millisecond % 10);
    return length;
}

}  // namespace qm
