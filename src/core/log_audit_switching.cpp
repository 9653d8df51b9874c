// Switching the error-log output off and the audit output on and off.
#include "core/logger_lifecycle.h"
#include "core/output_slot.h"
#include "qmerrlog/logger.h"
#include "platform/error_state.h"

void CQmLogger::DisableLog() {
    const qm::platform::CallerErrorState keepCallersErrno;
    CQmErrLogAutoWriter hold(m_logGuard);
    qm::CloseAndDelete(m_pLogOutput);
}

bool CQmLogger::EnableAuditLogRollover(CQmLogOutput* output) {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (output == nullptr) return false;
    CQmErrLogAutoWriter hold(m_auditGuard);
    // The installed audit output handed in again stays installed and open:
    // closing and deleting it first would leave the caller a dead object.
    if (output == m_pAuditOutput) return true;
    // In a slot anywhere else, it stays there; nothing here changes.
    if (qm::ProcessExiting() || !qm::ClaimOutput(output)) return false;
    qm::CloseAndDelete(m_pAuditOutput);
    if (!output->Open()) {
        qm::UnclaimOutput(output);
        return false;
    }
    m_pAuditOutput = output;
    return true;
}

void CQmLogger::DisableAuditLog() {
    const qm::platform::CallerErrorState keepCallersErrno;
    CQmErrLogAutoWriter hold(m_auditGuard);
    qm::CloseAndDelete(m_pAuditOutput);
}
