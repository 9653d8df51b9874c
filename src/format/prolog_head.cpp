#include "format/prolog_head.h"

#include <cstring>

#include "format/date_time_text.h"
#include "format/decimal_text.h"
#include "format/process_id.h"
#include "format/thread_cache.h"
#include "platform/clock.h"
#include "platform/process.h"

namespace qm {

namespace {

// Plain data only, like the date text cache.
struct PrologHeadCache {
    long long second;
    int processId;
    unsigned int threadId;
    bool valid;
    unsigned char length;
    char text[kPrologHeadSize];
};

std::size_t BuildHead(long long second, bool useLocalTime, int processId, unsigned int threadId, char* out) {
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

std::size_t CurrentPrologHead(bool useLocalTime, char* out) {
    QM_THREAD_CACHE PrologHeadCache caches[2] = {};
    long long second = 0;
    int millisecond = 0;
    platform::ReadRealTime(&second, &millisecond);
    const int processId = CachedProcessId();
    const unsigned int threadId = platform::CurrentThreadId();
    PrologHeadCache& cache = caches[useLocalTime ? 1 : 0];
    if (!cache.valid || cache.second != second || cache.processId != processId || cache.threadId != threadId) {
        // 2 ids of at most 11 digits, the date text and 6 brackets fit.
        cache.length = static_cast<unsigned char>(BuildHead(second, useLocalTime, processId, threadId, cache.text));
        cache.second = second;
        cache.processId = processId;
        cache.threadId = threadId;
        cache.valid = true;
    }
    std::memcpy(out, cache.text, cache.length);
    return cache.length;
}

}  // namespace qm
