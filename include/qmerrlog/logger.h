// CQmLogger: one logger with its outputs (error log, two trace, audit), its
// message catalogue components, known-information tables and master trace
// configuration. Obtain the default logger with theLogger() and named ones
// with getMyLogger() (registry.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "qmerrlog/export.h"
#include "qmerrlog/locks.h"
#include "qmerrlog/outputs.h"

class CQmErrLogMessage;
class CQmErrLogComponent;
class CQmTraceData;
class CQmLoggerList;
struct QmTraceComponentInfo;
struct QmTraceDataFieldInfo;

constexpr int QM_SELECTION_CACHE_SIZE = 65536;

class QMERRLOG_API CQmLogger {
public:
    virtual ~CQmLogger();
    CQmLogger(const CQmLogger&) = delete;
    CQmLogger& operator=(const CQmLogger&) = delete;

    bool Inited() const;
    void UseLocalTime(bool useLocalTime);
    bool ShouldUseLocalTime();

    // Error log output. A refused output (its Open failed) stays the caller's.
    bool SetLogOutput(CQmLogOutput* output);
    void DisableLog();
    // Audit output, usually a rolling file.
    bool EnableAuditLogRollover(CQmLogOutput* output);
    void DisableAuditLog();

    // Dispatch: hand a finished message to the outputs; nothing is formatted here.
    bool LogErrMsg(CQmErrLogMessage& message);
    bool LogTraceMsg(CQmErrLogMessage& message);
    bool LogAuditMsg(CQmErrLogMessage& message);

    // Message catalogue.
    const char* FetchMsg(unsigned int messageId) const;
    const char* GetAvailableComponents() const;
    const char* GetAvailableDataFields() const;

    // Tracing.
    bool EnableTrace(CQmLogOutput* mainOutput, CQmLogOutput* secondOutput, int format, const char* separator,
                     const char* configFile, bool useLocalTime, bool mainOnly, bool buffering);
    bool EnableTrace(CQmLogOutput* mainOutput, int format, const char* separator, const char* configFile,
                     bool useLocalTime, bool mainOnly, bool buffering);
    void DisableTrace(bool mainOnly);
    // Tracing off is answered here, in the caller, by one relaxed load: no
    // call into the library. A generation of 0 means no master is in force,
    // so every question below would answer false; any other value sends the
    // question to the library, which decides as before. A racing EnableTrace
    // may be missed by this load exactly as by the library's own.
    QMERRLOG_INLINE_API bool TraceEnabled(unsigned int traceComponentId) {
        if (QMERRLOG_LIKELY(m_llTraceGeneration.load(std::memory_order_relaxed) == 0)) return false;
        return AskTraceEnabled(traceComponentId);
    }
    QMERRLOG_INLINE_API bool ShouldTrace(unsigned int traceComponentId, CQmTraceData* record) {
        if (QMERRLOG_LIKELY(m_llTraceGeneration.load(std::memory_order_relaxed) == 0)) return false;
        return AskShouldTrace(traceComponentId, record);
    }
    QMERRLOG_INLINE_API bool ShouldTraceAlloc(unsigned int traceComponentId, CQmTraceData** record) {
        if (QMERRLOG_LIKELY(m_llTraceGeneration.load(std::memory_order_relaxed) == 0)) return false;
        return AskShouldTraceAlloc(traceComponentId, record);
    }
    bool FieldTraced(unsigned int fieldId);

    // Output creation: the new output is the caller's until an installing call takes it.
    CQmLogOutput* NewLogOutput(int type);
    CQmLogOutput* NewLogOutput(int type, const char* path, int mode, int maxSizeMb, int maxBackups);
    CQmLogOutput* NewLogOutput(int type, QmSyncCallback callback);
    CQmLogOutput* NewLogOutput(int type, QmSyncParameterizedCallback callback, void* user);
    CQmLogOutput* NewLogOutput(int type, QmAsyncCallback callback);
    CQmLogOutput* NewLogOutput(int type, QmAsyncParameterizedCallback callback, void* user);
    // A syslog output (CQmSyslogOutput::SetParams tells the arguments).
    CQmLogOutput* NewLogOutput(int type, const char* target, const char* appName, int facility, int auditFacility);
    void DeleteLogOutput(CQmLogOutput* output);

    // Set once any logger of the process has unloaded its components.
    static bool m_bUnloadedComponents;

private:
    friend QMERRLOG_API CQmLogger* theLogger();
    friend class CQmLoggerList;
    template <typename>
    friend struct QmInternalAccess;

    CQmLogger();
    void Init();
    void Release();
    bool SetLogOutput_Unlocked(CQmLogOutput* output);
    CQmErrLogComponent* LoadComponent(unsigned long slot, const char* libraryName);
    void UnloadComponent(CQmErrLogComponent* component);
    void InitKnownInfo();
    void RetireMaster(CQmTraceData* master);
    bool SelectionLookup(unsigned int traceComponentId, CQmTraceData* master);
    // The questions past the inline check that tracing is off.
    bool AskTraceEnabled(unsigned int traceComponentId);
    bool AskShouldTrace(unsigned int traceComponentId, CQmTraceData* record);
    bool AskShouldTraceAlloc(unsigned int traceComponentId, CQmTraceData** record);

    unsigned long m_ulThreadKey;
    std::atomic<bool> m_bInitialised;
    CQmLogOutput* m_pLogOutput;
    std::atomic<CQmLogOutput*> m_pMainTraceOutput;
    std::atomic<CQmLogOutput*> m_pSecondTraceOutput;
    CQmLogOutput* m_pAuditOutput;
    CQmErrLogComponent** m_ppComponents;
    int m_iComponentCount;
    std::atomic<bool> m_bUseLocalTime;
    CQmErrLogGuard m_logGuard;  // lock order: log, trace, audit
    CQmErrLogGuard m_traceGuard;
    CQmErrLogGuard m_auditGuard;
    // The lists and tables below are the same for every logger with the same
    // components: built once per process, shared, never written or freed.
    // Null (and counts 0) while the logger is not initialised.
    const char* m_pszComponentList;  // null when no component loaded
    const char* m_pszDataFieldList;
    QmTraceComponentInfo* m_pComponentInfo;
    int m_iComponentInfoCount;
    QmTraceDataFieldInfo* m_pDataFieldInfo;
    int m_iDataFieldInfoCount;
    // The master in force; the logger holds one count of it (see CQmTraceData).
    std::atomic<CQmTraceData*> m_pMasterTrace;
    // QM_SELECTION_CACHE_SIZE answers, made by the first EnableTrace and kept
    // until the logger is destroyed (threads read it without the guard); a
    // logger that never traces does not carry them.
    std::atomic<std::atomic<std::int32_t>*> m_pSelectionCache;
    // The generation of the master in force, 0 for none; lets an up-to-date
    // working copy be told without reading the master. Read by the inline
    // questions above, so its place and meaning are part of the binary
    // interface: moving it or giving 0 another meaning needs a new major version.
    std::atomic<long long> m_llTraceGeneration;
};

// The process-wide default logger, constructed on first use and never
// destroyed: its outputs are closed at exit, later calls return false.
QMERRLOG_API CQmLogger* theLogger();
