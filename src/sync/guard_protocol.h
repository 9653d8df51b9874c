// The reader/writer protocol shared by CQmErrLogGuard (state on the heap) and
// CQmGuard (state embedded).
//
// Writer preference with hand-off: a waiting writer blocks new readers; the
// thread that frees the lock counts the threads it wakes as holders before it
// wakes them, so a woken thread owns the lock at once.
//
// The state word packs `active` (low 32 bits, signed: 0 free, n readers,
// -1 one writer) with a "somebody waits" bit. While that bit is clear, nobody
// is counted as waiting, so a reader or writer can take or give up the lock
// with one compare-and-swap on the word alone. While it is set, the word
// changes only under the state's critical section, together with the waiting
// counts. Every change to the word is a compare-and-swap, so a fast path that
// read the word before the bit was set fails and takes the slow path.
#pragma once

#include <atomic>
#include <cstdint>

#include "qmerrlog/locks.h"

namespace qm {
namespace guard {

constexpr std::uint64_t kWaitersBit = std::uint64_t{1} << 32;

inline std::int32_t ActiveOf(std::uint64_t word) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(word));
}

inline bool HasWaiters(std::uint64_t word) {
    return (word & kWaitersBit) != 0;
}

inline std::uint64_t MakeWord(std::int32_t active, bool waiters) {
    return (waiters ? kWaitersBit : 0) | static_cast<std::uint32_t>(active);
}

// A holder of a read lock gives it up; the writer gives its lock up. The
// caller must hold the lock (not checked).
inline std::int32_t ActiveAfterLeave(std::int32_t active) {
    return active > 0 ? active - 1 : active + 1;
}

// Initialises the critical section and both semaphores and zeroes the counts.
void InitState(QmGuardState& state);
// Closes the writers' then the readers' semaphore, then the critical section.
void DestroyState(QmGuardState& state);

void LockForReadSlow(QmGuardState& state);
void LockForWriteSlow(QmGuardState& state);
void UnlockSlow(QmGuardState& state);

inline void LockForRead(QmGuardState& state) {
    std::uint64_t word = state.word.load(std::memory_order_relaxed);
    while (!HasWaiters(word) && ActiveOf(word) >= 0) {
        if (state.word.compare_exchange_weak(word, MakeWord(ActiveOf(word) + 1, false), std::memory_order_acquire,
                                             std::memory_order_relaxed)) {
            return;
        }
    }
    LockForReadSlow(state);
}

inline void LockForWrite(QmGuardState& state) {
    std::uint64_t word = MakeWord(0, false);
    if (state.word.compare_exchange_strong(word, MakeWord(-1, false), std::memory_order_acquire,
                                           std::memory_order_relaxed)) {
        return;
    }
    LockForWriteSlow(state);
}

inline void Unlock(QmGuardState& state) {
    std::uint64_t word = state.word.load(std::memory_order_relaxed);
    // Nobody waits, so nobody is to be woken.
    while (!HasWaiters(word)) {
        if (state.word.compare_exchange_weak(word, MakeWord(ActiveAfterLeave(ActiveOf(word)), false),
                                             std::memory_order_release, std::memory_order_relaxed)) {
            return;
        }
    }
    UnlockSlow(state);
}

}  // namespace guard
}  // namespace qm
