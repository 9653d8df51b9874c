// The end of the process. Loggers are never destroyed while the process
// exits: detached threads may still log, and a late call must find its
// logger, its component table and its guards intact. What must happen at
// exit is that every line accepted reaches its file: an exit handler closes
// (and so flushes) every output of every logger, and lines after it return
// false.
#include <atomic>
#include <cstdlib>
#include <mutex>

#include "core/live_loggers.h"
#include "core/logger_lifecycle.h"
#include "core/output_slot.h"
#include "core/thread_trace_table.h"
#include "qmerrlog/logger.h"

namespace {

std::atomic<bool> g_exiting{false};

void CloseEveryOutput() {
    qm::CloseOutputsForExit();
}

}  // namespace

void QmLoggerLifecycle::CloseOutputsAtExit(CQmLogger& logger) {
    // Same order as everywhere: log, trace, audit.
    CQmErrLogAutoWriter log(logger.m_logGuard);
    CQmErrLogAutoWriter trace(logger.m_traceGuard);
    CQmErrLogAutoWriter audit(logger.m_auditGuard);
    qm::CloseAndDelete(logger.m_pLogOutput);
    qm::CloseAndDelete(logger.m_pMainTraceOutput);
    qm::CloseAndDelete(logger.m_pSecondTraceOutput);
    qm::CloseAndDelete(logger.m_pAuditOutput);
}

namespace qm {

bool ProcessExiting() {
    return g_exiting.load(std::memory_order_relaxed);
}

void CloseOutputsForExit() {
    g_exiting.store(true, std::memory_order_relaxed);
    ForEachLiveLogger(&QmLoggerLifecycle::CloseOutputsAtExit);
    // With every trace output closed, tracing threads stop before the slot;
    // one already past that check reads the freed slot as empty.
    FreeTraceThreadSlotAtExit();
}

void InstallProcessHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::atexit(&CloseEveryOutput);
        InstallForkSafety();
    });
}

}  // namespace qm
