// The two critical-section wrappers and their scoped holders.
#include <new>

#include "platform/critical_section.h"
#include "qmerrlog/locks.h"

static_assert(sizeof(QmCriticalSectionStorage) >= qm::platform::kCriticalSectionBytes,
              "critical section storage too small for the platform");
static_assert(alignof(QmCriticalSectionStorage) >= qm::platform::kCriticalSectionAlign,
              "critical section storage not aligned enough for the platform");

CQmErrLogCriticalSection::CQmErrLogCriticalSection() {
    qm::platform::InitCriticalSection(&m_cs);
}

CQmErrLogCriticalSection::~CQmErrLogCriticalSection() {
    qm::platform::DeleteCriticalSection(&m_cs);
}

void CQmErrLogCriticalSection::Enter() {
    qm::platform::EnterCriticalSection(&m_cs);
}

void CQmErrLogCriticalSection::Leave() {
    qm::platform::LeaveCriticalSection(&m_cs);
}

CQmErrLogPrivAutoCS::CQmErrLogPrivAutoCS(CQmErrLogCriticalSection& cs) : m_cs(cs) {
    m_cs.Enter();
}

CQmErrLogPrivAutoCS::~CQmErrLogPrivAutoCS() {
    m_cs.Leave();
}

// Without memory for the critical section the object stays usable and its
// owner simply runs unprotected.
CQmErrLogCS::CQmErrLogCS() : m_pCS(new (std::nothrow) QmCriticalSectionStorage) {
    if (m_pCS != nullptr) qm::platform::InitCriticalSection(m_pCS);
}

CQmErrLogCS::~CQmErrLogCS() {
    if (m_pCS == nullptr) return;
    qm::platform::DeleteCriticalSection(m_pCS);
    delete m_pCS;
    m_pCS = nullptr;
}

void CQmErrLogCS::Enter() {
    if (m_pCS != nullptr) qm::platform::EnterCriticalSection(m_pCS);
}

void CQmErrLogCS::Leave() {
    if (m_pCS != nullptr) qm::platform::LeaveCriticalSection(m_pCS);
}

CQmErrLogAutoCS::CQmErrLogAutoCS(CQmErrLogCS& cs) : m_cs(cs) {
    m_cs.Enter();
}

CQmErrLogAutoCS::~CQmErrLogAutoCS() {
    m_cs.Leave();
}
