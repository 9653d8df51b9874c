// Life cycle of a trace record: construction, assignment from a master,
// component selection, lookups and emptying the values.
#include <cstdint>
#include <cstring>

#include "qmerrlog/tracedata.h"
#include "trace/record_count.h"

namespace qm {

namespace {
std::atomic<long> g_liveTraceRecords{0};
}  // namespace

void CountTraceRecord(int change) {
    g_liveTraceRecords.fetch_add(change, std::memory_order_relaxed);
}

long LiveTraceRecords() {
    return g_liveTraceRecords.load(std::memory_order_relaxed);
}

}  // namespace qm

// The message is told its time flag explicitly: each assembly sets it from the
// record anyway, and a record must not build the default logger as it is made.
CQmTraceData::CQmTraceData()
    : m_bConfigured(false),
      m_bOwnsConfiguration(false),
      m_bUseLocalTime(false),
      m_iTraceFormat(QM_TRACE_BRACKETED),
      m_pszSeparator(nullptr),
      m_iComponentCount(0),
      m_pComponents(nullptr),
      m_fields(),
      m_message(false),
      m_szFormatted(),
      m_pszLongFormatted(nullptr),
      m_uFieldOrder(),
      m_llGeneration(0),
      m_pLogger(nullptr),
      m_uDateTimeTrigger(0),
      m_pBorrowedFrom(nullptr),
      m_lHolders(1),
      m_valueKinds() {
    qm::CountTraceRecord(+1);
    for (QmTraceDataFieldInfo& field : m_fields) {
        field.value = field.inlineValue;
    }
}

CQmTraceData::~CQmTraceData() {
    LetGoOfMaster(m_pBorrowedFrom);
    m_pBorrowedFrom = nullptr;
    qm::CountTraceRecord(-1);
    ReleaseOwnedConfiguration();
    ReleaseHeapValues();
    delete[] m_pszLongFormatted;
}

void CQmTraceData::ReleaseOwnedConfiguration() {
    if (!m_bOwnsConfiguration) return;
    delete[] m_pszSeparator;
    m_pszSeparator = nullptr;
    delete[] m_pComponents;
    m_pComponents = nullptr;
    m_iComponentCount = 0;
    for (QmTraceDataFieldInfo& field : m_fields) {
        delete[] field.filterText;
        field.filterText = nullptr;
    }
    m_bOwnsConfiguration = false;
}

void CQmTraceData::HoldMaster() const {
    m_lHolders.fetch_add(1, std::memory_order_relaxed);
}

void CQmTraceData::LetGoOfMaster(const CQmTraceData* master) {
    if (master == nullptr) return;
    // acq_rel: whoever deletes sees every use the other holders made.
    if (master->m_lHolders.fetch_sub(1, std::memory_order_acq_rel) == 1) delete master;
}

namespace {

// The value back in the field's own area; a heap copy is freed.
void LetGoOfHeapValue(QmTraceDataFieldInfo* field) {
    if (field->valueOnHeap) delete[] field->value;
    field->valueOnHeap = false;
    field->value = field->inlineValue;
}

}  // namespace

void CQmTraceData::ReleaseHeapValues() {
    for (QmTraceDataFieldInfo& field : m_fields) LetGoOfHeapValue(&field);
}

CQmTraceData& CQmTraceData::operator=(const CQmTraceData& master) {
    if (this == &master) return *this;
    // Hold the new texts' master before letting go of the old one: both may
    // be the same master.
    const CQmTraceData* source = master.m_bOwnsConfiguration ? &master : master.m_pBorrowedFrom;
    if (source != nullptr) source->HoldMaster();
    LetGoOfMaster(m_pBorrowedFrom);
    m_pBorrowedFrom = source;
    // A record that was a master gives its own texts up before borrowing.
    ReleaseOwnedConfiguration();

    m_iTraceFormat = master.m_iTraceFormat;
    m_pszSeparator = master.m_pszSeparator;
    m_iComponentCount = master.m_iComponentCount;
    m_pComponents = master.m_pComponents;
    m_bUseLocalTime = master.m_bUseLocalTime;
    m_llGeneration = master.m_llGeneration;
    m_uDateTimeTrigger = master.m_uDateTimeTrigger;
    if (master.m_pLogger != nullptr) m_pLogger = master.m_pLogger;

    // Configuration only: values and their areas stay this record's own.
    for (unsigned int i = 0; i < QM_DATA_FIELD_COUNT; ++i) {
        QmTraceDataFieldInfo& field = m_fields[i];
        const QmTraceDataFieldInfo& source = master.m_fields[i];
        field.traced = source.traced;
        field.filtered = source.filtered;
        field.id = source.id;
        field.name = source.name;
        field.width = source.width;
        field.filterText = source.filterText;
        field.filterOperator = source.filterOperator;
    }
    std::memcpy(m_uFieldOrder, master.m_uFieldOrder, sizeof m_uFieldOrder);
    m_bConfigured = true;
    return *this;
}

bool CQmTraceData::FieldTraced(unsigned int id) {
    return id < QM_DATA_FIELD_COUNT && m_fields[id].traced;
}

bool CQmTraceData::FieldFiltered(unsigned int id) {
    return id < QM_DATA_FIELD_COUNT && m_fields[id].filtered;
}

bool CQmTraceData::ComponentSelected(unsigned int id) {
    const QmTraceComponentInfo* component = GetComponentInfo(id);
    return component != nullptr && component->selected;
}

QmTraceComponentInfo* CQmTraceData::GetComponentInfo(unsigned int id) {
    if (m_pComponents == nullptr) return nullptr;
    for (int i = 0; i < m_iComponentCount; ++i) {
        if (m_pComponents[i].id == id) return &m_pComponents[i];
    }
    return nullptr;
}

QmTraceDataFieldInfo* CQmTraceData::GetDataFieldInfo(unsigned int id) {
    return id < QM_DATA_FIELD_COUNT ? &m_fields[id] : nullptr;
}

bool CQmTraceData::CleanUpData() {
    LeaveNoBody();
    return true;
}

// Only fields with a value are touched: a field that has none since the last
// emptying was never written (every write says its kind), and reaching all
// 64 areas of a kilobyte each would cost more than a whole record.
void CQmTraceData::LeaveNoBody() {
    if (!m_bConfigured) return;
    static_assert(QM_VALUE_UNSET == 0 && sizeof m_valueKinds % 8 == 0, "kinds are scanned a word at a time");
    for (std::size_t word = 0; word < sizeof m_valueKinds; word += 8) {
        std::uint64_t kinds;
        std::memcpy(&kinds, m_valueKinds + word, sizeof kinds);
        if (kinds == 0) continue;
        for (std::size_t id = word; id < word + 8; ++id) {
            if (m_valueKinds[id] == QM_VALUE_UNSET) continue;
            LetGoOfHeapValue(&m_fields[id]);
            m_fields[id].inlineValue[0] = '\0';
        }
    }
    std::memset(m_valueKinds, QM_VALUE_UNSET, sizeof m_valueKinds);
    delete[] m_pszLongFormatted;
    m_pszLongFormatted = nullptr;
    m_szFormatted[0] = '\0';
    m_message.CleanUpMessage();
}
