// pthread_atfork behind our handler interface. The child first refreshes the
// platform's own caches and locks, then runs the library's handler.
#include "platform/fork_hook.h"

#include <pthread.h>

#include <atomic>

#include "platform/posix/fork_locks.h"

namespace qm {
namespace platform {

namespace {

std::atomic<unsigned int> g_forkGeneration{0};
ForkHandler g_prepare = nullptr;
ForkHandler g_parent = nullptr;
ForkHandler g_child = nullptr;

// The library's locks first, the clock's last: a thread may convert a time
// while it holds a guard, never the other way round.
void RunPrepare() {
    if (g_prepare != nullptr) g_prepare();
    LockClockForFork();
}

void RunParent() {
    UnlockClockInParent();
    if (g_parent != nullptr) g_parent();
}

void RunChild() {
    g_forkGeneration.fetch_add(1, std::memory_order_relaxed);
    ForgetCachedProcessId();
    ResetClockInChild();
    if (g_child != nullptr) g_child();
}

}  // namespace

void InstallForkHandlers(ForkHandler prepare, ForkHandler parent, ForkHandler child) {
    static std::atomic<bool> installed{false};
    if (installed.exchange(true)) return;
    g_prepare = prepare;
    g_parent = parent;
    g_child = child;
    pthread_atfork(&RunPrepare, &RunParent, &RunChild);
}

unsigned int ForkGeneration() {
    return g_forkGeneration.load(std::memory_order_relaxed);
}

}  // namespace platform
}  // namespace qm
