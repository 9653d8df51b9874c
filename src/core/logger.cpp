// The logger object: construction, Init/Release, the default logger, the
// error-log output and the three dispatch operations.
#include <cstring>

#include "core/catalogue.h"
#include "core/known_data_fields.h"
#include "core/live_loggers.h"
#include "core/logger_lifecycle.h"
#include "core/output_slot.h"
#include "core/thread_trace_table.h"
#include "platform/no_destructor.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"
#include "qmerrlog/tracedata.h"
#include "thread_key.h"
#include "platform/error_state.h"

namespace {

// Init and Release hold all three guards, always in this order.
class AllGuards {
public:
    AllGuards(CQmErrLogGuard& log, CQmErrLogGuard& trace, CQmErrLogGuard& audit)
        : m_log(log), m_trace(trace), m_audit(audit) {
        m_log.LockForWrite();
        m_trace.LockForWrite();
        m_audit.LockForWrite();
    }
    ~AllGuards() {
        m_audit.Unlock();
        m_trace.Unlock();
        m_log.Unlock();
    }
    AllGuards(const AllGuards&) = delete;
    AllGuards& operator=(const AllGuards&) = delete;

private:
    CQmErrLogGuard& m_log;
    CQmErrLogGuard& m_trace;
    CQmErrLogGuard& m_audit;
};

}  // namespace

using qm::CloseAndDelete;

CQmLogger::CQmLogger()
    : m_ulThreadKey(0),
      m_bInitialised(false),
      m_pLogOutput(nullptr),
      m_pMainTraceOutput(nullptr),
      m_pSecondTraceOutput(nullptr),
      m_pAuditOutput(nullptr),
      m_ppComponents(nullptr),
      m_iComponentCount(0),
      m_bUseLocalTime(false),
      m_pszComponentList(nullptr),
      m_pszDataFieldList(nullptr),
      m_pComponentInfo(nullptr),
      m_iComponentInfoCount(0),
      m_pDataFieldInfo(nullptr),
      m_iDataFieldInfoCount(0),
      m_pMasterTrace(nullptr),
      m_pSelectionCache(nullptr),
      m_llTraceGeneration(0) {
    initializeThreadKey(&m_ulThreadKey);
    qm::InstallProcessHandlers();
    // Listed before its guards are first taken (see live_loggers.h).
    qm::AddLiveLogger(this);
    Init();
}

CQmLogger::~CQmLogger() {
    Release();
    qm::RemoveLiveLogger(this);
    delete[] m_pSelectionCache.load(std::memory_order_relaxed);
}

void CQmLogger::Init() {
    AllGuards hold(m_logGuard, m_traceGuard, m_auditGuard);
    if (m_bInitialised.load(std::memory_order_relaxed)) return;

    // One slot per row of the known library table.
    m_iComponentCount = qm::kKnownComponentCount;
    m_ppComponents = new CQmErrLogComponent*[qm::kKnownComponentCount]();
    qm::LoadComponents(m_ppComponents, m_iComponentCount);

    InitKnownInfo();

    if (std::atomic<std::int32_t>* cache = m_pSelectionCache.load(std::memory_order_relaxed)) {
        for (int i = 0; i < QM_SELECTION_CACHE_SIZE; ++i) cache[i].store(0, std::memory_order_relaxed);
    }

    // Each thread's working copy for this logger sits at this index of the
    // thread's table (thread_trace_table.h).
    unsigned long index = 0;
    if (qm::TakeTraceThreadIndex(&index)) m_ulThreadKey = index;

    m_bInitialised.store(true, std::memory_order_release);
}

void CQmLogger::InitKnownInfo() {
    // Shared with every other logger: a named logger costs its own state only.
    if (const qm::SharedComponentInfo* shared = qm::ShareComponentInfo(m_ppComponents, m_iComponentCount)) {
        m_pszComponentList = shared->listText.empty() ? nullptr : shared->listText.c_str();
        m_pComponentInfo = shared->info;
        m_iComponentInfoCount = shared->infoCount;
    }
    m_pszDataFieldList = qm::SharedDataFieldListText();
    m_pDataFieldInfo = qm::SharedDataFieldInfoTable();
    m_iDataFieldInfoCount = m_pDataFieldInfo != nullptr ? static_cast<int>(QM_DATA_FIELD_COUNT) : 0;
}

void CQmLogger::Release() {
    AllGuards hold(m_logGuard, m_traceGuard, m_auditGuard);
    if (!m_bInitialised.load(std::memory_order_relaxed)) return;

    qm::UnloadComponents(m_ppComponents, &m_iComponentCount);
    delete[] m_ppComponents;
    m_ppComponents = nullptr;

    CloseAndDelete(m_pLogOutput);
    CloseAndDelete(m_pMainTraceOutput);
    CloseAndDelete(m_pSecondTraceOutput);
    CloseAndDelete(m_pAuditOutput);

    // The shared lists and tables stay for the other loggers; this one only
    // lets go of them.
    m_pszDataFieldList = nullptr;
    m_pszComponentList = nullptr;
    m_pComponentInfo = nullptr;
    m_iComponentInfoCount = 0;
    m_pDataFieldInfo = nullptr;
    m_iDataFieldInfoCount = 0;

    m_llTraceGeneration.store(0, std::memory_order_relaxed);
    RetireMaster(m_pMasterTrace.exchange(nullptr, std::memory_order_relaxed));

    if (m_ulThreadKey != kNoThreadKey) qm::GiveBackTraceThreadIndex(m_ulThreadKey);
    initializeThreadKey(&m_ulThreadKey);

    m_bInitialised.store(false, std::memory_order_release);
}

CQmLogger* theLogger() {
    const qm::platform::CallerErrorState keepCallersErrno;
    // Constructed once even when threads race; an exception leaves it
    // unconstructed for the next call. Never destroyed: threads may log while
    // the process exits (see process_exit.cpp).
    static qm::NoDestructor<CQmLogger> logger(qm::ConstructedBy{}, [](void* at) { new (at) CQmLogger(); });
    return logger.get();
}

bool CQmLogger::Inited() const {
    return m_bInitialised.load(std::memory_order_acquire);
}

void CQmLogger::UseLocalTime(bool useLocalTime) {
    m_bUseLocalTime.store(useLocalTime, std::memory_order_relaxed);
}

bool CQmLogger::ShouldUseLocalTime() {
    return m_bUseLocalTime.load(std::memory_order_relaxed);
}

bool CQmLogger::SetLogOutput(CQmLogOutput* output) {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (output == nullptr) return false;
    CQmErrLogAutoWriter hold(m_logGuard);
    return SetLogOutput_Unlocked(output);
}

bool CQmLogger::SetLogOutput_Unlocked(CQmLogOutput* output) {
    return qm::InstallOutput(m_pLogOutput, output);
}

bool CQmLogger::LogErrMsg(CQmErrLogMessage& message) {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (!Inited()) return false;
    CQmErrLogAutoReader hold(m_logGuard);
    return m_pLogOutput != nullptr && m_pLogOutput->Log(message);
}

bool CQmLogger::LogTraceMsg(CQmErrLogMessage& message) {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (!Inited()) return false;
    CQmErrLogAutoReader hold(m_traceGuard);
    CQmLogOutput* main = m_pMainTraceOutput.load(std::memory_order_relaxed);
    CQmLogOutput* second = m_pSecondTraceOutput.load(std::memory_order_relaxed);
    if (main == nullptr && second == nullptr) return false;
    bool ok = true;
    if (main != nullptr) ok = main->Log(message);
    if (second != nullptr) ok = second->Log(message) && ok;
    return ok;
}

bool CQmLogger::LogAuditMsg(CQmErrLogMessage& message) {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (!Inited()) return false;
    CQmErrLogAutoReader hold(m_auditGuard);
    return m_pAuditOutput != nullptr && m_pAuditOutput->Log(message);
}
