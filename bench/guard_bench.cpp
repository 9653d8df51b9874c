// Cost of taking and giving up the reader/writer guard without contention,
// next to a std::mutex lock/unlock pair and a bare atomic increment/decrement
// pair (the least any lock that counts its holders can cost). With several
// threads the guards are shared, so the read side shows its cache-line cost.
#include <benchmark/benchmark.h>

#include <atomic>
#include <mutex>
#include <shared_mutex>

#include "qmerrlog/locks.h"

namespace {

CQmErrLogGuard g_heapGuard;
CQmGuard g_embeddedGuard;
std::mutex g_mutex;
std::shared_mutex g_sharedMutex;
std::atomic<long> g_counter{0};

void GuardRead(benchmark::State& state) {
    for (auto _ : state) {
        g_heapGuard.LockForRead();
        g_heapGuard.Unlock();
    }
}
BENCHMARK(GuardRead)->ThreadRange(1, 4)->UseRealTime();

void GuardScopedRead(benchmark::State& state) {
    for (auto _ : state) {
        CQmErrLogAutoReader reader(g_heapGuard);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(GuardScopedRead);

void EmbeddedGuardRead(benchmark::State& state) {
    for (auto _ : state) {
        g_embeddedGuard.LockForRead();
        g_embeddedGuard.Unlock();
    }
}
BENCHMARK(EmbeddedGuardRead)->ThreadRange(1, 4)->UseRealTime();

void GuardWrite(benchmark::State& state) {
    for (auto _ : state) {
        g_heapGuard.LockForWrite();
        g_heapGuard.Unlock();
    }
}
BENCHMARK(GuardWrite);

void MutexLockUnlock(benchmark::State& state) {
    for (auto _ : state) {
        g_mutex.lock();
        g_mutex.unlock();
    }
}
BENCHMARK(MutexLockUnlock)->ThreadRange(1, 4)->UseRealTime();

void SharedMutexRead(benchmark::State& state) {
    for (auto _ : state) {
        g_sharedMutex.lock_shared();
        g_sharedMutex.unlock_shared();
    }
}
BENCHMARK(SharedMutexRead)->ThreadRange(1, 4)->UseRealTime();

void AtomicIncrementDecrement(benchmark::State& state) {
    for (auto _ : state) {
        g_counter.fetch_add(1, std::memory_order_acquire);
        g_counter.fetch_sub(1, std::memory_order_release);
    }
}
BENCHMARK(AtomicIncrementDecrement)->ThreadRange(1, 4)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
