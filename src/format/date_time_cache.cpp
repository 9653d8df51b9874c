// The texts of the current second, kept per thread: they change once a
// second, and building one (a local time conversion under a lock, a calendar
// calculation, the names) costs more than the rest of a line around it.
#include <cstring>

#include "format/date_time_text.h"
#include "format/decimal_text.h"
#include "format/process_id.h"
#include "format/thread_cache.h"
#include "platform/clock.h"
#include "platform/process.h"

namespace qm {

namespace {

// Plain data only: nothing to run when a thread ends, so no exit hook of
// an unloaded library can be left behind.
template <std::size_t Size>
struct SecondText {
    long long second;
    unsigned long long key;  // what else the text depends on (0 for none)
    bool valid;
    unsigned char length;
    char text[Size];
};

// The one rule of every per-second text: build(area) runs only when the
// second, the time kind or the key differs from the thread's last one. A
// text that does not fit (length 0) is not kept, and the next line tries
// again. One entry per time kind, so a thread writing to both UTC and local
// loggers does not rebuild on every line.
template <std::size_t Size, typename Build>
std::size_t TextOfSecond(SecondText<Size> (&caches)[2], long long second, bool useLocalTime,
                         unsigned long long key, Build build, char* out) {
    static_assert(Size <= 255, "the length is kept in a byte");
    SecondText<Size>& cache = caches[useLocalTime ? 1 : 0];
    if (!cache.valid || cache.second != second || cache.key != key) {
        char text[Size];
        const std::size_t length = build(text);
        if (length == 0 || length >= Size) return 0;
        std::memcpy(cache.text, text, length);
        cache.length = static_cast<unsigned char>(length);
        cache.second = second;
        cache.key = key;
        cache.valid = true;
    }
    // The whole area, which out holds too: a copy of fixed size is a few
    // moves, one of the text's own length a costly string instruction.
    std::memcpy(out, cache.text, Size);
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

// "mm/dd/yyyy hh:mm:ss": the trace date and clock texts of one second, apart
// at their one space.
std::size_t BuildTraceDateAndClock(long long second, bool useLocalTime, char* out) {
    platform::CalendarTime calendar{};
    platform::CalendarTimeAt(second, useLocalTime, &calendar);
    const std::tm time = ToBrokenDownTime(calendar);
    const std::size_t date = FormatShortDate(time, out, kDateTimeAreaSize);
    if (date == 0 || date + 2 >= kDateTimeAreaSize) return 0;
    out[date] = ' ';
    const std::size_t clock = FormatClockTime(time, out + date + 1, kDateTimeAreaSize - date - 1);
    return clock == 0 ? 0 : date + 1 + clock;
}

std::size_t BuildPrologHead(long long second, bool useLocalTime, int processId, unsigned int threadId, char* out) {
    std::size_t used = 0;
    out[used++] = '[';
    used += WriteSignedDecimal(processId, out + used);
    out[used++] = '/';
    used += WriteDecimal(threadId, out + used);
    out[used++] = ']';
    out[used++] = '[';
    used += DateTimeTextAt(second, useLocalTime, out + used);
    out[used++] = ']';
    out[used++] = '[';
    return used;
}

}  // namespace

std::size_t CurrentDateTimeText(bool useLocalTime, char* out) {
    long long second = 0;
    int millisecond = 0;
    platform::ReadRealTime(&second, &millisecond);
    return DateTimeTextAt(second, useLocalTime, out);
}

std::size_t DateTimeTextAt(long long second, bool useLocalTime, char* out) {
    QM_THREAD_CACHE SecondText<kDateTimeAreaSize> caches[2] = {};
    return TextOfSecond(
        caches, second, useLocalTime, 0, [&](char* text) { return BuildDateText(second, useLocalTime, text); },
        out);
}

std::size_t CurrentRfc3339Stamp(bool useLocalTime, char* out) {
    QM_THREAD_CACHE SecondText<kDateTimeAreaSize> caches[2] = {};
    long long second = 0;
    int millisecond = 0;
    platform::ReadRealTime(&second, &millisecond);
    const std::size_t length = TextOfSecond(
        caches, second, useLocalTime, 0, [&](char* text) { return BuildRfc3339Stamp(second, useLocalTime, text); },
        out);
    // The milliseconds follow "YYYY-MM-DDTHH:MM:SS." whatever the zone; the
    // dot is the text's only one, and a few bytes from its end (the zone is
    // "Z" or "+hh:mm"), so it is looked for from there.
    char* dot = nullptr;
    for (std::size_t at = length; at-- > 0;) {
        if (out[at] == '.') {
            dot = out + at;
            break;
        }
    }
    if (dot == nullptr || static_cast<std::size_t>(dot - out) + 4 > length) return length;
    dot[1] = static_cast<char>('0' + millisecond / 100);
    dot[2] = static_cast<char>('0' + millisecond / 10 % 10);
    dot[3] = static_cast<char>('0' + millisecond % 10);
    return length;
}

std::size_t CurrentPrologHead(bool useLocalTime, char* out) {
    QM_THREAD_CACHE SecondText<kPrologHeadSize> caches[2] = {};
    long long second = 0;
    int millisecond = 0;
    platform::ReadRealTime(&second, &millisecond);
    const int processId = CachedProcessId();
    const unsigned int threadId = platform::CurrentThreadId();
    // A forked child has another process id, so it never shows its parent's.
    const unsigned long long ids =
        (static_cast<unsigned long long>(static_cast<unsigned int>(processId)) << 32) | threadId;
    // 2 ids of at most 11 digits, the date text and 6 brackets fit.
    return TextOfSecond(
        caches, second, useLocalTime, ids,
        [&](char* text) { return BuildPrologHead(second, useLocalTime, processId, threadId, text); }, out);
}

void CurrentTraceTimeTexts(bool useLocalTime, TraceTimeTexts* out) {
    QM_THREAD_CACHE SecondText<kDateTimeAreaSize> caches[2] = {};
    long long second = 0;
    int millisecond = 0;
    platform::ReadRealTime(&second, &millisecond);
    char both[kDateTimeAreaSize];
    const std::size_t length = TextOfSecond(
        caches, second, useLocalTime, 0,
        [&](char* text) { return BuildTraceDateAndClock(second, useLocalTime, text); }, both);
    const void* space = length == 0 ? nullptr : std::memchr(both, ' ', length);
    if (space == nullptr) {
        out->date[0] = out->clock[0] = out->precise[0] = '\0';
        out->dateLength = out->clockLength = out->preciseLength = 0;
        return;
    }
    const std::size_t date = static_cast<std::size_t>(static_cast<const char*>(space) - both);
    const std::size_t clock = length - date - 1;
    std::memcpy(out->date, both, date);
    out->date[date] = '\0';
    out->dateLength = date;
    std::memcpy(out->clock, both + date + 1, clock);
    out->clock[clock] = '\0';
    out->clockLength = clock;
    // The precise time is the clock time and its milliseconds.
    std::memcpy(out->precise, both + date + 1, clock);
    WritePreciseMilliseconds(millisecond, out->precise + clock);
    out->precise[clock + kPreciseMillisecondsLength] = '\0';
    out->preciseLength = clock + kPreciseMillisecondsLength;
}

}  // namespace qm
