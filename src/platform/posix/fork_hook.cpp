// pthread_atfork behind our handler interface. The child first refreshes the
// platform's own caches, then runs the library's handler.
#include "platform/fork_hook.h"

#include <pthread.h>

#include <atomic>

#include "platform/posix/process_cache.h"

namespace qm {
namespace platform {

namespace {

std::atomic<unsigned int> g_forkGeneration{0};
ForkHandler g_prepare = nullptr;
ForkHandler g_parent = nullptr;
ForkHandler g_child = nullptr;

void RunPrepare() {
    if (g_prepare != nullptr) g_prepare();
}

void RunParent() {
    if (g_parent != nullptr) g_parent();
}

void RunChild() {
    g_forkGeneration.fetch_add(1, std::memory_order_relaxed);
    ForgetCachedProcessId();
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

unsigned int ForkGeneration() { return g_forkGeneration.load(std::memory_order_relaxed); }

}  // namespace platform
}  // namespace qm
