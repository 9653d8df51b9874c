// The waitable-object base and the semaphore wrapper. On this platform the
// only waitable object is a semaphore, so the base closes its handle as one.
#include "platform/semaphore.h"
#include "qmerrlog/locks.h"

static_assert(QM_INFINITE == qm::platform::kInfiniteWait, "one value means 'wait for ever'");

CQmErrLogSyncBase::CQmErrLogSyncBase() : m_hHandle(nullptr) {}

CQmErrLogSyncBase::~CQmErrLogSyncBase() {
    if (m_hHandle != nullptr) qm::platform::CloseSemaphore(m_hHandle);
    m_hHandle = nullptr;
}

int CQmErrLogSyncBase::Wait(unsigned int timeoutMs) {
    switch (qm::platform::WaitSemaphore(m_hHandle, timeoutMs)) {
        case qm::platform::kWaitSignalled: return 0;
        case qm::platform::kWaitTimedOut: return 1;
        default: return -1;
    }
}

bool CQmErrLogSyncBase::Test() {
    return Wait(0) == 0;
}

CQmErrLogSemaphore::CQmErrLogSemaphore(long initialCount, long maximumCount, bool create) {
    if (create) m_hHandle = qm::platform::CreateSemaphore(initialCount, maximumCount);
}

bool CQmErrLogSemaphore::Init(long initialCount, long maximumCount) {
    if (m_hHandle != nullptr) return false;
    m_hHandle = qm::platform::CreateSemaphore(initialCount, maximumCount);
    return m_hHandle != nullptr;
}

void CQmErrLogSemaphore::Release(long count) {
    // The result is of no use to callers: a refused rise leaves the count as it was.
    (void)qm::platform::ReleaseSemaphore(m_hHandle, count);
}
