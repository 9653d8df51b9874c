// Field values of a trace record: texts of every type, kept in each field's
// inline area unless they need 1024 bytes or more, the date and time fields,
// and the field filters.
#include <cstdio>
#include <cstring>
#include <new>

#include "format/date_time_text.h"
#include "format/decimal_text.h"
#include "format/process_id.h"
#include "platform/process.h"
#include "qmerrlog/tracedata.h"

namespace {

constexpr std::size_t kInlineSize = static_cast<std::size_t>(QM_TRACE_VALUE_INLINE);

// Date, Time and PreciseTime are filled together, from one reading of the
// clock, when the highest of them that the record traces is set, so the
// three never tell different times.
unsigned int DateTimeTrigger(const QmTraceDataFieldInfo* fields) {
    unsigned int trigger = 0;
    for (unsigned int id : {QM_FIELD_DATE, QM_FIELD_TIME, QM_FIELD_PRECISETIME}) {
        if (fields[id].traced) trigger = id;
    }
    return trigger;
}

}  // namespace

char* CQmTraceData::CurrentValueArea(QmTraceDataFieldInfo* field) {
    if (field->value == nullptr) {
        field->value = field->inlineValue;
        field->valueOnHeap = false;
    }
    return field->value;
}

// A heap area left by an earlier long value is always larger than the inline
// area, so it takes any shorter text until the record is emptied.
void CQmTraceData::StoreText(QmTraceDataFieldInfo* field, const char* text) {
    char* area = CurrentValueArea(field);
    const std::size_t length = std::strlen(text);
    if (length < kInlineSize) {
        std::memcpy(area, text, length + 1);
        return;
    }
    char* heap = new (std::nothrow) char[length + 1]();
    if (heap == nullptr) {
        // Without memory the record keeps what the area it has can hold.
        std::memcpy(area, text, kInlineSize - 1);
        area[kInlineSize - 1] = '\0';
        return;
    }
    std::memcpy(heap, text, length + 1);
    if (field->valueOnHeap) delete[] field->value;
    field->value = heap;
    field->valueOnHeap = true;
}

bool CQmTraceData::TestDataFilter(unsigned int id) {
    if (id >= QM_DATA_FIELD_COUNT) return false;
    const QmTraceDataFieldInfo& field = m_fields[id];
    const char* value = field.value != nullptr ? field.value : "";
    const char* filter = field.filterText != nullptr ? field.filterText : "";
    const bool equal = std::strcmp(value, filter) == 0;
    switch (field.filterOperator) {
        case QM_FILTER_EQUAL: return equal;
        case QM_FILTER_NOT_EQUAL: return !equal;
        default: return false;
    }
}

bool CQmTraceData::PassesFilter(unsigned int id) {
    return !m_fields[id].filtered || TestDataFilter(id);
}

bool CQmTraceData::SetFieldValue(unsigned int id, const char* value) {
    if (id >= QM_DATA_FIELD_COUNT) return false;
    // Long source file names are stored like any long text: a file name with
    // a line suffix has no reason to be treated apart.
    StoreText(&m_fields[id], value != nullptr ? value : "");
    m_valueKinds[id] = QM_VALUE_TEXT;
    return PassesFilter(id);
}

bool CQmTraceData::SetFieldValue(unsigned int id, int value) {
    // A long carries every int, so both overloads share one rule.
    return SetFieldValue(id, static_cast<long>(value));
}

// Ids 2 to 6 ignore the argument: the process and thread ids are the real
// ones, and the date and time fields are filled together by the trigger.
// On a platform with a 64-bit long the whole value is kept: cutting it to
// 32 bits would only lose information the caller gave.
bool CQmTraceData::SetFieldValue(unsigned int id, long value) {
    if (id >= QM_DATA_FIELD_COUNT) return false;
    switch (id) {
        case QM_FIELD_DATE:
        case QM_FIELD_TIME:
        case QM_FIELD_PRECISETIME:
            // Chosen once per configuration: a copy takes its master's 0 and
            // chooses on its first date or time field.
            if (m_uDateTimeTrigger == 0) m_uDateTimeTrigger = DateTimeTrigger(m_fields);
            return m_uDateTimeTrigger == id ? PopulateDateandTime() : true;
        default: break;
    }
    char* area = CurrentValueArea(&m_fields[id]);
    std::size_t length;
    if (id == QM_FIELD_PID) {
        length = qm::WriteSignedDecimal(qm::CachedProcessId(), area);
    } else if (id == QM_FIELD_TID) {
        length = qm::WriteDecimal(qm::platform::CurrentThreadId(), area);
    } else {
        length = qm::WriteSignedDecimal(value, area);
    }
    area[length] = '\0';
    m_valueKinds[id] = QM_VALUE_NUMBER;
    return PassesFilter(id);
}

// The texts come from the thread's per-second cache: within one second only
// the milliseconds differ from one record to the next.
bool CQmTraceData::PopulateDateandTime() {
    qm::TraceTimeTexts texts;
    qm::CurrentTraceTimeTexts(m_bUseLocalTime, &texts);
    std::memcpy(CurrentValueArea(&m_fields[QM_FIELD_DATE]), texts.date, texts.dateLength + 1);
    std::memcpy(CurrentValueArea(&m_fields[QM_FIELD_TIME]), texts.clock, texts.clockLength + 1);
    std::memcpy(CurrentValueArea(&m_fields[QM_FIELD_PRECISETIME]), texts.precise, texts.preciseLength + 1);
    for (unsigned int id = QM_FIELD_DATE; id <= QM_FIELD_PRECISETIME; ++id) {
        m_valueKinds[id] = QM_VALUE_TEXT;
    }
    for (unsigned int id = QM_FIELD_DATE; id <= QM_FIELD_PRECISETIME; ++id) {
        if (!PassesFilter(id)) return false;
    }
    return true;
}

bool CQmTraceData::SetFieldValue(unsigned int id, unsigned int value) {
    return SetFieldValue(id, static_cast<unsigned long>(value));
}

bool CQmTraceData::SetFieldValue(unsigned int id, unsigned long value) {
    if (id >= QM_DATA_FIELD_COUNT) return false;
    char* area = CurrentValueArea(&m_fields[id]);
    area[qm::WriteDecimal(value, area)] = '\0';
    m_valueKinds[id] = QM_VALUE_NUMBER;
    return PassesFilter(id);
}

bool CQmTraceData::SetFieldValue(unsigned int id, double value) {
    if (id >= QM_DATA_FIELD_COUNT) return false;
    // The widest "%f" text (about 320 bytes) fits any area.
    std::snprintf(CurrentValueArea(&m_fields[id]), kInlineSize, "%f", value);
    m_valueKinds[id] = QM_VALUE_NUMBER;
    return PassesFilter(id);
}

bool CQmTraceData::SetFieldValue(unsigned int id, bool value) {
    if (id >= QM_DATA_FIELD_COUNT) return false;
    std::strcpy(CurrentValueArea(&m_fields[id]), value ? "true" : "false");
    m_valueKinds[id] = QM_VALUE_BOOLEAN;
    return PassesFilter(id);
}

const char* CQmTraceData::GetFieldValue(unsigned int id) const {
    if (id >= QM_DATA_FIELD_COUNT) return nullptr;
    return m_fields[id].value != nullptr ? m_fields[id].value : "";
}

int CQmTraceData::GetFieldValueKind(unsigned int id) const {
    return id < QM_DATA_FIELD_COUNT ? static_cast<int>(m_valueKinds[id]) : static_cast<int>(QM_VALUE_UNSET);
}

int CQmTraceData::GetTracedFieldId(unsigned int position) const {
    if (position >= QM_DATA_FIELD_COUNT) return -1;
    // The order holds ids plus one; 0 ends it.
    const unsigned int entry = m_uFieldOrder[position];
    if (entry == 0 || entry > QM_DATA_FIELD_COUNT) return -1;
    return static_cast<int>(entry - 1);
}

const char* CQmTraceData::GetFieldName(unsigned int id) const {
    return id < QM_DATA_FIELD_COUNT ? m_fields[id].name : nullptr;
}
