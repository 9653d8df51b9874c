// A chain of error entries owned by the chain and written through the default
// logger, all new ones or only the last.
#include <new>

#include "qmerrlog/error.h"
#include "qmerrlog/logger.h"
#include "platform/error_state.h"

CQmError::CQmError() : m_pHead(nullptr), m_pTail(nullptr) {}

CQmError::~CQmError() {
    Clear();
}

// Copying moves: an entry belongs to exactly one chain, so the source gives its
// entries up although it is passed as const.
CQmError::CQmError(const CQmError& other) : m_pHead(other.m_pHead), m_pTail(other.m_pTail) {
    other.m_pHead = nullptr;
    other.m_pTail = nullptr;
}

// Assigning a chain to itself therefore empties it: Clear has already
// deleted what would be taken over.
CQmError& CQmError::operator=(const CQmError& other) {
    Clear();
    m_pHead = other.m_pHead;
    m_pTail = other.m_pTail;
    other.m_pHead = nullptr;
    other.m_pTail = nullptr;
    return *this;
}

CQmErrData* CQmError::NewErrData() {
    return new (std::nothrow) CQmErrData();
}

void CQmError::Clear() {
    CQmErrData* entry = m_pHead;
    m_pHead = nullptr;
    m_pTail = nullptr;
    while (entry != nullptr) {
        CQmErrData* next = entry->GetNext();
        delete entry;
        entry = next;
    }
}

void CQmError::AddError(CQmErrData* entry) {
    entry->SetNext(nullptr);
    if (m_pTail == nullptr) {
        m_pHead = entry;
    } else {
        m_pTail->SetNext(entry);
    }
    m_pTail = entry;
}

void CQmError::SetError(CQmErrData* entry) {
    Clear();
    AddError(entry);
}

// A refused entry is flagged all the same: it is not offered again.
bool CQmError::LogMessages() {
    const qm::platform::CallerErrorState keepCallersErrno;
    CQmLogger* logger = theLogger();
    bool allAccepted = true;
    for (CQmErrData* entry = m_pHead; entry != nullptr; entry = entry->GetNext()) {
        if (entry->IsLogged()) continue;
        if (!logger->LogErrMsg(entry->GetErrLogMessage())) allAccepted = false;
        entry->SetLogged();
    }
    return allAccepted;
}

// The last entry stands for the whole chain: it is written even when already
// flagged, and every entry counts as written afterwards.
bool CQmError::LogLastMessage() {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (m_pTail != nullptr) theLogger()->LogErrMsg(m_pTail->GetErrLogMessage());
    for (CQmErrData* entry = m_pHead; entry != nullptr; entry = entry->GetNext()) entry->SetLogged();
    return true;
}

unsigned int CQmError::GetLastError() const {
    return m_pTail != nullptr ? m_pTail->GetErrorCode() : 0;
}
