// Reader/writer guards: admission order, hand-off and exclusion, for both
// guard classes and with and without their semaphores.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "sync/lock_test_access.h"

namespace {

using Counts = QmLockTestAccess::Counts;
using qm::test::Eventually;

struct GuardKind {
    bool embedded;  // CQmGuard rather than CQmErrLogGuard
    bool withoutSemaphores;
};

// Either guard class behind one face, so every scenario runs on both.
class AnyGuard {
public:
    explicit AnyGuard(const GuardKind& kind) {
        if (kind.embedded) {
            embedded_ = std::make_unique<CQmGuard>();
        } else {
            heap_ = std::make_unique<CQmErrLogGuard>();
        }
        if (kind.withoutSemaphores) QmLockTestAccess::DropSemaphores(State());
    }
    void LockForRead() { embedded_ ? embedded_->LockForRead() : heap_->LockForRead(); }
    void LockForWrite() { embedded_ ? embedded_->LockForWrite() : heap_->LockForWrite(); }
    void Unlock() { embedded_ ? embedded_->Unlock() : heap_->Unlock(); }
    QmGuardState& State() {
        return embedded_ ? QmLockTestAccess::State(*embedded_) : QmLockTestAccess::State(*heap_);
    }
    Counts Read() { return QmLockTestAccess::Read(State()); }

private:
    std::unique_ptr<CQmGuard> embedded_;
    std::unique_ptr<CQmErrLogGuard> heap_;
};

// A thread that takes the lock, stays inside until let go, then unlocks.
class Participant {
public:
    enum Side { kReader, kWriter };

    Participant(AnyGuard& guard, Side side) : thread_([this, &guard, side] {
        side == kReader ? guard.LockForRead() : guard.LockForWrite();
        inside_ = true;
        letGo_.Wait();
        inside_ = false;
        guard.Unlock();
    }) {}
    ~Participant() {
        LetGo();
        thread_.join();
    }

    bool Inside() const { return inside_; }
    void LetGo() { letGo_.Set(); }

private:
    std::atomic<bool> inside_{false};
    qm::test::Event letGo_;
    std::thread thread_;
};

using Participants = std::vector<std::unique_ptr<Participant>>;

void Start(Participants& into, AnyGuard& guard, Participant::Side side, int count) {
    for (int i = 0; i < count; ++i) into.push_back(std::make_unique<Participant>(guard, side));
}

int CountInside(const Participants& participants) {
    int inside = 0;
    for (const auto& participant : participants) inside += participant->Inside() ? 1 : 0;
    return inside;
}

::testing::AssertionResult Holds(const Counts& seen, const Counts& expected) {
    if (seen.active == expected.active && seen.waitingReaders == expected.waitingReaders &&
        seen.waitingWriters == expected.waitingWriters && seen.waitersBit == expected.waitersBit) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "active " << seen.active << ", waiting readers " << seen.waitingReaders
           << ", waiting writers " << seen.waitingWriters << ", waiters bit " << seen.waitersBit;
}

// The main thread's own hold, given back on every exit path of a scenario so
// that a failed expectation does not leave the participants blocked (declare
// it after them, so that it goes first).
class MainHold {
public:
    MainHold(AnyGuard& guard, Participant::Side side) : guard_(guard) {
        side == Participant::kReader ? guard.LockForRead() : guard.LockForWrite();
        ++held_;
    }
    void Again() {
        guard_.LockForRead();
        ++held_;
    }
    void Unlock() {
        --held_;
        guard_.Unlock();
    }
    ~MainHold() {
        while (held_ > 0) Unlock();
    }

private:
    AnyGuard& guard_;
    int held_ = 0;
};

class GuardTest : public ::testing::TestWithParam<GuardKind> {};

TEST_P(GuardTest, ReadersOnAFreeGuardAreAllAdmittedAtOnce) {
    AnyGuard guard(GetParam());
    Participants readers;
    Start(readers, guard, Participant::kReader, 4);
    ASSERT_TRUE(Eventually([&] { return CountInside(readers) == 4; }));
    EXPECT_TRUE(Holds(guard.Read(), Counts{4, 0, 0, false}));
    for (auto& reader : readers) reader->LetGo();
    readers.clear();
    EXPECT_TRUE(Holds(guard.Read(), Counts{0, 0, 0, false}));
}

TEST_P(GuardTest, WriterWaitsForReadersAndHoldsOffALaterReader) {
    AnyGuard guard(GetParam());
    Participants writer;
    Participants lateReader;
    MainHold twoReaders(guard, Participant::kReader);
    twoReaders.Again();

    Start(writer, guard, Participant::kWriter, 1);
    ASSERT_TRUE(Eventually([&] { return guard.Read().waitingWriters == 1; }));
    Start(lateReader, guard, Participant::kReader, 1);
    // The lock is only read-held, yet the reader queues behind the writer.
    ASSERT_TRUE(Eventually([&] { return guard.Read().waitingReaders == 1; }));
    EXPECT_TRUE(Holds(guard.Read(), Counts{2, 1, 1, true}));

    twoReaders.Unlock();
    EXPECT_TRUE(Holds(guard.Read(), Counts{1, 1, 1, true}));
    twoReaders.Unlock();
    // The writer was made the holder before it woke.
    EXPECT_TRUE(Holds(guard.Read(), Counts{-1, 1, 0, true}));
    ASSERT_TRUE(Eventually([&] { return writer[0]->Inside(); }));
    EXPECT_FALSE(lateReader[0]->Inside());

    writer.clear();
    EXPECT_TRUE(Holds(guard.Read(), Counts{1, 0, 0, false}));
    ASSERT_TRUE(Eventually([&] { return lateReader[0]->Inside(); }));
    lateReader.clear();
    EXPECT_TRUE(Holds(guard.Read(), Counts{0, 0, 0, false}));
}

TEST_P(GuardTest, QueuedWritersGoFirstThenAllQueuedReadersTogether) {
    AnyGuard guard(GetParam());
    Participants writers;
    Participants readers;
    MainHold writerHold(guard, Participant::kWriter);
    Start(writers, guard, Participant::kWriter, 2);
    ASSERT_TRUE(Eventually([&] { return guard.Read().waitingWriters == 2; }));
    Start(readers, guard, Participant::kReader, 3);
    ASSERT_TRUE(Eventually([&] { return guard.Read().waitingReaders == 3; }));

    writerHold.Unlock();
    EXPECT_TRUE(Holds(guard.Read(), Counts{-1, 3, 1, true}));
    ASSERT_TRUE(Eventually([&] { return CountInside(writers) == 1; }));
    const int first = writers[0]->Inside() ? 0 : 1;
    writers[first]->LetGo();

    ASSERT_TRUE(Eventually([&] { return writers[1 - first]->Inside(); }));
    EXPECT_TRUE(Holds(guard.Read(), Counts{-1, 3, 0, true}));
    EXPECT_EQ(CountInside(readers), 0);
    writers[1 - first]->LetGo();

    // One admission for the three: they are inside together.
    ASSERT_TRUE(Eventually([&] { return CountInside(readers) == 3; }));
    EXPECT_TRUE(Holds(guard.Read(), Counts{3, 0, 0, false}));
    writers.clear();
    readers.clear();
    EXPECT_TRUE(Holds(guard.Read(), Counts{0, 0, 0, false}));
}

TEST_P(GuardTest, NoReaderEverOverlapsAWriter) {
    AnyGuard guard(GetParam());
    constexpr int kReaders = 4;
    constexpr int kWriters = 2;
    constexpr int kReads = 4000;
    constexpr int kWrites = 1000;
    std::atomic<int> readersInside{0};
    std::atomic<int> writersInside{0};
    std::atomic<int> overlaps{0};
    long long value = 0;  // plain on purpose: the guard alone orders it

    std::vector<std::thread> threads;
    for (int r = 0; r < kReaders; ++r) {
        threads.emplace_back([&] {
            for (int i = 0; i < kReads; ++i) {
                guard.LockForRead();
                ++readersInside;
                const long long before = value;
                if (writersInside.load() != 0) ++overlaps;
                if (value != before) ++overlaps;
                --readersInside;
                guard.Unlock();
            }
        });
    }
    for (int w = 0; w < kWriters; ++w) {
        threads.emplace_back([&] {
            for (int i = 0; i < kWrites; ++i) {
                guard.LockForWrite();
                if (++writersInside != 1 || readersInside.load() != 0) ++overlaps;
                ++value;
                --writersInside;
                guard.Unlock();
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_EQ(value, static_cast<long long>(kWriters) * kWrites);
    EXPECT_TRUE(Holds(guard.Read(), Counts{0, 0, 0, false}));
}

INSTANTIATE_TEST_SUITE_P(Kinds, GuardTest,
                         ::testing::Values(GuardKind{false, false}, GuardKind{true, false},
                                           GuardKind{false, true}, GuardKind{true, true}),
                         [](const ::testing::TestParamInfo<GuardKind>& info) {
                             return std::string(info.param.embedded ? "Embedded" : "Heap") +
                                    (info.param.withoutSemaphores ? "Polling" : "Semaphores");
                         });

TEST(GuardWithoutState, EveryOperationAndHolderIsANoOp) {
    CQmErrLogGuard guard;
    QmGuardState* state = QmLockTestAccess::Detach(guard);
    guard.LockForWrite();
    guard.LockForWrite();  // would block for ever with a state
    guard.LockForRead();
    guard.Unlock();
    {
        CQmErrLogAutoWriter writer(guard);
        CQmErrLogAutoReader reader(guard);
    }
    QmLockTestAccess::Restore(guard, state);
    EXPECT_TRUE(Holds(QmLockTestAccess::Read(*state), Counts{0, 0, 0, false}));
}

TEST(GuardHolders, ReleaseWhenTheBlockIsLeftByAnException) {
    CQmErrLogGuard guard;
    try {
        CQmErrLogAutoWriter writer(guard);
        EXPECT_EQ(QmLockTestAccess::Read(QmLockTestAccess::State(guard)).active, -1);
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    try {
        CQmErrLogAutoReader reader(guard);
        CQmErrLogAutoReader another(guard);
        EXPECT_EQ(QmLockTestAccess::Read(QmLockTestAccess::State(guard)).active, 2);
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(QmLockTestAccess::Read(QmLockTestAccess::State(guard)).active, 0);
}

}  // namespace
