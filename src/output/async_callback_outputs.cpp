// Outputs for consumers that may keep working on a line after the callback
// returns: they receive a release function with it. The text stays the
// message's own and the release function does nothing, so a consumer that
// needs the text later copies it before returning. Close keeps the callback,
// since such a consumer may still be finishing lines it was given.
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"

CQmAsyncCallbackOutput::CQmAsyncCallbackOutput() : m_pfnCallback(nullptr) {
    SetType(QM_OUTPUT_ASYNC_CALLBACK);
}

bool CQmAsyncCallbackOutput::SetParams(QmAsyncCallback callback) {
    m_pfnCallback = callback;
    return true;
}

bool CQmAsyncCallbackOutput::Open() {
    return true;
}

bool CQmAsyncCallbackOutput::Log(CQmErrLogMessage& message) {
    if (m_pfnCallback == nullptr) return false;
    m_pfnCallback(message.GetBuffer(), message.GetBufferLen(), &CQmErrLogMessage::FreeBuffer);
    return true;
}

bool CQmAsyncCallbackOutput::Close() {
    return true;
}

bool CQmAsyncCallbackOutput::IsAsync() {
    return true;
}

CQmAsyncParameterizedCallbackOutput::CQmAsyncParameterizedCallbackOutput()
    : m_pfnCallback(nullptr), m_pUser(nullptr) {
    SetType(QM_OUTPUT_ASYNC_PARAM_CALLBACK);
}

bool CQmAsyncParameterizedCallbackOutput::SetParams(QmAsyncParameterizedCallback callback, void* user) {
    m_pfnCallback = callback;
    m_pUser = user;
    return true;
}

bool CQmAsyncParameterizedCallbackOutput::Open() {
    return m_pfnCallback != nullptr && m_pUser != nullptr;
}

bool CQmAsyncParameterizedCallbackOutput::Log(CQmErrLogMessage& message) {
    if (m_pfnCallback == nullptr) return false;
    m_pfnCallback(message.GetBuffer(), message.GetBufferLen(), &CQmErrLogMessage::FreeBuffer, m_pUser);
    return true;
}

bool CQmAsyncParameterizedCallbackOutput::Close() {
    return true;
}

bool CQmAsyncParameterizedCallbackOutput::IsAsync() {
    return true;
}
