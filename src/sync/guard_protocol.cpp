// Slow paths of the reader/writer protocol: everything that involves waiting
// threads happens here, under the state's critical section.
#include "sync/guard_protocol.h"

#include <thread>

#include "platform/critical_section.h"
#include "platform/semaphore.h"

namespace qm {
namespace guard {

namespace {

constexpr long kMaximumWaiters = 0x7FFFFFFF;

class HoldStateLock {
public:
    explicit HoldStateLock(QmGuardState& state) : cs_(&state.cs) { platform::EnterCriticalSection(cs_); }
    ~HoldStateLock() { platform::LeaveCriticalSection(cs_); }
    HoldStateLock(const HoldStateLock&) = delete;
    HoldStateLock& operator=(const HoldStateLock&) = delete;

private:
    void* cs_;
};

// One side of the guard: its semaphore, or, when that could not be created,
// a grant counter that its waiters poll. Either way a waiter leaves only with
// an admission handed to it, never without the lock.
struct Side {
    void* semaphore;
    std::atomic<std::int32_t>* grants;
};

Side ReadersOf(QmGuardState& state) {
    return Side{state.readersSemaphore, &state.readerGrants};
}
Side WritersOf(QmGuardState& state) {
    return Side{state.writersSemaphore, &state.writerGrants};
}

void Admit(const Side& side, std::int32_t count) {
    if (side.semaphore != nullptr) {
        // Cannot be refused: at most every thread of the process waits.
        platform::ReleaseSemaphore(side.semaphore, count);
    } else {
        side.grants->fetch_add(count, std::memory_order_release);
    }
}

void AwaitAdmission(const Side& side) {
    if (side.semaphore != nullptr) {
        // A failed wait is retried rather than taken as an admission.
        while (platform::WaitSemaphore(side.semaphore, platform::kInfiniteWait) != platform::kWaitSignalled) {
        }
        return;
    }
    for (;;) {
        std::int32_t grants = side.grants->load(std::memory_order_relaxed);
        if (grants > 0 && side.grants->compare_exchange_weak(grants, grants - 1, std::memory_order_acquire,
                                                             std::memory_order_relaxed)) {
            return;
        }
        std::this_thread::yield();
    }
}

// Called under the state lock: either joins as a holder (next) or, when it
// must wait, only raises the waiters bit. Returns whether it must wait.
template <typename Decide>
bool JoinOrQueue(QmGuardState& state, Decide decide) {
    std::uint64_t word = state.word.load(std::memory_order_relaxed);
    for (;;) {
        std::uint64_t next = 0;
        const bool mustWait = decide(word, &next);
        if (mustWait) next = word | kWaitersBit;
        // acq_rel: joining acquires what earlier holders released; raising the
        // bit keeps every change of the word in one chain of read-modify-writes.
        if (state.word.compare_exchange_weak(word, next, std::memory_order_acq_rel, std::memory_order_relaxed)) {
            return mustWait;
        }
    }
}

}  // namespace

void InitState(QmGuardState& state) {
    state.word.store(MakeWord(0, false), std::memory_order_relaxed);
    state.waitingReaders = 0;
    state.waitingWriters = 0;
    state.readerGrants.store(0, std::memory_order_relaxed);
    state.writerGrants.store(0, std::memory_order_relaxed);
    platform::InitCriticalSection(&state.cs);
    state.readersSemaphore = platform::CreateSemaphore(0, kMaximumWaiters);
    state.writersSemaphore = platform::CreateSemaphore(0, kMaximumWaiters);
}

void DestroyState(QmGuardState& state) {
    if (state.writersSemaphore != nullptr) platform::CloseSemaphore(state.writersSemaphore);
    state.writersSemaphore = nullptr;
    if (state.readersSemaphore != nullptr) platform::CloseSemaphore(state.readersSemaphore);
    state.readersSemaphore = nullptr;
    platform::DeleteCriticalSection(&state.cs);
}

void LockForReadSlow(QmGuardState& state) {
    bool mustWait = false;
    {
        HoldStateLock hold(state);
        mustWait = JoinOrQueue(state, [&state](std::uint64_t word, std::uint64_t* next) {
            const std::int32_t active = ActiveOf(word);
            if (state.waitingWriters != 0 || active < 0) return true;
            *next = MakeWord(active + 1, HasWaiters(word));
            return false;
        });
        if (mustWait) ++state.waitingReaders;
    }
    if (mustWait) AwaitAdmission(ReadersOf(state));
}

void LockForWriteSlow(QmGuardState& state) {
    bool mustWait = false;
    {
        HoldStateLock hold(state);
        mustWait = JoinOrQueue(state, [](std::uint64_t word, std::uint64_t* next) {
            if (ActiveOf(word) != 0) return true;
            *next = MakeWord(-1, HasWaiters(word));
            return false;
        });
        if (mustWait) ++state.waitingWriters;
    }
    if (mustWait) AwaitAdmission(WritersOf(state));
}

void UnlockSlow(QmGuardState& state) {
    bool wakeWriter = false;
    std::int32_t readersToWake = 0;
    {
        HoldStateLock hold(state);
        std::uint64_t word = state.word.load(std::memory_order_relaxed);
        std::int32_t readers = 0;
        std::int32_t writers = 0;
        for (;;) {
            std::int32_t active = ActiveAfterLeave(ActiveOf(word));
            readers = state.waitingReaders;
            writers = state.waitingWriters;
            wakeWriter = false;
            readersToWake = 0;
            // The woken threads are made holders here, so they need not look again.
            if (active == 0 && writers > 0) {
                active = -1;
                --writers;
                wakeWriter = true;
            } else if (active == 0 && readers > 0) {
                active = readers;
                readersToWake = readers;
                readers = 0;
            }
            if (state.word.compare_exchange_weak(word, MakeWord(active, readers + writers > 0),
                                                 std::memory_order_acq_rel, std::memory_order_relaxed)) {
                break;
            }
        }
        state.waitingReaders = readers;
        state.waitingWriters = writers;
    }
    if (wakeWriter) Admit(WritersOf(state), 1);
    if (readersToWake > 0) Admit(ReadersOf(state), readersToWake);
}

}  // namespace guard
}  // namespace qm
