// Switching tracing on and off, and the questions threads ask before they
// trace: TraceEnabled, ShouldTrace, ShouldTraceAlloc, FieldTraced.
#include <memory>

#include "core/output_slot.h"
#include "core/trace_generation.h"
#include "platform/thread_slot.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"
#include "qmerrlog/registry.h"
#include "qmerrlog/tracedata.h"
#include "thread_key.h"

namespace {

enum HeadingKind { kFieldNames = 1, kRule = 3 };

// The date/time field whose setting fills Date, Time and PreciseTime at once:
// the highest of them that the record traces.
unsigned int DateTimeTrigger(CQmTraceData& master) {
    unsigned int trigger = 0;
    for (unsigned int id : {QM_FIELD_DATE, QM_FIELD_TIME, QM_FIELD_PRECISETIME}) {
        if (master.FieldTraced(id)) trigger = id;
    }
    return trigger;
}

}  // namespace

bool CQmLogger::HasTraceOutput() const {
    return m_pMainTraceOutput.load(std::memory_order_relaxed) != nullptr ||
           m_pSecondTraceOutput.load(std::memory_order_relaxed) != nullptr;
}

void CQmLogger::RetireMaster(CQmTraceData* master) {
    // Working copies on other threads may still borrow this master's
    // separator, component list and filter texts: keep it until Release.
    if (master != nullptr) m_retiredMasters.push_back(master);
}

bool CQmLogger::EnableTrace(CQmLogOutput* mainOutput, CQmLogOutput* secondOutput, int format,
                            const char* separator, const char* configFile, bool useLocalTime,
                            bool mainOnly, bool buffering) {
    if (mainOutput == nullptr) return false;
    if (secondOutput != nullptr && mainOutput->IsAsync()) return false;
    // A layout code the record cannot lay out would write records whose look
    // depends on whatever the message held before.
    if (format < QM_TRACE_BRACKETED || format > QM_TRACE_JSON_LINES) return false;
    if (secondOutput == mainOutput) return false;

    // Read the file and build the heading before taking the guard, so a slow
    // file never holds up tracing threads.
    std::unique_ptr<CQmTraceData> record(new CQmTraceData());
    if (!record->SetConfiguration(format, separator, configFile, m_iComponentInfoCount, m_pComponentInfo,
                                  m_pDataFieldInfo, useLocalTime)) {
        return false;
    }
    record->SetLogger(this);
    CQmErrLogMessage names(useLocalTime);
    CQmErrLogMessage rule(useLocalTime);
    const bool heading = record->AssembleTraceMessage(&names, kFieldNames) &&
                         record->AssembleTraceMessage(&rule, kRule);

    CQmErrLogAutoWriter hold(m_traceGuard);
    CQmLogOutput* installedMain = m_pMainTraceOutput.load(std::memory_order_relaxed);
    CQmLogOutput* installedSecond = m_pSecondTraceOutput.load(std::memory_order_relaxed);
    // An output may sit in one slot only; handing the main output in as the
    // second (or the reverse) would close an output and then use it.
    if (mainOutput == installedSecond || (secondOutput != nullptr && secondOutput == installedMain)) {
        return false;
    }
    // Without a master in force there is nothing to keep: switch on fully.
    if (mainOnly && m_pMasterTrace.load(std::memory_order_relaxed) == nullptr) mainOnly = false;

    if (!mainOnly) {
        RetireMaster(m_pMasterTrace.exchange(nullptr, std::memory_order_relaxed));
    }
    // The installed output handed in again stays open where it is.
    const bool keepMain = mainOutput == installedMain;
    const bool keepSecond = secondOutput != nullptr && secondOutput == installedSecond;
    if (!keepMain) qm::CloseAndDelete(m_pMainTraceOutput);
    if (!mainOnly && !keepSecond) qm::CloseAndDelete(m_pSecondTraceOutput);

    if (!keepMain && !mainOutput->Open()) return false;
    mainOutput->EnableBuffering(buffering);
    if (secondOutput != nullptr && !keepSecond && !secondOutput->Open()) {
        // A main output that was already installed stays installed and open.
        if (!keepMain) mainOutput->Close();
        return false;
    }
    m_pMainTraceOutput.store(mainOutput, std::memory_order_relaxed);

    if (!mainOnly) {
        m_pSecondTraceOutput.store(secondOutput, std::memory_order_relaxed);
        record->m_llGeneration = qm::NextTraceGeneration();
        for (std::atomic<std::int32_t>& entry : m_selectionCache) entry.store(0, std::memory_order_relaxed);
        m_bUseLocalTime.store(useLocalTime, std::memory_order_relaxed);
        m_pMasterTrace.store(record.release(), std::memory_order_relaxed);
    }
    CQmTraceData* master = m_pMasterTrace.load(std::memory_order_relaxed);
    master->m_uDateTimeTrigger = DateTimeTrigger(*master);

    if (heading) {
        mainOutput->Log(names);
        mainOutput->Log(rule);
        CQmLogOutput* second = m_pSecondTraceOutput.load(std::memory_order_relaxed);
        if (!mainOnly && second != nullptr) {
            second->Log(names);
            second->Log(rule);
        }
    }
    return true;
}

bool CQmLogger::EnableTrace(CQmLogOutput* mainOutput, int format, const char* separator,
                            const char* configFile, bool useLocalTime, bool mainOnly, bool buffering) {
    return EnableTrace(mainOutput, nullptr, format, separator, configFile, useLocalTime, mainOnly, buffering);
}

void CQmLogger::DisableTrace(bool mainOnly) {
    CQmErrLogAutoWriter hold(m_traceGuard);
    if (!mainOnly) RetireMaster(m_pMasterTrace.exchange(nullptr, std::memory_order_relaxed));
    qm::CloseAndDelete(m_pMainTraceOutput);
    if (!mainOnly) qm::CloseAndDelete(m_pSecondTraceOutput);
}

bool CQmLogger::SelectionLookup(unsigned int traceComponentId, CQmTraceData* master) {
    // Threads fill entries under the read side only; concurrent fills of one
    // entry store the same answer, since they ask the same master.
    std::atomic<std::int32_t>& entry = m_selectionCache[traceComponentId >> 16];
    const std::int32_t known = entry.load(std::memory_order_relaxed);
    if (known != 0) return known == 1;
    const bool selected = master->ComponentSelected(traceComponentId);
    entry.store(selected ? 1 : -1, std::memory_order_relaxed);
    return selected;
}

bool CQmLogger::TraceEnabled(unsigned int traceComponentId) {
    if (!Inited() || m_pMasterTrace.load(std::memory_order_relaxed) == nullptr || !HasTraceOutput()) {
        return false;
    }
    CQmErrLogAutoReader hold(m_traceGuard);
    CQmTraceData* master = m_pMasterTrace.load(std::memory_order_relaxed);
    if (master == nullptr || !HasTraceOutput()) return false;
    return traceComponentId == 0 || SelectionLookup(traceComponentId, master);
}

bool CQmLogger::ShouldTrace(unsigned int traceComponentId, CQmTraceData* record) {
    if (record == nullptr || !Inited() || m_pMasterTrace.load(std::memory_order_relaxed) == nullptr) {
        return false;
    }
    CQmErrLogAutoReader hold(m_traceGuard);
    CQmTraceData* master = m_pMasterTrace.load(std::memory_order_relaxed);
    if (master == nullptr || !HasTraceOutput()) return false;
    if (!SelectionLookup(traceComponentId, master)) return false;
    if (record->m_llGeneration != master->m_llGeneration) *record = *master;
    return true;
}

bool CQmLogger::ShouldTraceAlloc(unsigned int traceComponentId, CQmTraceData** record) {
    if (record == nullptr || !Inited() || m_pMasterTrace.load(std::memory_order_relaxed) == nullptr) {
        return false;
    }
    long long generation = 0;
    {
        CQmErrLogAutoReader hold(m_traceGuard);
        CQmTraceData* master = m_pMasterTrace.load(std::memory_order_relaxed);
        if (master == nullptr || !HasTraceOutput()) return false;
        if (!SelectionLookup(traceComponentId, master)) return false;
        generation = master->m_llGeneration;
    }
    if (*record != nullptr || m_ulThreadKey == kNoThreadKey) return false;

    ThreadTraceData* entry = static_cast<ThreadTraceData*>(qm::platform::GetThreadSlotValue(m_ulThreadKey));
    if (entry == nullptr) {
        entry = GetThreadTraceData();
        qm::platform::SetThreadSlotValue(m_ulThreadKey, entry);
    }
    CQmTraceData* copy = entry->traceData;
    if (copy->m_llGeneration != generation) {
        CQmErrLogAutoReader hold(m_traceGuard);
        CQmTraceData* master = m_pMasterTrace.load(std::memory_order_relaxed);
        // The master changed since the selection was decided: that answer no
        // longer holds, and the master it came from may be gone.
        if (master == nullptr || master->m_llGeneration != generation) return false;
        *copy = *master;
    }
    *record = copy;
    return true;
}

bool CQmLogger::FieldTraced(unsigned int fieldId) {
    if (!Inited() || m_pMasterTrace.load(std::memory_order_relaxed) == nullptr ||
        m_pMainTraceOutput.load(std::memory_order_relaxed) == nullptr) {
        return false;
    }
    CQmErrLogAutoReader hold(m_traceGuard);
    CQmTraceData* master = m_pMasterTrace.load(std::memory_order_relaxed);
    if (master == nullptr || m_pMainTraceOutput.load(std::memory_order_relaxed) == nullptr) return false;
    return fieldId < QM_DATA_FIELD_COUNT && master->FieldTraced(fieldId);
}
