// Each thread's working copies by logger index, behind one platform slot:
// more loggers than the platform has slots, indexes handed on to the next
// logger, no memory for a larger table, fork and exit. Real threads and
// processes; counted, not timed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/thread_trace_pool.h"
#include "core/thread_trace_table.h"
#include "platform/child_process.h"
#include "platform/thread_slot.h"
#include "qmerrlog/qmerrlog.h"
#include "support/logger_test_access.h"
#include "support/temp_dir.h"
#include "support/trace_steps.h"

namespace {

// Set by a thread that wants its next table growth refused.
thread_local bool t_refuseNothrowAllocations = false;

}  // namespace

// Tables grow with the allocation that answers null instead of throwing:
// this program's replacement answers null on request.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (t_refuseNothrowAllocations) return nullptr;
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

namespace {

using namespace qmtest;

const unsigned int kLog = QmTraceComponentId(1, 0);
constexpr unsigned int kChildTimeoutMs = 10000;

// Waits, yielding, until flag reaches value.
void AwaitStep(const std::atomic<int>& flag, int value) {
    while (flag.load() < value) std::this_thread::yield();
}

// Named loggers "<prefix>0", "<prefix>1", ... until one has an index of at
// least minIndex (indexes given back by earlier tests come first); the last
// one made, or null.
CQmLogger* LoggerWithIndexFrom(const std::string& prefix, unsigned long minIndex, int* made) {
    for (*made = 0; *made < 1000; ++*made) {
        CQmLogger* logger = getMyLogger((prefix + std::to_string(*made)).c_str());
        if (logger == nullptr) return nullptr;
        if (CQmLoggerTestAccess::TraceIndex(*logger) >= minIndex) return ++*made, logger;
    }
    return nullptr;
}

void RemoveLoggers(const std::string& prefix, int count) {
    for (int i = 0; i < count; ++i) removeMyLogger((prefix + std::to_string(i)).c_str());
}

// More named loggers than a Linux process has thread keys (1,024): the last
// ones hand every thread a copy of its own, each copy writes to its logger,
// and a thread's end gives all of its copies back.
TEST(ThreadTraceTable, LoggersBeyondThePlatformsSlotCountHandEveryThreadItsCopy) {
    constexpr int kLoggers = 2000;
    constexpr int kTraced = 3;
    constexpr int kThreads = 4;
    TempDir dir;
    const std::string config = dir.Write("trace.cfg", "components: Log\ndata: Message\n");
    std::vector<CQmLogger*> loggers;
    for (int i = 0; i < kLoggers; ++i) loggers.push_back(getMyLogger(("many-" + std::to_string(i)).c_str()));
    ASSERT_NE(nullptr, loggers.back());
    // The loggers took none of the platform's slots.
    unsigned long spare = 0;
    ASSERT_TRUE(qm::platform::AllocThreadSlot(&spare, nullptr));
    qm::platform::FreeThreadSlot(spare);

    std::vector<RecordingOutput*> outputs;
    for (int i = kLoggers - kTraced; i < kLoggers; ++i) {
        outputs.push_back(new RecordingOutput());
        ASSERT_TRUE(TraceTo(loggers[i], outputs.back(), config));
    }
    const int inUseBefore = qm::ThreadTraceEntriesInUse();
    std::atomic<int> asked{0};
    std::atomic<int> release{0};
    std::vector<std::vector<CQmTraceData*>> copies(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = kLoggers - kTraced; i < kLoggers; ++i) {
                CQmTraceData* first = nullptr;
                CQmTraceData* again = nullptr;
                const bool asked2 = loggers[i]->ShouldTraceAlloc(kLog, &first) &&
                                    loggers[i]->ShouldTraceAlloc(kLog, &again) && first == again;
                copies[t].push_back(asked2 ? first : nullptr);
                if (asked2) TraceRecord(*first);
            }
            ++asked;
            AwaitStep(release, 1);
        });
    }
    AwaitStep(asked, kThreads);
    EXPECT_EQ(inUseBefore + kThreads * kTraced, qm::ThreadTraceEntriesInUse());
    release = 1;
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(inUseBefore, qm::ThreadTraceEntriesInUse());

    std::set<CQmTraceData*> distinct;
    for (const auto& ofThread : copies) distinct.insert(ofThread.begin(), ofThread.end());
    EXPECT_EQ(0u, distinct.count(nullptr));
    EXPECT_EQ(static_cast<size_t>(kThreads * kTraced), distinct.size());
    // Each logger's output: the two heading lines and one record per thread.
    for (RecordingOutput* output : outputs) EXPECT_EQ(2u + kThreads, output->Lines().size());
    for (int i = 0; i < kLoggers; ++i) EXPECT_TRUE(removeMyLogger(("many-" + std::to_string(i)).c_str()));
}

// A logger removed while a thread holds an entry through it: the next logger
// with its index serves that thread the same entry (refreshed to its own
// configuration) without taking another; the thread's end gives it back.
TEST(ThreadTraceTable, ARemovedLoggersIndexServesTheNextLoggerWithTheThreadsEntry) {
    TempDir dir;
    const std::string config = dir.Write("trace.cfg", "components: Log\ndata: Message\n");
    CQmLogger* removed = getMyLogger("index-removed");
    const unsigned long index = CQmLoggerTestAccess::TraceIndex(*removed);
    ASSERT_TRUE(TraceToRecorder(removed, config));

    std::atomic<int> step{0};
    CQmTraceData* held = nullptr;
    CQmTraceData* served = nullptr;
    CQmLogger* next = nullptr;
    std::thread holder([&] {
        removed->ShouldTraceAlloc(kLog, &held);
        step = 1;
        AwaitStep(step, 2);
        if (next->ShouldTraceAlloc(kLog, &served)) TraceRecord(*served);
        step = 3;
        AwaitStep(step, 4);
    });
    AwaitStep(step, 1);
    ASSERT_NE(nullptr, held);
    const int inUse = qm::ThreadTraceEntriesInUse();
    EXPECT_TRUE(removeMyLogger("index-removed"));
    int made = 0;
    next = LoggerWithIndexFrom("index-next-", index, &made);
    ASSERT_NE(nullptr, next);
    EXPECT_EQ(index, CQmLoggerTestAccess::TraceIndex(*next));
    RecordingOutput* output = new RecordingOutput();
    ASSERT_TRUE(TraceTo(next, output, config));
    step = 2;
    AwaitStep(step, 3);
    EXPECT_EQ(held, served);
    EXPECT_EQ(inUse, qm::ThreadTraceEntriesInUse());
    EXPECT_EQ(3u, output->Lines().size());
    step = 4;
    holder.join();
    EXPECT_EQ(inUse - 1, qm::ThreadTraceEntriesInUse());
    RemoveLoggers("index-next-", made);
}

// No memory for the thread's first table, or for a larger one: the answer is
// false, no entry is taken, and the thread asks again later with success; a
// thread's table kept through a refused growth still serves its entries.
TEST(ThreadTraceTable, NoMemoryForTheThreadsTableAnswersFalseAndTakesNothing) {
    TempDir dir;
    const std::string config = dir.Write("trace.cfg", "components: Log\ndata: Message\n");
    CQmLogger* low = getMyLogger("table-low");
    int made = 0;
    // Well past the cells of a thread's first table.
    CQmLogger* high = LoggerWithIndexFrom("table-high-", 64, &made);
    ASSERT_NE(nullptr, high);
    ASSERT_TRUE(TraceToRecorder(low, config) && TraceToRecorder(high, config));

    for (const bool withSmallTable : {false, true}) {
        SCOPED_TRACE(withSmallTable ? "larger table" : "first table");
        std::thread([&] {
            if (withSmallTable) {
                ASSERT_TRUE(TraceOnce(low));
            }
            const int inUse = qm::ThreadTraceEntriesInUse();
            CQmTraceData* record = nullptr;
            t_refuseNothrowAllocations = true;
            const bool answered = high->ShouldTraceAlloc(kLog, &record);
            t_refuseNothrowAllocations = false;
            EXPECT_FALSE(answered);
            EXPECT_EQ(nullptr, record);
            EXPECT_EQ(inUse, qm::ThreadTraceEntriesInUse());
            EXPECT_TRUE(TraceOnce(high));
            if (withSmallTable) {
                EXPECT_TRUE(TraceOnce(low));
            }
        }).join();
    }
    removeMyLogger("table-low");
    RemoveLoggers("table-high-", made);
}

// The forking thread's table is copied with its memory: the child's thread
// finds the entry it held, and takes more through loggers made there.
TEST(ThreadTraceTable, AForkedChildKeepsTheForkingThreadsEntriesAndTakesMore) {
    TempDir dir;
    const std::string config = dir.Write("trace.cfg", "components: Log\ndata: Message\n");
    CQmLogger* logger = getMyLogger("fork-table");
    ASSERT_TRUE(TraceToRecorder(logger, config));
    CQmTraceData* held = nullptr;
    ASSERT_TRUE(logger->ShouldTraceAlloc(kLog, &held));
    const int child = qm::platform::ForkProcess();
    if (child < 0) GTEST_SKIP() << "processes cannot fork on this platform";
    if (child == 0) {
        int failed = 0;
        CQmTraceData* again = nullptr;
        if (!logger->ShouldTraceAlloc(kLog, &again) || again != held) failed |= 1;
        int made = 0;
        CQmLogger* late = LoggerWithIndexFrom("fork-late-", 64, &made);
        if (late == nullptr || !TraceToRecorder(late, config) || !TraceOnce(late)) failed |= 2;
        std::_Exit(failed);
    }
    EXPECT_EQ(0, qm::platform::WaitChildProcess(child, kChildTimeoutMs));
    removeMyLogger("fork-table");
}

// Exit frees the slot (run in a child, since that cannot be undone): a thread
// ending afterwards runs no hook, so its entry stays taken, and no entry is
// handed out any more.
TEST(ThreadTraceTable, AfterExitThreadsEndWithoutTheLibraryAndNoEntryIsHandedOut) {
#if defined(__SANITIZE_THREAD__)
    // The thread runtime takes the locks reset in a forked child for still
    // held by the forking thread, and reports the child's other threads.
    GTEST_SKIP() << "a thread started in a forked child";
#endif
    TempDir dir;
    const std::string config = dir.Write("trace.cfg", "components: Log\ndata: Message\n");
    const int child = qm::platform::ForkProcess();
    if (child < 0) GTEST_SKIP() << "processes cannot fork on this platform";
    if (child == 0) {
        int failed = 0;
        CQmLogger* logger = getMyLogger("exit-table");
        if (!TraceToRecorder(logger, config)) std::_Exit(1);
        std::atomic<int> step{0};
        std::thread late([&] {
            if (!TraceOnce(logger)) failed |= 2;
            step = 1;
            AwaitStep(step, 2);
        });
        AwaitStep(step, 1);
        const int inUse = qm::ThreadTraceEntriesInUse();
        qm::FreeTraceThreadSlotAtExit();
        step = 2;
        late.join();
        if (qm::ThreadTraceEntriesInUse() != inUse) failed |= 4;
        CQmTraceData* record = nullptr;
        if (logger->ShouldTraceAlloc(kLog, &record) || record != nullptr) failed |= 8;
        std::_Exit(failed);
    }
    EXPECT_EQ(0, qm::platform::WaitChildProcess(child, kChildTimeoutMs));
}

}  // namespace
