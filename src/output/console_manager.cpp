#include "output/console_manager.h"

#include <new>

#include "platform/console.h"

namespace qm {

CQmConsoleManager& CQmConsoleManager::Instance() {
    alignas(CQmConsoleManager) static unsigned char storage[sizeof(CQmConsoleManager)];
    static CQmConsoleManager* const instance = new (storage) CQmConsoleManager();
    return *instance;
}

void* CQmConsoleManager::AcquireConsole() {
    CQmErrLogAutoCS hold(m_consoleLock);
    if (m_iConsoleRefCount == 0) {
        // A process that already has a console keeps it.
        platform::AllocateConsole();
        m_hConsole = platform::GetConsoleOutputHandle();
    }
    if (m_hConsole != nullptr) ++m_iConsoleRefCount;
    return m_hConsole;
}

void CQmConsoleManager::ReleaseConsole() {
    CQmErrLogAutoCS hold(m_consoleLock);
    if (--m_iConsoleRefCount == 0) {
        platform::FreeConsole();
        m_hConsole = nullptr;
    }
}

int CQmConsoleManager::ReferenceCount() {
    CQmErrLogAutoCS hold(m_consoleLock);
    return m_iConsoleRefCount;
}

}  // namespace qm
