#include "core/known_data_fields.h"

#include <atomic>
#include <new>
#include <string>

#include "platform/no_destructor.h"

#include "qmerrlog/logger.h"

namespace {

// The row index is the data field id; names are the words of a trace
// configuration file and widths the columns of the column layout.
// clang-format off: a table reads best in columns
const KNOWNDATAFIELDINFO kKnownDataFields[QM_DATA_FIELD_COUNT] = {
    {"Message", 64},
    {"SrcFile", 32},
    {"Pid", 8},
    {"Tid", 8},
    {"Date", 16},
    {"Time", 8},
    {"PreciseTime", 16},
    {"Function", 32},
    {"ReturnValue", 32},
    {"User", 32},
    {"Group", 32},
    {"Domain", 64},
    {"Realm", 64},
    {"Policy", 64},
    {"Rule", 64},
    {"Directory", 64},
    {"AgentName", 64},
    {"AgentType", 64},
    {"TransactionID", 64},
    {"ObjectClass", 64},
    {"DomainOID", 64},
    {"SearchKey", 64},
    {"ErrorString", 64},
    {"ErrorValue", 64},
    {"ObjectOID", 64},
    {"Property", 64},
    {"IPAddr", 32},
    {"IPPort", 16},
    {"AuthStatus", 32},
    {"AuthReason", 32},
    {"AuthScheme", 32},
    {"CertSerial", 32},
    {"SubjectDN", 64},
    {"IssuerDN", 64},
    {"SessionSpec", 64},
    {"SessionID", 16},
    {"CertDistPt", 64},
    {"UserDN", 64},
    {"Resource", 64},
    {"Action", 64},
    {"RealmOID", 64},
    {"State", 8},
    {"ClusterID", 16},
    {"HandleCount", 16},
    {"FreeHandleCount", 16},
    {"BusyHandleCount", 16},
    {"ResponseTime", 32},
    {"Throughput", 32},
    {"MaxThroughput", 32},
    {"MinThroughput", 32},
    {"Threshold", 32},
    {"TransactionName", 32},
    {"Data", 64},
    {"HexadecimalData", 128},
    {"Query", 64},
    {"ActiveExpr", 64},
    {"CallDetail", 64},
    {"RequestIPAddr", 32},
    {"Returns", 8},
    {"Expression", 32},
    {"Result", 16},
    {"CacheHits", 5},
    {"CacheSize", 5},
    {"RefCount", 5},
};
// clang-format on

}  // namespace

bool GetKnownDataFields(int* count, const KNOWNDATAFIELDINFO** table) {
    if (count != nullptr) *count = static_cast<int>(QM_DATA_FIELD_COUNT);
    if (table != nullptr) *table = kKnownDataFields;
    return true;
}

namespace qm {

std::string BuildDataFieldListText() {
    std::string text;
    for (unsigned int id = 0; id < QM_DATA_FIELD_COUNT; ++id) {
        if (id != 0) text.push_back(' ');
        text.append(kKnownDataFields[id].name);
    }
    return text;
}

QmTraceDataFieldInfo* NewDataFieldInfoTable() {
    // Value-initialised: every flag, pointer and inline area starts zeroed.
    QmTraceDataFieldInfo* table = new (std::nothrow) QmTraceDataFieldInfo[QM_DATA_FIELD_COUNT]();
    if (table == nullptr) return nullptr;
    for (unsigned int id = 0; id < QM_DATA_FIELD_COUNT; ++id) {
        table[id].id = id;
        table[id].name = kKnownDataFields[id].name;
        table[id].width = kKnownDataFields[id].width;
    }
    return table;
}

void DeleteDataFieldInfoTable(QmTraceDataFieldInfo* table) {
    delete[] table;
}

QmTraceDataFieldInfo* SharedDataFieldInfoTable() {
    // Constant-initialised; loggers starting at once may each build a table,
    // the first to publish wins and the others give theirs back.
    static std::atomic<QmTraceDataFieldInfo*> shared{nullptr};
    QmTraceDataFieldInfo* table = shared.load(std::memory_order_acquire);
    if (table != nullptr) return table;
    QmTraceDataFieldInfo* made = NewDataFieldInfoTable();
    if (made == nullptr) return nullptr;
    if (shared.compare_exchange_strong(table, made, std::memory_order_acq_rel, std::memory_order_acquire)) {
        return made;
    }
    DeleteDataFieldInfoTable(made);
    return table;
}

const char* SharedDataFieldListText() {
    static NoDestructor<std::string> text(BuildDataFieldListText());
    return text->c_str();
}

}  // namespace qm

const char* CQmLogger::GetAvailableDataFields() const {
    return m_pszDataFieldList;
}
