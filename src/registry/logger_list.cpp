// The process-wide list of named loggers. It owns its loggers and the copies
// of their names; callers only borrow pointers.
#include <cstring>

#include "core/logger_lifecycle.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/registry.h"
#include "platform/error_state.h"
#include "platform/no_destructor.h"

bool QmLoggerNameLess::operator()(const char* a, const char* b) const {
    // strcmp compares bytes as unsigned char, the shorter name first on a prefix.
    return std::strcmp(a, b) < 0;
}

CQmLoggerList::CQmLoggerList() : m_pMap(nullptr), m_pGuard(new CQmErrLogGuard()) {}

CQmLoggerList::~CQmLoggerList() {
    LoggerMap* map = m_pMap.load(std::memory_order_acquire);
    if (map != nullptr) {
        CQmErrLogAutoWriter hold(*m_pGuard);
        for (auto& entry : *map) {
            delete[] entry.first;
            delete entry.second;
        }
        map->clear();
    }
    delete map;
    m_pMap.store(nullptr, std::memory_order_relaxed);
    delete m_pGuard;
    m_pGuard = nullptr;
}

CQmLogger* CQmLoggerList::GetLogger(const char* name) {
    LoggerMap* map = m_pMap.load(std::memory_order_acquire);
    if (map == nullptr || name == nullptr) return nullptr;
    CQmErrLogAutoReader hold(*m_pGuard);
    auto found = map->find(name);
    return found == map->end() ? nullptr : found->second;
}

CQmLogger* CQmLoggerList::AddLogger(const char* name) {
    if (name == nullptr || name[0] == '\0') return nullptr;
    CQmErrLogAutoWriter hold(*m_pGuard);
    LoggerMap* map = m_pMap.load(std::memory_order_relaxed);
    if (map != nullptr) {
        auto found = map->find(name);
        if (found != map->end()) return found->second;
    } else {
        map = new LoggerMap();
        m_pMap.store(map, std::memory_order_release);
    }
    // Built under the write side: lookups of other names wait for it.
    CQmLogger* logger = new CQmLogger();
    const std::size_t length = std::strlen(name);
    char* key = nullptr;
    try {
        key = new char[length + 1];
        std::memcpy(key, name, length + 1);
        map->emplace(key, logger);
    } catch (...) {
        delete[] key;
        delete logger;
        throw;
    }
    return logger;
}

bool CQmLoggerList::RemoveLogger(const char* name) {
    LoggerMap* map = m_pMap.load(std::memory_order_acquire);
    if (map == nullptr) return true;  // nothing was ever registered
    if (name == nullptr) return false;
    CQmErrLogAutoWriter hold(*m_pGuard);
    auto found = map->find(name);
    if (found == map->end()) return false;
    const char* key = found->first;
    CQmLogger* logger = found->second;
    map->erase(found);
    delete logger;
    delete[] key;
    return true;
}

CQmLoggerList* theLoggerList() {
    const qm::platform::CallerErrorState keepCallersErrno;
    // Never destroyed, nor its loggers: threads may log through a named logger
    // while the process exits. Its guard is the first lock taken across fork.
    static CQmLoggerList* const list = [] {
        static qm::NoDestructor<CQmLoggerList> made;
        qm::SetOuterForkGuard(made->m_pGuard);
        qm::InstallProcessHandlers();
        return made.get();
    }();
    return list;
}

CQmLogger* getMyLogger(const char* name) {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (name == nullptr || name[0] == '\0') return nullptr;
    CQmLoggerList* list = theLoggerList();
    CQmLogger* logger = list->GetLogger(name);
    return logger != nullptr ? logger : list->AddLogger(name);
}

bool removeMyLogger(const char* name) {
    const qm::platform::CallerErrorState keepCallersErrno;
    return theLoggerList()->RemoveLogger(name);
}
