// Making a record a master: the logger's tables are copied in, then the trace
// configuration file selects components, fields and filters.
#include <cstring>
#include <new>

#include "qm_file.h"
#include "qmerrlog/tracedata.h"
#include "trace/config_reader.h"
#include "trace/json_keys.h"

bool CQmTraceData::SetConfiguration(int format, const char* separator, const char* fileName, int componentCount,
                                    QmTraceComponentInfo* components, QmTraceDataFieldInfo* fields,
                                    bool useLocalTime) {
    if (components == nullptr || fields == nullptr) return false;

    // A record configured twice must not keep texts or areas of its past.
    ReleaseOwnedConfiguration();
    ReleaseHeapValues();
    std::memset(m_uFieldOrder, 0, sizeof m_uFieldOrder);

    // A former copy only borrowed these: forget them, never free them.
    m_pszSeparator = nullptr;
    m_pComponents = nullptr;
    m_iComponentCount = 0;

    m_bOwnsConfiguration = true;
    m_iTraceFormat = format;
    m_bUseLocalTime = useLocalTime;
    // The JSON-lines layout has no separator; its area holds the keys instead.
    if (separator != nullptr && format != QM_TRACE_JSON_LINES) {
        m_pszSeparator = qm::CopyConfigText(separator);
        if (m_pszSeparator == nullptr) return false;
    }

    m_bConfigured = true;
    if (componentCount > 0) {
        m_pComponents = new (std::nothrow) QmTraceComponentInfo[componentCount];
        if (m_pComponents == nullptr) return false;
        std::memcpy(m_pComponents, components,
                    sizeof(QmTraceComponentInfo) * static_cast<std::size_t>(componentCount));
        m_iComponentCount = componentCount;
    }

    // Only what identifies a field is taken over: a master starts with no
    // field traced or filtered and holds no values.
    for (unsigned int i = 0; i < QM_DATA_FIELD_COUNT; ++i) {
        QmTraceDataFieldInfo& field = m_fields[i];
        field.traced = false;
        field.filtered = false;
        field.id = fields[i].id;
        field.name = fields[i].name;
        field.width = fields[i].width;
        field.filterText = nullptr;
        field.filterOperator = QM_FILTER_NONE;
        field.value = nullptr;
        field.valueOnHeap = false;
        field.inlineValue[0] = '\0';
    }
    const bool read = ReadConfigFile(fileName);
    // Every record made from this master writes these keys as they are; the
    // fields and their order are fixed from here on.
    if (format == QM_TRACE_JSON_LINES) m_pszSeparator = qm::NewJsonKeys(m_uFieldOrder, m_fields);
    return read;
}

bool CQmTraceData::ReadConfigFile(const char* fileName) {
    CQmFile file;
    if (!file.OpenFile(fileName, CQmFile::kReadLines)) return false;
    const qm::TraceConfigTables tables{m_pComponents, m_iComponentCount, m_fields, m_uFieldOrder};
    return qm::ReadTraceConfig(file, tables).accepted;
}
