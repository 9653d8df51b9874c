// What tracing keeps: replaced masters live only while a copy still borrows
// their texts, and every logger's working copy goes back to the pool when
// its thread ends. Counted, not timed.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/thread_trace_pool.h"
#include "qmerrlog/qmerrlog.h"
#include "support/temp_dir.h"
#include "support/trace_steps.h"
#include "trace/record_count.h"

using namespace qmtest;

// Sanitizer builds run the same loops, fewer times.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kReloads = 1000;
#else
constexpr int kReloads = 10000;
#endif

// Reloads while threads trace keep only the master in force and those still
// borrowed by the threads' copies, whatever the count of reloads.
TEST(TraceMemory, ReloadsUnderTracingThreadsKeepOnlyBorrowedMasters) {
    TempDir dir;
    const std::string config = dir.Write("trace.cfg", "components: Log\ndata: Message,Tid\nfilter: Message!=x\n");
    CQmLogger* named = getMyLogger("memory-reloads");
    constexpr int kThreads = 2;
    ASSERT_TRUE(TraceToRecorder(named, config));
    const long recordsBefore = qm::LiveTraceRecords() - qm::ThreadTracePoolSize();

    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([named, &stop] {
            // Yielding between records leaves the reloading thread its share.
            while (!stop.load(std::memory_order_relaxed)) TraceOnce(named), std::this_thread::yield();
        });
    }
    for (int i = 0; i < kReloads; ++i) ASSERT_TRUE(TraceToRecorder(named, config));
    stop = true;
    for (std::thread& thread : threads) thread.join();

    // Pool entries are records too; beyond them: the master in force plus at
    // most one older master per thread copy that has not refreshed yet.
    const long retained = qm::LiveTraceRecords() - qm::ThreadTracePoolSize();
    EXPECT_LE(retained - recordsBefore, kThreads);
    removeMyLogger("memory-reloads");
}

// A named logger removed while a thread still holds its entry: the thread's
// entries (that one and the default logger's) come back when it ends, and
// the next logger reuses the index.
TEST(TraceMemory, EntriesOfARemovedLoggerComeBackWhenTheirThreadsEnd) {
    TempDir dir;
    const std::string config = dir.Write("trace.cfg", "components: Log\ndata: Message\n");
    ASSERT_TRUE(TraceToRecorder(theLogger(), config));
    const int inUseBefore = qm::ThreadTraceEntriesInUse();
    std::atomic<int> step{0};
    std::thread holder([&] {
        CQmLogger* named = getMyLogger("memory-removed");
        ASSERT_TRUE(TraceToRecorder(named, config));
        TraceOnce(named), TraceOnce(theLogger());
        step = 1;
        while (step.load() != 2) std::this_thread::yield();
        // The next logger finds this thread's entry at the reused index.
        CQmLogger* next = getMyLogger("memory-next");
        ASSERT_TRUE(TraceToRecorder(next, config));
        TraceOnce(next);
    });
    while (step.load() != 1) std::this_thread::yield();
    EXPECT_EQ(inUseBefore + 2, qm::ThreadTraceEntriesInUse());
    EXPECT_TRUE(removeMyLogger("memory-removed"));
    step = 2;
    holder.join();
    EXPECT_EQ(inUseBefore, qm::ThreadTraceEntriesInUse());
    removeMyLogger("memory-next");
    theLogger()->DisableTrace(false);
}

// Before any logger exists (ctest runs each test in a process of its own),
// and while the last one goes away as threads end.
TEST(ThreadTracePool, UsableBeforeAnyLoggerAndWhileTheLastOneIsReleased) {
    ThreadTraceData* entry = GetThreadTraceData();
    ASSERT_TRUE(entry != nullptr && entry->traceData != nullptr);
    entry->isFree = true;
    TempDir dir;
    const std::string config = dir.Write("trace.cfg", "components: Log\ndata: Message\n");
    for (int round = 0; round < 20; ++round) {
        CQmLogger* logger = getMyLogger("pool-last");
        ASSERT_TRUE(TraceToRecorder(logger, config));
        std::vector<std::thread> threads;
        std::atomic<int> traced{0};
        for (int i = 0; i < 4; ++i) {
            threads.emplace_back([logger, &traced] { TraceOnce(logger), ++traced; });
        }
        while (traced.load() != 4) std::this_thread::yield();
        // The threads end (their hooks run) while the logger is released.
        EXPECT_TRUE(removeMyLogger("pool-last"));
        for (std::thread& thread : threads) thread.join();
    }
}
