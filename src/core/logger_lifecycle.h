// What the process does to every logger at once: close its outputs at exit,
// hold its guards while the process forks. Reaches the logger's privates.
#pragma once

#include "qmerrlog/export.h"

class CQmLogger;
class CQmErrLogGuard;

namespace qm {
struct LoggerLifecycle;  // the purpose: what is done to every logger at once
}  // namespace qm

template <>
struct QmInternalAccess<qm::LoggerLifecycle> {
    // Write sides of the log, trace and audit guards, in that order. Every
    // output of a logger is used only under the read side of one of them, so
    // holding all three also keeps every installed output's own lock free.
    static void LockGuardsForFork(CQmLogger& logger);
    static void UnlockGuardsInParent(CQmLogger& logger);
    static void ResetGuardsInChild(CQmLogger& logger);
    // Closes, flushes and deletes every output; later lines return false.
    static void CloseOutputsAtExit(CQmLogger& logger);
};
using QmLoggerLifecycle = QmInternalAccess<qm::LoggerLifecycle>;

namespace qm {

// Once per process, from the first logger: the exit handler and the fork
// handlers.
void InstallProcessHandlers();
// The exit handler's work: refuse installs from now on, close every output.
void CloseOutputsForExit();
// True once the exit handler ran: installs are refused from then on.
bool ProcessExiting();

// The named-logger list's guard: taken first of all while the process forks,
// since removing a named logger holds it while taking that logger's guards.
void SetOuterForkGuard(CQmErrLogGuard* guard);
// Registers the fork handlers (see fork_safety.cpp).
void InstallForkSafety();

}  // namespace qm
