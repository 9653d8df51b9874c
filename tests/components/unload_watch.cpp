#include "unload_watch.h"

namespace {

struct UnloadWatch {
    int* flag = nullptr;
    ~UnloadWatch() { if (flag != nullptr) *flag = 1; }
} g_watch;

}  // namespace

void QmTestWatchUnload(int* flag) { g_watch.flag = flag; }
