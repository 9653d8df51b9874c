// Reader/writer guards: admission order, hand-off and exclusion, for both
// guard classes, with their semaphores and polling without them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/critical_section.h"
#include "platform/semaphore.h"
#include "qmerrlog/locks.h"
#include "support/eventually.h"
#include "sync/guard_protocol.h"

namespace qmtest {
struct GuardInternals;  // the purpose of the access below
}  // namespace qmtest

// Reaches into the guards: their counters, and guards without their heap
// block or semaphores.
template <>
struct QmInternalAccess<qmtest::GuardInternals> {
    static QmGuardState& State(CQmErrLogGuard& guard) { return *guard.m_pState; }
    static QmGuardState& State(CQmGuard& guard) { return guard.m_state; }

    // "active/waiting readers/waiting writers/waiters bit", taken under the
    // state's lock so that the four agree.
    static std::string Counts(QmGuardState& state) {
        qm::platform::EnterCriticalSection(&state.cs);
        const std::uint64_t word = state.word.load();
        std::string counts = std::to_string(qm::guard::ActiveOf(word)) + "/" +
                             std::to_string(state.waitingReaders) + "/" + std::to_string(state.waitingWriters) +
                             (qm::guard::HasWaiters(word) ? "/1" : "/0");
        qm::platform::LeaveCriticalSection(&state.cs);
        return counts;
    }

    // As if the semaphores could not be created. Only while nobody waits.
    static void DropSemaphores(QmGuardState& state) {
        qm::platform::CloseSemaphore(std::exchange(state.readersSemaphore, nullptr));
        qm::platform::CloseSemaphore(std::exchange(state.writersSemaphore, nullptr));
    }

    // Swapping in null is as if the constructor's allocation had failed; swap
    // back before the guard is destroyed.
    static void Swap(CQmErrLogGuard& guard, QmGuardState*& state) { std::swap(guard.m_pState, state); }
};
using QmLockTestAccess = QmInternalAccess<qmtest::GuardInternals>;

using qmtest::Eventually;

namespace {

// Either guard class, with or without semaphores, behind one face.
class AnyGuard {
public:
    explicit AnyGuard(int kind) {
        if (kind & 1) embedded_ = std::make_unique<CQmGuard>();
        else heap_ = std::make_unique<CQmErrLogGuard>();
        if (kind & 2) QmLockTestAccess::DropSemaphores(State());
    }
    void Lock(bool write) {
        if (embedded_) write ? embedded_->LockForWrite() : embedded_->LockForRead();
        else write ? heap_->LockForWrite() : heap_->LockForRead();
    }
    void Unlock() { embedded_ ? embedded_->Unlock() : heap_->Unlock(); }
    QmGuardState& State() { return embedded_ ? QmLockTestAccess::State(*embedded_) : QmLockTestAccess::State(*heap_); }
    std::string Counts() { return QmLockTestAccess::Counts(State()); }

private:
    std::unique_ptr<CQmGuard> embedded_;
    std::unique_ptr<CQmErrLogGuard> heap_;
};

const char* const kKinds[] = {"heap", "embedded", "heap, polling", "embedded, polling"};

// Threads that take the guard and stay inside until let go, in the order in
// which they got in.
struct Crowd {
    Crowd(AnyGuard& guard, bool write) : guard(guard), write(write) {}
    AnyGuard& guard;
    const bool write;
    std::atomic<int> entered{0}, inside{0}, letGo{0};
    std::vector<std::thread> threads;

    void Start(int count) {
        for (int i = 0; i < count; ++i) {
            threads.emplace_back([this] {
                guard.Lock(write);
                const int ticket = entered++;
                ++inside;
                while (letGo.load() <= ticket) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                --inside, guard.Unlock();
            });
        }
    }
    ~Crowd() {
        letGo = 1000;
        for (auto& thread : threads) thread.join();
    }
};

// Checks go on after a failure (EXPECT, not ASSERT) so that the main thread
// always gives its holds back and the crowds can finish.
TEST(Guard, QueuedWritersGoFirstEachHandedTheLockThenAllQueuedReadersTogether) {
    for (int kind = 0; kind < 4; ++kind) {
        SCOPED_TRACE(kKinds[kind]);
        AnyGuard guard(kind);
        Crowd writers(guard, true), readers(guard, false);
        guard.Lock(false), guard.Lock(false);
        writers.Start(1);
        EXPECT_TRUE(Eventually([&] { return guard.Counts() == "2/0/1/1"; })) << guard.Counts();
        // The guard is only read-held, yet a new reader queues behind the writer.
        readers.Start(1);
        EXPECT_TRUE(Eventually([&] { return guard.Counts() == "2/1/1/1"; })) << guard.Counts();
        writers.Start(1), readers.Start(2);
        EXPECT_TRUE(Eventually([&] { return guard.Counts() == "2/3/2/1"; })) << guard.Counts();

        guard.Unlock();
        EXPECT_EQ(guard.Counts(), "1/3/2/1");
        guard.Unlock();
        // One writer was made the holder before it woke.
        EXPECT_EQ(guard.Counts(), "-1/3/1/1");
        ++writers.letGo;
        EXPECT_TRUE(Eventually([&] { return writers.entered == 2 && writers.inside == 1; }));
        EXPECT_EQ(guard.Counts() + " " + std::to_string(readers.inside), "-1/3/0/1 0");

        // One admission for the three: they are inside together.
        ++writers.letGo;
        EXPECT_TRUE(Eventually([&] { return readers.inside == 3; }));
        EXPECT_EQ(guard.Counts(), "3/0/0/0");
    }
}

TEST(Guard, NoReaderEverOverlapsAWriter) {
    for (int kind = 0; kind < 4; ++kind) {
        SCOPED_TRACE(kKinds[kind]);
        AnyGuard guard(kind);
        std::atomic<int> readersInside{0}, writersInside{0}, overlaps{0};
        long long value = 0;  // plain on purpose: readers read it, so TSan also sees an overlap
        std::vector<std::thread> threads;
        for (int t = 0; t < 6; ++t) {
            threads.emplace_back([&, writer = t < 2] {
                for (int i = 0; i < (writer ? 1000 : 4000); ++i) {
                    guard.Lock(writer);
                    ++(writer ? writersInside : readersInside);
                    if (writersInside > 1 || (writersInside == 1 && readersInside > 0)) ++overlaps;
                    if (writer) ++value;
                    else if (value > 2000) ++overlaps;
                    --(writer ? writersInside : readersInside);
                    guard.Unlock();
                }
            });
        }
        for (auto& thread : threads) thread.join();
        EXPECT_EQ(std::to_string(overlaps) + " " + std::to_string(value) + " " + guard.Counts(), "0 2000 0/0/0/0");
    }
}

TEST(GuardWithoutItsHeapBlock, EveryOperationIsANoOp) {
    CQmErrLogGuard guard;
    QmGuardState* state = nullptr;
    QmLockTestAccess::Swap(guard, state);
    guard.LockForWrite(), guard.LockForWrite();  // would block for ever with a state
    guard.LockForRead(), guard.Unlock();
    QmLockTestAccess::Swap(guard, state);
    EXPECT_EQ(QmLockTestAccess::Counts(QmLockTestAccess::State(guard)), "0/0/0/0");
}

}  // namespace
