// CQmErrLogMessage: the text of one record (log line, audit text or trace
// record) on its way from the caller through a logger to the outputs, plus the
// static helpers the rest of the library and its callers share.
#pragma once

#include <ctime>
#include <string>

#include "qmerrlog/export.h"
#include "qmerrlog/message_text.h"

// Trace layout codes; the same codes are a trace configuration's format.
enum QmTraceLayout {
    QM_TRACE_BRACKETED = 0,
    QM_TRACE_COLUMN = 1,
    QM_TRACE_DELIMITED = 2,
    QM_TRACE_TAGGED = 3,
    QM_TRACE_JSON_LINES = 4  // one JSON object a line, keys the field names
};

// What a message holds, for outputs that file records by kind (the syslog
// output). Set by the formatting calls; a message filled by other means is
// plain text.
enum QmRecordKind {
    QM_RECORD_TEXT = 0,
    QM_RECORD_LOG_LINE = 1,  // FormatLogMessage: GetMessageId tells the id
    QM_RECORD_AUDIT = 2,     // FormatAuditMessage
    QM_RECORD_TRACE = 3      // a trace layout; GetTraceRecord may tell its record
};

// How a trace field's value was set, so that typed layouts can show it as such.
enum QmTraceValueKind {
    QM_VALUE_UNSET = 0,
    QM_VALUE_TEXT = 1,
    QM_VALUE_NUMBER = 2,
    QM_VALUE_BOOLEAN = 3
};

// Kinds for CQmErrLogMessage::GetTime.
enum QmTimeKind {
    QM_TIME_DATE = 0,      // "%m/%d/%Y"
    QM_TIME_TIME = 1,      // "%H:%M:%S"
    QM_TIME_PRECISE = 2,   // "%H:%M:%S" "." milliseconds without leading zeros
    QM_TIME_DATE_TIME = 3  // any other kind: the GetDateTime form
};

class CQmTraceData;

class QMERRLOG_API CQmErrLogMessage {
public:
    // Takes its local-time flag from the default logger (constructing it on first use).
    CQmErrLogMessage();
    explicit CQmErrLogMessage(bool useLocalTime);
    ~CQmErrLogMessage();
    CQmErrLogMessage(const CQmErrLogMessage&) = delete;
    CQmErrLogMessage& operator=(const CQmErrLogMessage&) = delete;

    // Empties the text and the code; the local-time flag and trace state stay.
    bool CleanUpMessage();
    const char* GetBuffer() const { return m_text.c_str(); }
    // Same pointer as GetBuffer: the message keeps its text.
    const char* ReleaseBuffer() const { return m_text.c_str(); }
    int GetBufferLen() const { return static_cast<int>(m_text.size()); }
    int GetStringLen() const { return static_cast<int>(m_text.size()); }
    // The release function handed to asynchronous callbacks; the text stays the message's.
    static void FreeBuffer(char* buffer);

    // The third argument of the last FormatLogProlog; the library never reads it.
    int GetCode() const { return m_iCode; }
    bool UsesLocalTime() const { return m_bUseLocalTime; }
    int GetRecordKind() const { return m_iRecordKind; }
    // The id given to the last FormatLogMessage of a log line, else 0.
    unsigned int GetMessageId() const { return m_uMessageId; }
    // The trace record whose values this message was assembled from (it owns
    // the message), or null.
    const CQmTraceData* GetTraceRecord() const { return m_pTraceRecord; }

    // Log line: FormatLogProlog, then FormatLogMessage (appends), then LogErrMsg.
    bool FormatLogProlog(const char* file, int line, int code);
    bool FormatLogMessage(int messageId, ...);
    // Audit line: replaces the whole text by the formatted text, nothing added.
    bool FormatAuditMessage(const char* format, ...);

    // Trace layouts: one BeginTraceFormat, any number of fields, one EndTraceFormat.
    // The argument (tag or separator) is borrowed until EndTraceFormat.
    void BeginTraceFormat(int layout, bool useLocalTime, const char* argument);
    void FormatTraceField(const char* value, const char* name);
    void FormatTraceField(const char* value, int width);
    // A field with the kind of its value (QmTraceValueKind), which only the
    // JSON-lines layout shows; the other layouts take it as the call above.
    void FormatTraceField(const char* value, const char* name, int valueKind);
    void EndTraceFormat();

    // printf-style text in a new 4096-byte array (at most 4095 bytes kept);
    // null for a null or empty format. Release with FreeFormattedMessage.
    static const char* FormatTraceMessage(const char* format, ...);
    static void FreeFormattedMessage(const char* text);

    static bool GetPid(char* buffer, int size);                                // size >= 10
    static bool GetTid(char* buffer, int size);                                // size >= 15
    static bool GetDateTime(const tm* time, char* buffer, int size);           // size >= 25
    static bool GetTime(int kind, char* buffer, bool useLocalTime, int size);  // size >= 25
    // The character after the last directory separator, or the path itself.
    static const char* PathnameFindFilePart(const char* path);

    // Appends raw bytes; used by the library's own formatting code.
    void AppendText(const char* text, std::size_t length) { m_text.append(text, length); }
    void AppendText(const char* text) { m_text.append(text); }

private:
    friend class CQmTraceData;  // names itself as the record of its message
    friend struct QmLogLineMarking;

    // Trace layout of a message that no BeginTraceFormat has reached yet.
    static constexpr int kNoTraceLayout = -1;

    QmMessageText m_text;
    int m_iCode;
    int m_iTraceLayout;
    bool m_bUseLocalTime;
    const char* m_pszLayoutArgument;
    bool m_bFirstFieldPending;
    int m_iRecordKind;
    unsigned int m_uMessageId;
    const CQmTraceData* m_pTraceRecord;
};
