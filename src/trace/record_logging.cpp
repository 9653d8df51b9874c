// The record's tie to a logger, kept apart so that code which only fills and
// assembles records does not pull the logger in.
#include "qmerrlog/logger.h"
#include "qmerrlog/tracedata.h"
#include "platform/error_state.h"

void CQmTraceData::SetLogger(CQmLogger* logger) {
    m_pLogger = logger;
}

CQmLogger* CQmTraceData::GetLogger() {
    return m_pLogger != nullptr ? m_pLogger : theLogger();
}

bool CQmTraceData::Log() {
    const qm::platform::CallerErrorState keepCallersErrno;
    CQmLogger* logger = GetLogger();
    return logger != nullptr && logger->LogTraceMsg(m_message);
}
