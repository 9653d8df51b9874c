// Outputs that hand each line to the program's function on the logging
// thread. They take no lock: the program's callback must cope with being
// called from several threads at once.
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"

CQmSyncCallbackOutput::CQmSyncCallbackOutput() : m_pfnCallback(nullptr) {
    SetType(QM_OUTPUT_SYNC_CALLBACK);
}

bool CQmSyncCallbackOutput::SetParams(QmSyncCallback callback) {
    m_pfnCallback = callback;
    return true;
}

bool CQmSyncCallbackOutput::Open() {
    return true;
}

bool CQmSyncCallbackOutput::Log(CQmErrLogMessage& message) {
    if (m_pfnCallback == nullptr) return false;
    m_pfnCallback(message.GetBuffer(), message.GetBufferLen());
    return true;
}

bool CQmSyncCallbackOutput::Close() {
    m_pfnCallback = nullptr;
    return true;
}

CQmSyncParameterizedCallbackOutput::CQmSyncParameterizedCallbackOutput()
    : m_pfnCallback(nullptr), m_pUser(nullptr) {
    SetType(QM_OUTPUT_SYNC_PARAM_CALLBACK);
}

bool CQmSyncParameterizedCallbackOutput::SetParams(QmSyncParameterizedCallback callback, void* user) {
    m_pfnCallback = callback;
    m_pUser = user;
    return true;
}

bool CQmSyncParameterizedCallbackOutput::Open() {
    return m_pfnCallback != nullptr && m_pUser != nullptr;
}

bool CQmSyncParameterizedCallbackOutput::Log(CQmErrLogMessage& message) {
    if (m_pfnCallback == nullptr || m_pUser == nullptr) return false;
    m_pfnCallback(message.GetBuffer(), message.GetBufferLen(), m_pUser);
    return true;
}

bool CQmSyncParameterizedCallbackOutput::Close() {
    m_pfnCallback = nullptr;
    m_pUser = nullptr;
    return true;
}
