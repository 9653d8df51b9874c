// Reaches into the lock classes so that tests can observe a guard's counters
// and run locks without their heap block or semaphores.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/critical_section.h"
#include "platform/semaphore.h"
#include "qmerrlog/locks.h"
#include "sync/guard_protocol.h"

struct QmLockTestAccess {
    struct Counts {
        int active;
        int waitingReaders;
        int waitingWriters;
        bool waitersBit;
    };

    static QmGuardState& State(CQmErrLogGuard& guard) { return *guard.m_pState; }
    static QmGuardState& State(CQmGuard& guard) { return guard.m_state; }

    // Taken under the state's lock, so the counts agree with each other.
    static Counts Read(QmGuardState& state) {
        qm::platform::EnterCriticalSection(&state.cs);
        const std::uint64_t word = state.word.load();
        Counts counts{qm::guard::ActiveOf(word), state.waitingReaders, state.waitingWriters,
                      qm::guard::HasWaiters(word)};
        qm::platform::LeaveCriticalSection(&state.cs);
        return counts;
    }

    // As if the semaphores could not be created. Only while nobody waits.
    static void DropSemaphores(QmGuardState& state) {
        qm::platform::CloseSemaphore(state.readersSemaphore);
        qm::platform::CloseSemaphore(state.writersSemaphore);
        state.readersSemaphore = nullptr;
        state.writersSemaphore = nullptr;
    }

    // As if the allocation in the constructor had failed; Restore before the
    // object is destroyed.
    static QmGuardState* Detach(CQmErrLogGuard& guard) { return std::exchange(guard.m_pState, nullptr); }
    static void Restore(CQmErrLogGuard& guard, QmGuardState* state) { guard.m_pState = state; }
    static QmCriticalSectionStorage* Detach(CQmErrLogCS& cs) { return std::exchange(cs.m_pCS, nullptr); }
    static void Restore(CQmErrLogCS& cs, QmCriticalSectionStorage* storage) { cs.m_pCS = storage; }

};

namespace qm {
namespace test {

// Polls a condition until it holds or a generous deadline passes.
inline bool Eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A one-shot signal that a thread can block on.
class Event {
public:
    void Set() {
        std::lock_guard<std::mutex> lock(mutex_);
        set_ = true;
        changed_.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return set_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool set_ = false;
};

}  // namespace test
}  // namespace qm
