// Switching tracing on and off, and the questions threads ask before they
// trace: TraceEnabled, ShouldTrace, ShouldTraceAlloc, FieldTraced.
#include <memory>
#include <new>

#include "core/logger_lifecycle.h"
#include "core/output_slot.h"
#include "core/thread_trace_table.h"
#include "core/trace_generation.h"
#include "qmerrlog/component.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"
#include "qmerrlog/registry.h"
#include "qmerrlog/tracedata.h"
#include "thread_key.h"
#include "trace/trace_line_kind.h"
#include "platform/error_state.h"

namespace {

// The cached answers and the generation change only under the write side of
// the trace guard, which empties the cache before it publishes a new
// generation. An answer read here between two reads of the same generation
// was therefore given by that generation's master; a switch in between sends
// the caller to the guarded path (0). A free function, so that the questions
// below inline it: the exported class's own members cannot be.
inline int CachedAnswer(const std::atomic<std::atomic<std::int32_t>*>& cacheCell,
                        const std::atomic<long long>& generationCell, unsigned int traceComponentId,
                        long long generation) {
    // Made before any generation was published, and never freed while
    // threads may ask.
    const std::atomic<std::int32_t>* cache = cacheCell.load(std::memory_order_acquire);
    if (cache == nullptr) return 0;
    const std::int32_t known = cache[QmTraceComponentIndex(traceComponentId)].load(std::memory_order_acquire);
    if (known == 0 || generationCell.load(std::memory_order_relaxed) != generation) return 0;
    return known;
}

// Tracing is on while a master is in force and an output takes its records.
// Read relaxed and without the guard this is only a first look, which sends
// most callers home before any guard is taken; read under the read side of
// the trace guard it is the answer.
inline bool AnyOutput(const std::atomic<CQmLogOutput*>& main, const std::atomic<CQmLogOutput*>& second) {
    return main.load(std::memory_order_relaxed) != nullptr || second.load(std::memory_order_relaxed) != nullptr;
}

// The first look. A generation is published only while a master is in force.
inline bool TracingLooksOn(long long generation, const std::atomic<CQmLogOutput*>& main,
                           const std::atomic<CQmLogOutput*>& second) {
    return generation != 0 && AnyOutput(main, second);
}

// The answer, under the read side: the master in force, or null.
inline CQmTraceData* MasterInForce(const std::atomic<CQmTraceData*>& master,
                                   const std::atomic<CQmLogOutput*>& main,
                                   const std::atomic<CQmLogOutput*>& second) {
    CQmTraceData* inForce = master.load(std::memory_order_relaxed);
    return inForce != nullptr && AnyOutput(main, second) ? inForce : nullptr;
}

}  // namespace

void CQmLogger::RetireMaster(CQmTraceData* master) {
    // Working copies on other threads may still borrow this master's
    // separator, component list and filter texts: the last of them deletes it.
    CQmTraceData::LetGoOfMaster(master);
}

namespace {

// A trace output handed to EnableTrace and what this call did with it, so a
// refusal can leave it exactly as the caller may expect: closed, in no slot,
// the caller's again.
struct HandedIn {
    CQmLogOutput* output;
    bool claimed = false;  // counted as installed (it was, or this call did it)
    bool open = false;     // open (it was installed, or this call opened it)
};

}  // namespace

bool CQmLogger::EnableTrace(CQmLogOutput* mainOutput, CQmLogOutput* secondOutput, int format,
                            const char* separator, const char* configFile, bool useLocalTime, bool mainOnly,
                            bool buffering) {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (mainOutput == nullptr) return false;
    HandedIn main{mainOutput};
    HandedIn second{secondOutput != mainOutput ? secondOutput : nullptr};

    // On false, no output handed in stays in use here: one already in a
    // trace slot leaves it, closed and not deleted, so a caller who deletes
    // what was refused never deletes a live output. An output in a slot of
    // another logger, or in this logger's log or audit slot, was never taken
    // and stays where it is.
    auto refuse = [this, &main, &second]() {
        for (HandedIn* handed : {&main, &second}) {
            CQmLogOutput* output = handed->output;
            if (output == nullptr || !handed->claimed) continue;
            CQmLogOutput* expected = output;
            if (!m_pMainTraceOutput.compare_exchange_strong(expected, nullptr, std::memory_order_relaxed)) {
                expected = output;
                m_pSecondTraceOutput.compare_exchange_strong(expected, nullptr, std::memory_order_relaxed);
            }
            if (handed->open) output->Close();
            qm::UnclaimOutput(output);
        }
        return false;
    };

    // Read the file and build the heading before taking the guard, so a slow
    // file never holds up tracing threads.
    std::unique_ptr<CQmTraceData> record;
    bool heading = false;
    CQmErrLogMessage names(useLocalTime);
    CQmErrLogMessage rule(useLocalTime);
    // A layout code the record cannot lay out would write records whose look
    // depends on whatever the message held before. An async main output
    // cannot share its lines with a second output.
    bool usable = format >= QM_TRACE_BRACKETED && format <= QM_TRACE_JSON_LINES && secondOutput != mainOutput &&
                  (secondOutput == nullptr || !mainOutput->IsAsync());
    if (usable) {
        record.reset(new CQmTraceData());
        usable = record->SetConfiguration(format, separator, configFile, m_iComponentInfoCount, m_pComponentInfo,
                                          m_pDataFieldInfo, useLocalTime);
    }
    if (usable) {
        record->SetLogger(this);
        heading = record->AssembleTraceMessage(&names, qm::kTraceFieldNames) &&
                  record->AssembleTraceMessage(&rule, qm::kTraceEqualsRule);
    }

    CQmErrLogAutoWriter hold(m_traceGuard);
    CQmLogOutput* installedMain = m_pMainTraceOutput.load(std::memory_order_relaxed);
    CQmLogOutput* installedSecond = m_pSecondTraceOutput.load(std::memory_order_relaxed);
    for (HandedIn* handed : {&main, &second}) {
        if (handed->output != nullptr && (handed->output == installedMain || handed->output == installedSecond)) {
            handed->claimed = true;
            handed->open = true;
        }
    }
    if (!usable || qm::ProcessExiting()) return refuse();
    // The answers' room is made once; without it nothing is switched.
    if (m_pSelectionCache.load(std::memory_order_relaxed) == nullptr) {
        std::atomic<std::int32_t>* cache = new (std::nothrow) std::atomic<std::int32_t>[QM_SELECTION_CACHE_SIZE];
        if (cache == nullptr) return refuse();
        for (int i = 0; i < QM_SELECTION_CACHE_SIZE; ++i) cache[i].store(0, std::memory_order_relaxed);
        m_pSelectionCache.store(cache, std::memory_order_release);
    }
    // An output may sit in one slot only; handing the main output in as the
    // second (or the reverse) would close an output and then use it.
    if (mainOutput == installedSecond || (secondOutput != nullptr && secondOutput == installedMain)) {
        return refuse();
    }
    // Outputs installed anywhere else are refused, and left where they are.
    for (HandedIn* handed : {&main, &second}) {
        if (handed->output == nullptr || handed->claimed) continue;
        if (!qm::ClaimOutput(handed->output)) return refuse();
        handed->claimed = true;
    }
    // Without a master in force there is nothing to keep: switch on fully.
    if (mainOnly && m_pMasterTrace.load(std::memory_order_relaxed) == nullptr) mainOnly = false;
    // Switching the main output only keeps the second output as it is.
    if (mainOnly && secondOutput != nullptr && secondOutput != installedSecond) return refuse();

    if (!mainOnly) {
        m_llTraceGeneration.store(0, std::memory_order_relaxed);
        RetireMaster(m_pMasterTrace.exchange(nullptr, std::memory_order_relaxed));
    }
    // The installed output handed in again stays open where it is.
    const bool keepMain = mainOutput == installedMain;
    const bool keepSecond = secondOutput != nullptr && secondOutput == installedSecond;
    if (!keepMain) qm::CloseAndDelete(m_pMainTraceOutput);
    if (!mainOnly && !keepSecond) qm::CloseAndDelete(m_pSecondTraceOutput);

    if (!keepMain) {
        if (!mainOutput->Open()) return refuse();
        main.open = true;
    }
    mainOutput->EnableBuffering(buffering);
    if (secondOutput != nullptr && !keepSecond) {
        if (!secondOutput->Open()) return refuse();
        second.open = true;
    }
    m_pMainTraceOutput.store(mainOutput, std::memory_order_relaxed);

    if (!mainOnly) {
        m_pSecondTraceOutput.store(secondOutput, std::memory_order_relaxed);
        record->m_llGeneration = qm::NextTraceGeneration();
        std::atomic<std::int32_t>* cache = m_pSelectionCache.load(std::memory_order_relaxed);
        for (int i = 0; i < QM_SELECTION_CACHE_SIZE; ++i) cache[i].store(0, std::memory_order_relaxed);
        m_bUseLocalTime.store(useLocalTime, std::memory_order_relaxed);
        // Published after the emptied cache: a thread that reads this
        // generation reads no answer of an earlier master.
        m_llTraceGeneration.store(record->m_llGeneration, std::memory_order_release);
        m_pMasterTrace.store(record.release(), std::memory_order_release);
    }
    if (heading) {
        mainOutput->Log(names);
        mainOutput->Log(rule);
        CQmLogOutput* installed = m_pSecondTraceOutput.load(std::memory_order_relaxed);
        if (!mainOnly && installed != nullptr) {
            installed->Log(names);
            installed->Log(rule);
        }
    }
    return true;
}

bool CQmLogger::EnableTrace(CQmLogOutput* mainOutput, int format, const char* separator, const char* configFile,
                            bool useLocalTime, bool mainOnly, bool buffering) {
    return EnableTrace(mainOutput, nullptr, format, separator, configFile, useLocalTime, mainOnly, buffering);
}

void CQmLogger::DisableTrace(bool mainOnly) {
    const qm::platform::CallerErrorState keepCallersErrno;
    CQmErrLogAutoWriter hold(m_traceGuard);
    if (!mainOnly) {
        m_llTraceGeneration.store(0, std::memory_order_relaxed);
        RetireMaster(m_pMasterTrace.exchange(nullptr, std::memory_order_relaxed));
    }
    qm::CloseAndDelete(m_pMainTraceOutput);
    if (!mainOnly) qm::CloseAndDelete(m_pSecondTraceOutput);
}

bool CQmLogger::SelectionLookup(unsigned int traceComponentId, CQmTraceData* master) {
    // Threads fill entries under the read side only; concurrent fills of one
    // entry store the same answer, since they ask the same master.
    // A master in force means EnableTrace made the cache.
    std::atomic<std::int32_t>& entry =
        m_pSelectionCache.load(std::memory_order_relaxed)[QmTraceComponentIndex(traceComponentId)];
    const std::int32_t known = entry.load(std::memory_order_relaxed);
    if (known != 0) return known == 1;
    const bool selected = master->ComponentSelected(traceComponentId);
    // Released so that a reader without the guard that sees this answer
    // also sees the generation it belongs to (CachedAnswer).
    entry.store(selected ? 1 : -1, std::memory_order_release);
    return selected;
}

bool CQmLogger::AskTraceEnabled(unsigned int traceComponentId) {
    // Looked at again, acquired: the cached answer read below must belong to
    // this generation. A main output switched off alone still ends here.
    const long long generation = m_llTraceGeneration.load(std::memory_order_acquire);
    if (!TracingLooksOn(generation, m_pMainTraceOutput, m_pSecondTraceOutput)) return false;
    // The cached answer needs neither the guard nor the master.
    if (traceComponentId == 0) return true;
    const int known = CachedAnswer(m_pSelectionCache, m_llTraceGeneration, traceComponentId, generation);
    if (known != 0) return known == 1;
    if (!Inited()) return false;
    CQmErrLogAutoReader hold(m_traceGuard);
    CQmTraceData* master = MasterInForce(m_pMasterTrace, m_pMainTraceOutput, m_pSecondTraceOutput);
    return master != nullptr && SelectionLookup(traceComponentId, master);
}

bool CQmLogger::AskShouldTrace(unsigned int traceComponentId, CQmTraceData* record) {
    if (record == nullptr) return false;
    const long long generation = m_llTraceGeneration.load(std::memory_order_acquire);
    if (!TracingLooksOn(generation, m_pMainTraceOutput, m_pSecondTraceOutput)) return false;
    // A copy taken from the master in force with a cached answer: nothing to
    // refresh, no guard, no master read, errno untouched.
    if (record->m_llGeneration == generation) {
        const int known = CachedAnswer(m_pSelectionCache, m_llTraceGeneration, traceComponentId, generation);
        if (known != 0) return known == 1;
    }
    if (!Inited()) return false;
    const qm::platform::CallerErrorState keepCallersErrno;
    CQmErrLogAutoReader hold(m_traceGuard);
    CQmTraceData* master = MasterInForce(m_pMasterTrace, m_pMainTraceOutput, m_pSecondTraceOutput);
    if (master == nullptr || !SelectionLookup(traceComponentId, master)) return false;
    if (record->m_llGeneration != master->m_llGeneration) *record = *master;
    return true;
}

bool CQmLogger::AskShouldTraceAlloc(unsigned int traceComponentId, CQmTraceData** record) {
    if (record == nullptr) return false;
    // The thread's copy already taken from the master in force, with a
    // cached answer: as cheap as ShouldTrace on an up-to-date record. A
    // thread that holds no copy yet takes one only once the answer is yes.
    const long long inForce = m_llTraceGeneration.load(std::memory_order_acquire);
    if (*record == nullptr && m_ulThreadKey != kNoThreadKey &&
        TracingLooksOn(inForce, m_pMainTraceOutput, m_pSecondTraceOutput)) {
        const ThreadTraceData* held = qm::HeldThreadTraceEntry(m_ulThreadKey);
        if (held != nullptr && held->traceData->m_llGeneration == inForce) {
            const int known = CachedAnswer(m_pSelectionCache, m_llTraceGeneration, traceComponentId, inForce);
            if (known == 1) *record = held->traceData;
            if (known != 0) return known == 1;
        }
    }
    const qm::platform::CallerErrorState keepCallersErrno;
    if (!Inited() || !TracingLooksOn(m_llTraceGeneration.load(std::memory_order_relaxed), m_pMainTraceOutput,
                                     m_pSecondTraceOutput)) {
        return false;
    }
    long long generation = 0;
    {
        CQmErrLogAutoReader hold(m_traceGuard);
        CQmTraceData* master = MasterInForce(m_pMasterTrace, m_pMainTraceOutput, m_pSecondTraceOutput);
        if (master == nullptr || !SelectionLookup(traceComponentId, master)) return false;
        generation = master->m_llGeneration;
    }
    if (*record != nullptr || m_ulThreadKey == kNoThreadKey) return false;

    const ThreadTraceData* entry = qm::ThreadTraceEntry(m_ulThreadKey);
    if (entry == nullptr) return false;
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

#if defined(__GNUC__)
namespace {
// Programs built while these questions were asked out of line call them by
// name: taking their addresses here makes the compiler emit one copy of each
// into the shared library, where the header's export attribute puts it in
// the export table.
[[maybe_unused]] __attribute__((used)) bool (CQmLogger::*const kExportedTraceEnabled)(unsigned int) =
    &CQmLogger::TraceEnabled;
[[maybe_unused]] __attribute__((used)) bool (CQmLogger::*const kExportedShouldTrace)(unsigned int, CQmTraceData*) =
    &CQmLogger::ShouldTrace;
[[maybe_unused]] __attribute__((used)) bool (CQmLogger::*const kExportedShouldTraceAlloc)(
    unsigned int, CQmTraceData**) = &CQmLogger::ShouldTraceAlloc;
}  // namespace
#if defined(_WIN32)
// A DLL built with inline members kept out of its exports (as ours is) would
// leave the emitted copies unnamed: name them in the export directives the
// linker reads from this object, as dllexport itself does.
__asm__(
    ".section .drectve\n\t.ascii \" -export:\\\"_ZN9CQmLogger12TraceEnabledEj\\\"\"\n\t"
    ".ascii \" -export:\\\"_ZN9CQmLogger11ShouldTraceEjP12CQmTraceData\\\"\"\n\t"
    ".ascii \" -export:\\\"_ZN9CQmLogger16ShouldTraceAllocEjPP12CQmTraceData\\\"\"\n\t.text");
#endif
#endif

bool CQmLogger::FieldTraced(unsigned int fieldId) {
    // The fields are those of the main output's records: a second output
    // left alone after the main one was switched off traces none.
    if (fieldId >= QM_DATA_FIELD_COUNT || !Inited() ||
        !TracingLooksOn(m_llTraceGeneration.load(std::memory_order_relaxed), m_pMainTraceOutput,
                        m_pMainTraceOutput)) {
        return false;
    }
    CQmErrLogAutoReader hold(m_traceGuard);
    CQmTraceData* master = MasterInForce(m_pMasterTrace, m_pMainTraceOutput, m_pMainTraceOutput);
    return master != nullptr && master->FieldTraced(fieldId);
}
