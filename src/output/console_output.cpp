// CQmConsoleOutput: each line is one console write; the console itself is
// shared by all console outputs of the process through CQmConsoleManager.
#include "output/console_manager.h"
#include "platform/console.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"

CQmConsoleOutput::CQmConsoleOutput() : m_hConsole(nullptr) { SetType(QM_OUTPUT_CONSOLE); }

bool CQmConsoleOutput::SetParams() { return true; }

bool CQmConsoleOutput::Open() {
    if (m_hConsole != nullptr) return false;
    m_hConsole = qm::CQmConsoleManager::Instance().AcquireConsole();
    return m_hConsole != nullptr;
}

bool CQmConsoleOutput::Log(CQmErrLogMessage& message) {
    if (m_hConsole == nullptr) return false;
    const unsigned int length = static_cast<unsigned int>(message.GetBufferLen());
    unsigned int written = 0;
    if (!qm::platform::WriteConsole(m_hConsole, message.GetBuffer(), length, &written)) {
        return false;
    }
    return written >= length;
}

bool CQmConsoleOutput::Close() {
    if (m_hConsole == nullptr) return false;
    qm::CQmConsoleManager::Instance().ReleaseConsole();
    m_hConsole = nullptr;
    return true;
}
