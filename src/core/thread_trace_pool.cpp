#include "core/thread_trace_pool.h"

#include <cstring>
#include <mutex>

#include "qmerrlog/locks.h"
#include "qmerrlog/registry.h"
#include "qmerrlog/tracedata.h"

namespace {

constexpr int kGrowth = 30;

// Lock order: a logger's guards, then usersLock, then lock. ThreadTraceData
// records are built under `lock`; their construction reads the default
// logger's local-time flag, which already exists (a master was built first).
struct Pool {
    std::mutex usersLock;  // serialises attach/detach of loggers
    int users = 0;
    CQmErrLogCS* lock = nullptr;
    ThreadTraceData** entries = nullptr;
    int count = 0;
};

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

// Never destroyed: loggers held by statics built before it (a named logger
// list made first, say) still detach from it while the process exits.
Pool& ThePool() {
    static Pool* pool = new Pool();
    return *pool;
}

void DestroyEntries(Pool& pool) {
    for (int i = 0; i < pool.count; ++i) {
        delete pool.entries[i]->traceData;
        pool.entries[i]->isFree = false;
        delete pool.entries[i];
    }
    delete[] pool.entries;
    pool.entries = nullptr;
    pool.count = 0;
}

}  // namespace

namespace qm {

void AttachThreadTracePoolUser() {
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> hold(pool.usersLock);
    if (pool.users++ == 0) pool.lock = new CQmErrLogCS();
}

void DetachThreadTracePoolUser() {
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> hold(pool.usersLock);
    if (pool.users == 0 || --pool.users != 0) return;
    DestroyEntries(pool);
    delete pool.lock;
    pool.lock = nullptr;
}

void ReturnThreadTraceData(void* entry) {
    Pool& pool = ThePool();
    if (entry == nullptr || pool.lock == nullptr) return;
    CQmErrLogAutoCS hold(*pool.lock);
    static_cast<ThreadTraceData*>(entry)->isFree = true;
}

int ThreadTracePoolSize() {
    Pool& pool = ThePool();
    if (pool.lock == nullptr) return 0;
    CQmErrLogAutoCS hold(*pool.lock);
    return pool.count;
}

}  // namespace qm

ThreadTraceData* GetThreadTraceData() {
    Pool& pool = ThePool();
    CQmErrLogAutoCS hold(*pool.lock);
    for (int i = 0; i < pool.count; ++i) {
        if (pool.entries[i]->isFree) {
            pool.entries[i]->isFree = false;
            return pool.entries[i];
        }
    }
    // Build the new entries first: an allocation failure leaves the pool as it was.
    NewEntries fresh;
    for (ThreadTraceData*& entry : fresh.entries) {
        entry = new ThreadTraceData{nullptr, true};
        entry->traceData = new CQmTraceData();
    }
    ThreadTraceData** grown = new ThreadTraceData*[pool.count + kGrowth];
    if (pool.count > 0) std::memcpy(grown, pool.entries, sizeof(ThreadTraceData*) * pool.count);
    for (int i = 0; i < kGrowth; ++i) {
        grown[pool.count + i] = fresh.entries[i];
        fresh.entries[i] = nullptr;
    }
    delete[] pool.entries;
    pool.entries = grown;
    pool.count += kGrowth;
    ThreadTraceData* first = pool.entries[pool.count - kGrowth];
    first->isFree = false;
    return first;
}
