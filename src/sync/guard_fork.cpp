#include "sync/guard_fork.h"

#include "platform/critical_section.h"
#include "platform/semaphore.h"
#include "qmerrlog/locks.h"
#include "sync/guard_protocol.h"

namespace qm {
struct GuardForkReset;  // the purpose: the state under a guard or a section
}  // namespace qm

template <>
struct QmInternalAccess<qm::GuardForkReset> {
    static QmGuardState* StateOf(CQmErrLogGuard& guard) { return guard.m_pState; }
    static QmCriticalSectionStorage* StorageOf(CQmErrLogCriticalSection& section) { return &section.m_cs; }
};
using QmGuardForkAccess = QmInternalAccess<qm::GuardForkReset>;

namespace qm {

void LockGuardForFork(CQmErrLogGuard& guard) {
    guard.LockForWrite();
}

void UnlockGuardInParent(CQmErrLogGuard& guard) {
    guard.Unlock();
}

void ResetGuardInChild(CQmErrLogGuard& guard) {
    QmGuardState* state = QmGuardForkAccess::StateOf(guard);
    if (state == nullptr) return;
    state->word.store(guard::MakeWord(0, false), std::memory_order_relaxed);
    state->waitingReaders = 0;
    state->waitingWriters = 0;
    state->readerGrants.store(0, std::memory_order_relaxed);
    state->writerGrants.store(0, std::memory_order_relaxed);
    platform::ResetCriticalSectionInChild(&state->cs);
    platform::ResetSemaphoreInChild(state->readersSemaphore);
    platform::ResetSemaphoreInChild(state->writersSemaphore);
}

void ResetCriticalSectionInChild(CQmErrLogCriticalSection& section) {
    platform::ResetCriticalSectionInChild(QmGuardForkAccess::StorageOf(section));
}

}  // namespace qm
