#include "output/console_manager.h"

#include <new>

#include "platform/console.h"
#include "platform/no_destructor.h"

namespace qm {

CQmConsoleManager& CQmConsoleManager::Instance() {
    static NoDestructor<CQmConsoleManager> instance(ConstructedBy{},
                                                    [](void* at) { new (at) CQmConsoleManager(); });
    return *instance;
}

void* CQmConsoleManager::AcquireConsole() {
    CQmErrLogAutoCS hold(m_consoleLock);
    if (m_iConsoleRefCount == 0) {
        // A process that already has a console keeps it.
        platform::AllocateConsole();
        m_hConsole = platform::GetConsoleOutputHandle();
        // Decided once here, so that lines to a terminal or a file cost no
        // more than their write.
        m_bReaderCanGo = platform::ConsoleIsPipe(m_hConsole);
        m_bRecordCutShort = false;
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

bool CQmConsoleManager::WriteRecord(const char* text, unsigned int length) {
    // Under the console lock, so that records longer than what a pipe takes
    // at once are never interleaved with other threads' records.
    CQmErrLogAutoCS hold(m_consoleLock);
    if (m_hConsole == nullptr) return false;
    if (m_bRecordCutShort) {
        unsigned int written = 0;
        if (!platform::WriteConsole(m_hConsole, "\n", 1, m_bReaderCanGo, &written) || written != 1) {
            return false;
        }
        m_bRecordCutShort = false;
    }
    unsigned int done = 0;
    while (done < length) {
        unsigned int written = 0;
        if (!platform::WriteConsole(m_hConsole, text + done, length - done, m_bReaderCanGo, &written) ||
            written == 0) {
            m_bRecordCutShort = done != 0;
            return false;
        }
        done += written;
    }
    return true;
}

int CQmConsoleManager::ReferenceCount() {
    CQmErrLogAutoCS hold(m_consoleLock);
    return m_iConsoleRefCount;
}

}  // namespace qm
