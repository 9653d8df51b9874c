// Process id and kernel thread id, both cached: the log prolog asks for them
// on every line. A forked child has new ids, so the fork handlers drop the
// process id and every thread's cached id is tied to the fork generation.
#include "platform/process.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

#include "platform/fork_hook.h"
#include "platform/posix/fork_locks.h"

namespace qm {
namespace platform {

namespace {
// 0 until first use: no process has id 0. Racing first uses store the same value.
std::atomic<int> g_processId{0};
}  // namespace

void ForgetCachedProcessId() {
    g_processId.store(0, std::memory_order_relaxed);
}

int CurrentProcessId() {
    int id = g_processId.load(std::memory_order_relaxed);
    if (id == 0) {
        id = static_cast<int>(getpid());
        g_processId.store(id, std::memory_order_relaxed);
    }
    return id;
}

unsigned int CurrentThreadId() {
    // No thread id is 0. Only the forking thread lives on in a child, and its
    // copy of this cache is stale there: the generation tells.
    thread_local unsigned int cached = 0;
    thread_local unsigned int cachedGeneration = 0;
    const unsigned int generation = ForkGeneration();
    if (cached == 0 || cachedGeneration != generation) {
        cached = static_cast<unsigned int>(syscall(SYS_gettid));
        cachedGeneration = generation;
    }
    return cached;
}

}  // namespace platform
}  // namespace qm
