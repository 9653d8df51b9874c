// CQmConsoleOutput: each line is one whole record on the console; the console
// itself is shared by all console outputs of the process through
// CQmConsoleManager, which also keeps records from interleaving.
#include "output/console_manager.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"
#include "platform/error_state.h"

CQmConsoleOutput::CQmConsoleOutput() : m_hConsole(nullptr) {
    SetType(QM_OUTPUT_CONSOLE);
}

bool CQmConsoleOutput::SetParams() {
    return true;
}

bool CQmConsoleOutput::Open() {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (m_hConsole != nullptr) return false;
    m_hConsole = qm::CQmConsoleManager::Instance().AcquireConsole();
    return m_hConsole != nullptr;
}

bool CQmConsoleOutput::Log(CQmErrLogMessage& message) {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (m_hConsole == nullptr) return false;
    const unsigned int length = static_cast<unsigned int>(message.GetBufferLen());
    return qm::CQmConsoleManager::Instance().WriteRecord(message.GetBuffer(), length);
}

bool CQmConsoleOutput::Close() {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (m_hConsole == nullptr) return false;
    qm::CQmConsoleManager::Instance().ReleaseConsole();
    m_hConsole = nullptr;
    return true;
}
