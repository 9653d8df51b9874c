// Switching the error-log output off and the audit output on and off.
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
    return qm::InstallOutput(m_pAuditOutput, output);
}

void CQmLogger::DisableAuditLog() {
    const qm::platform::CallerErrorState keepCallersErrno;
    CQmErrLogAutoWriter hold(m_auditGuard);
    qm::CloseAndDelete(m_pAuditOutput);
}
