// CQmTraceData: a trace configuration plus the values of one trace record.
// One master per logger holds the configuration; each thread fills a working
// copy refreshed from the master.
#pragma once

#include <atomic>
#include <cstdarg>

#include "qmerrlog/datafields.h"
#include "qmerrlog/export.h"
#include "qmerrlog/message.h"

class CQmLogger;

constexpr int QM_TRACE_VALUE_INLINE = 1024;

enum QmFilterOperator {
    QM_FILTER_NONE = 0,
    QM_FILTER_EQUAL = 1,     // "=="
    QM_FILTER_NOT_EQUAL = 2  // "!="
};

struct QmTraceComponentInfo {
    bool selected;
    unsigned int id;   // component id, or trace component id
    const char* name;  // borrowed: "Display" or "Display/Trace"
};

struct QmTraceDataFieldInfo {
    bool traced;
    bool filtered;
    unsigned int id;
    const char* name;  // borrowed from the known data field table
    int width;
    const char* filterText;  // owned by the master, borrowed by copies
    int filterOperator;      // QmFilterOperator
    char* value;             // the inline area, or a heap area
    bool valueOnHeap;
    char inlineValue[QM_TRACE_VALUE_INLINE];
};

class QMERRLOG_API CQmTraceData {
public:
    CQmTraceData();
    virtual ~CQmTraceData();
    CQmTraceData(const CQmTraceData&) = delete;

    bool FieldTraced(unsigned int id);
    bool FieldFiltered(unsigned int id);
    bool ComponentSelected(unsigned int id);

    // False for an id of 64 or above, or when the field's filter rejects the
    // value (the record is then not to be written); the value is stored anyway.
    bool SetFieldValue(unsigned int id, int value);
    bool SetFieldValue(unsigned int id, long value);
    bool SetFieldValue(unsigned int id, unsigned int value);
    bool SetFieldValue(unsigned int id, unsigned long value);
    bool SetFieldValue(unsigned int id, double value);
    bool SetFieldValue(unsigned int id, bool value);
    bool SetFieldValue(unsigned int id, const char* value);

    bool CleanUpData();
    void LeaveNoBody();

    void SetLogger(CQmLogger* logger);
    CQmLogger* GetLogger();

    // Assembles one record of the traced fields into the record's message.
    bool Format();
    // Hands the record's message to its logger's LogTraceMsg.
    bool Log();
    // printf-style text owned by the record, valid until the next call or LeaveNoBody.
    const char* FormatTraceMessage(const char* format, ...);
    const char* FormatTraceMessageVA(const char* format, va_list arguments);

    CQmErrLogMessage& GetMessage() { return m_message; }
    int GetTraceFormat() const { return m_iTraceFormat; }
    long long GetGeneration() const { return m_llGeneration; }
    // The traced value of a field as text (empty when unset), null for ids >= 64.
    const char* GetFieldValue(unsigned int id) const;
    // How the field's value was last set (QmTraceValueKind); unset for ids >= 64.
    int GetFieldValueKind(unsigned int id) const;
    // The traced fields in their configured order: the id at a position, or
    // -1 where no field is (from the first such position on, none follows).
    int GetTracedFieldId(unsigned int position) const;
    // The known name of a field, or null for ids >= 64 and unnamed fields.
    const char* GetFieldName(unsigned int id) const;

private:
    friend class CQmLogger;
    friend struct QmJNIEntryPoint;
    template <typename>
    friend struct QmInternalAccess;

    CQmTraceData& operator=(const CQmTraceData& master);
    bool SetConfiguration(int format, const char* separator, const char* fileName, int componentCount,
                          QmTraceComponentInfo* components, QmTraceDataFieldInfo* fields, bool useLocalTime);
    bool ReadConfigFile(const char* fileName);
    QmTraceComponentInfo* GetComponentInfo(unsigned int id);
    QmTraceDataFieldInfo* GetDataFieldInfo(unsigned int id);
    bool TestDataFilter(unsigned int id);
    bool AssembleTraceMessage(CQmErrLogMessage* message, int kind);
    bool PopulateDateandTime();

    // A master frees its separator, component list and filter texts and
    // becomes a record that owns no configuration.
    void ReleaseOwnedConfiguration();
    // Masters are counted: their logger holds one count while the master is
    // in force, each copy borrowing its texts holds one more, and the last
    // to let go deletes it. A replaced master so lives exactly as long as a
    // copy still reads its texts.
    void HoldMaster() const;
    static void LetGoOfMaster(const CQmTraceData* master);
    // Heap value areas are freed and every value points at its inline area.
    void ReleaseHeapValues();
    // The area a field's value is written into: its heap area when it has one,
    // else its inline area (a master's null value is pointed there first).
    static char* CurrentValueArea(QmTraceDataFieldInfo* field);
    // Stores a text of any length by the inline/heap rule.
    static void StoreText(QmTraceDataFieldInfo* field, const char* text);
    // True when the field is not filtered or its value passes the filter.
    bool PassesFilter(unsigned int id);

    bool m_bConfigured;
    bool m_bOwnsConfiguration;
    bool m_bUseLocalTime;
    int m_iTraceFormat;
    char* m_pszSeparator;
    int m_iComponentCount;
    QmTraceComponentInfo* m_pComponents;
    QmTraceDataFieldInfo m_fields[QM_DATA_FIELD_COUNT];
    CQmErrLogMessage m_message;
    char m_szFormatted[QM_TRACE_VALUE_INLINE];
    char* m_pszLongFormatted;
    unsigned int m_uFieldOrder[QM_DATA_FIELD_COUNT];
    long long m_llGeneration;  // unique in the process for every master
    CQmLogger* m_pLogger;
    unsigned int m_uDateTimeTrigger;
    const CQmTraceData* m_pBorrowedFrom;              // the master this copy holds, or null
    mutable std::atomic<long> m_lHolders;             // a master's holders, 1 when made
    unsigned char m_valueKinds[QM_DATA_FIELD_COUNT];  // QmTraceValueKind of each value
};
