#include "core/thread_trace_pool.h"

#include <vector>

#include "platform/error_state.h"
#include "platform/no_destructor.h"
#include "qmerrlog/locks.h"
#include "qmerrlog/registry.h"
#include "qmerrlog/tracedata.h"

namespace {

constexpr int kGrowth = 30;

// Lock order: taken after any logger's guards, never before them. Records
// are built under it; their construction asks nothing of any logger.
struct Pool {
    CQmErrLogCriticalSection lock;
    std::vector<ThreadTraceData*> entries;
};

// Never destroyed: threads end, and give their entries back, until the very
// end of the process.
Pool& ThePool() {
    static qm::NoDestructor<Pool> pool;
    return *pool;
}

// Entries under construction; frees them unless they were handed to the pool.
struct NewEntries {
    ThreadTraceData* entries[kGrowth] = {};
    ~NewEntries() {
        for (ThreadTraceData* entry : entries) {
            if (entry == nullptr) continue;
            delete entry->traceData;
            delete entry;
        }
    }
};

}  // namespace

namespace qm {

void ReturnThreadTraceData(ThreadTraceData* entry) {
    if (entry == nullptr) return;
    CQmErrLogPrivAutoCS hold(ThePool().lock);
    entry->isFree = true;
}

int ThreadTracePoolSize() {
    Pool& pool = ThePool();
    CQmErrLogPrivAutoCS hold(pool.lock);
    return static_cast<int>(pool.entries.size());
}

int ThreadTraceEntriesInUse() {
    Pool& pool = ThePool();
    CQmErrLogPrivAutoCS hold(pool.lock);
    int inUse = 0;
    for (const ThreadTraceData* entry : pool.entries) inUse += entry->isFree ? 0 : 1;
    return inUse;
}

CQmErrLogCriticalSection& ThreadTracePoolLock() {
    return ThePool().lock;
}

}  // namespace qm

ThreadTraceData* GetThreadTraceData() {
    const qm::platform::CallerErrorState keepCallersErrno;
    Pool& pool = ThePool();
    CQmErrLogPrivAutoCS hold(pool.lock);
    for (ThreadTraceData* entry : pool.entries) {
        if (entry->isFree) {
            entry->isFree = false;
            return entry;
        }
    }
    // Build the new entries first: an allocation failure leaves the pool as it was.
    NewEntries fresh;
    for (ThreadTraceData*& entry : fresh.entries) {
        entry = new ThreadTraceData{nullptr, true};
        entry->traceData = new CQmTraceData();
    }
    pool.entries.reserve(pool.entries.size() + kGrowth);
    ThreadTraceData* first = fresh.entries[0];
    for (ThreadTraceData*& entry : fresh.entries) {
        pool.entries.push_back(entry);
        entry = nullptr;
    }
    first->isFree = false;
    return first;
}
