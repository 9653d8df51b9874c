#include "format/process_id.h"

#include <atomic>

#include "platform/process.h"

namespace qm {

namespace {
// 0 until first use: no process has id 0. Racing first uses store the same
// value, so no lock is needed; the atomic only keeps the race well defined.
std::atomic<int> g_processId{0};
}  // namespace

int CachedProcessId() {
    int id = g_processId.load(std::memory_order_relaxed);
    if (id == 0) {
        id = platform::CurrentProcessId();
        g_processId.store(id, std::memory_order_relaxed);
    }
    return id;
}

}  // namespace qm
