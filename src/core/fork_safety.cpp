// fork() while other threads log. Only the forking thread lives on in the
// child, so a lock that another thread held at the copy would stay held for
// ever there. Before the copy the forking thread takes every lock of the
// library in one fixed order:
//
//   named-logger list guard -> live-logger list -> each logger's log, trace
//   and audit guards (write side) -> output claims -> thread trace pool ->
//   backup compression queue
//
// The write sides keep every installed output idle, so its own lock (file
// lock, console lock) is free at the copy; the component libraries' lock is
// only taken under a logger's guards too. The parent then unlocks as usual,
// handing on to its queued threads; the child instead resets every lock to
// free with nobody waiting, since the threads that queued are not there.
#include <atomic>

#include "core/live_loggers.h"
#include "core/logger_lifecycle.h"
#include "core/output_claims.h"
#include "core/thread_trace_pool.h"
#include "output/compression_worker.h"
#include "platform/fork_hook.h"
#include "qmerrlog/logger.h"
#include "sync/guard_fork.h"

namespace {

std::atomic<CQmErrLogGuard*> g_outerGuard{nullptr};

void PrepareFork() {
    CQmErrLogGuard* outer = g_outerGuard.load(std::memory_order_acquire);
    if (outer != nullptr) qm::LockGuardForFork(*outer);
    qm::LiveLoggersLock().Enter();
    qm::ForEachLiveLogger(&QmLoggerLifecycle::LockGuardsForFork);
    qm::OutputClaimsLock().Enter();
    qm::ThreadTracePoolLock().Enter();
    qm::CompressionWorkerPrepareFork();
}

void ResumeParent() {
    qm::CompressionWorkerAfterForkInParent();
    qm::ThreadTracePoolLock().Leave();
    qm::OutputClaimsLock().Leave();
    qm::ForEachLiveLogger(&QmLoggerLifecycle::UnlockGuardsInParent);
    qm::LiveLoggersLock().Leave();
    CQmErrLogGuard* outer = g_outerGuard.load(std::memory_order_acquire);
    if (outer != nullptr) qm::UnlockGuardInParent(*outer);
}

void StartChild() {
    // The worker thread stays in the parent; the child starts its own on need.
    qm::CompressionWorkerAfterForkInChild();
    qm::ResetCriticalSectionInChild(qm::ThreadTracePoolLock());
    qm::ResetCriticalSectionInChild(qm::OutputClaimsLock());
    // The list's lock first: the walk below takes it afresh.
    qm::ResetCriticalSectionInChild(qm::LiveLoggersLock());
    qm::ForEachLiveLogger(&QmLoggerLifecycle::ResetGuardsInChild);
    CQmErrLogGuard* outer = g_outerGuard.load(std::memory_order_acquire);
    if (outer != nullptr) qm::ResetGuardInChild(*outer);
}

}  // namespace

void QmLoggerLifecycle::LockGuardsForFork(CQmLogger& logger) {
    qm::LockGuardForFork(logger.m_logGuard);
    qm::LockGuardForFork(logger.m_traceGuard);
    qm::LockGuardForFork(logger.m_auditGuard);
}

void QmLoggerLifecycle::UnlockGuardsInParent(CQmLogger& logger) {
    qm::UnlockGuardInParent(logger.m_auditGuard);
    qm::UnlockGuardInParent(logger.m_traceGuard);
    qm::UnlockGuardInParent(logger.m_logGuard);
}

void QmLoggerLifecycle::ResetGuardsInChild(CQmLogger& logger) {
    qm::ResetGuardInChild(logger.m_logGuard);
    qm::ResetGuardInChild(logger.m_traceGuard);
    qm::ResetGuardInChild(logger.m_auditGuard);
}

namespace qm {

void SetOuterForkGuard(CQmErrLogGuard* guard) {
    g_outerGuard.store(guard, std::memory_order_release);
}

void InstallForkSafety() {
    platform::InstallForkHandlers(&PrepareFork, &ResumeParent, &StartChild);
}

}  // namespace qm
