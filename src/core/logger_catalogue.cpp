// The catalogue side of CQmLogger: message lookup, the component list text and
// the single-library load and unload helpers.
#include "core/catalogue.h"
#include "qmerrlog/component.h"
#include "qmerrlog/logger.h"

bool CQmLogger::m_bUnloadedComponents = false;

// No guard: the component table changes only in Init and Release.
const char* CQmLogger::FetchMsg(unsigned int messageId) const {
    if (!m_bInitialised.load(std::memory_order_acquire)) return nullptr;
    const unsigned int number = QmComponentNumber(messageId);
    if (number == 0 || number > static_cast<unsigned int>(m_iComponentCount) || m_ppComponents == nullptr) {
        return nullptr;
    }
    CQmErrLogComponent* component = m_ppComponents[number - 1];
    return component != nullptr ? component->GetMessage(messageId) : nullptr;
}

const char* CQmLogger::GetAvailableComponents() const {
    return m_pszComponentList;
}

// The slot is not needed: the library name alone decides what is loaded.
CQmErrLogComponent* CQmLogger::LoadComponent(unsigned long /*slot*/, const char* libraryName) {
    return qm::LoadComponentLibrary(libraryName);
}

void CQmLogger::UnloadComponent(CQmErrLogComponent* component) {
    qm::UnloadComponentLibrary(component);
}
