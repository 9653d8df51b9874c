// The two reader/writer guards and their scoped holders, all on the one
// protocol of sync/guard_protocol.h.
#include <new>

#include "qmerrlog/locks.h"
#include "sync/guard_protocol.h"

// Without memory for the state block the guard stays usable and its owner
// simply runs unprotected.
CQmErrLogGuard::CQmErrLogGuard() : m_pState(new (std::nothrow) QmGuardState) {
    if (m_pState != nullptr) qm::guard::InitState(*m_pState);
}

CQmErrLogGuard::~CQmErrLogGuard() {
    if (m_pState == nullptr) return;
    qm::guard::DestroyState(*m_pState);
    delete m_pState;
    m_pState = nullptr;
}

void CQmErrLogGuard::LockForRead() {
    if (m_pState != nullptr) qm::guard::LockForRead(*m_pState);
}

void CQmErrLogGuard::LockForWrite() {
    if (m_pState != nullptr) qm::guard::LockForWrite(*m_pState);
}

void CQmErrLogGuard::Unlock() {
    if (m_pState != nullptr) qm::guard::Unlock(*m_pState);
}

CQmGuard::CQmGuard() {
    qm::guard::InitState(m_state);
}

CQmGuard::~CQmGuard() {
    qm::guard::DestroyState(m_state);
}

void CQmGuard::LockForRead() {
    qm::guard::LockForRead(m_state);
}

void CQmGuard::LockForWrite() {
    qm::guard::LockForWrite(m_state);
}

void CQmGuard::Unlock() {
    qm::guard::Unlock(m_state);
}

CQmErrLogAutoReader::CQmErrLogAutoReader(CQmErrLogGuard& guard) : m_guard(guard) {
    m_guard.LockForRead();
}

CQmErrLogAutoReader::~CQmErrLogAutoReader() {
    m_guard.Unlock();
}

CQmErrLogAutoWriter::CQmErrLogAutoWriter(CQmErrLogGuard& guard) : m_guard(guard) {
    m_guard.LockForWrite();
}

CQmErrLogAutoWriter::~CQmErrLogAutoWriter() {
    m_guard.Unlock();
}
