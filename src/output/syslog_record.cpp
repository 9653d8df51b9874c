#include "output/syslog_record.h"

#include <cstring>

#include "format/date_time_text.h"
#include "format/decimal_text.h"
#include "output/rfc5424_frame.h"
#include "qmerrlog/component.h"
#include "qmerrlog/message.h"
#include "qmerrlog/tracedata.h"

namespace qm {
namespace {

// Room kept in front of a frame for its octet count: ten digits and a blank
// cover any length a std::string can hold on 32-bit targets.
constexpr std::size_t kCountRoom = 11;

// A clock beyond what the stamp can show leaves the frame without one
// (NILVALUE) rather than with a broken one. out holds kDateTimeAreaSize bytes.
char* WriteCurrentTimestamp(char* out, bool local) {
    const std::size_t length = CurrentRfc3339Stamp(local, out);
    if (length == 0) {
        *out = '-';
        return out + 1;
    }
    return out + length;
}

int SeverityOfMessageId(unsigned int messageId) {
    switch (QmMessageTypeOf(messageId)) {
        case QM_MSG_ERROR: return kSeverityError;
        case QM_MSG_WARNING: return kSeverityWarning;
        case QM_MSG_INFO: return kSeverityInfo;
        // A line of no valid type is still worth a look.
        default: return kSeverityNotice;
    }
}

// "0x0100C001": the way message ids are written everywhere else; always a
// valid MSGID.
constexpr std::size_t kMessageIdTextLength = 10;
char* WriteMessageId(char* out, unsigned int id) {
    static const char kHex[] = "0123456789ABCDEF";
    out[0] = '0';
    out[1] = 'x';
    for (int i = 0; i < 8; ++i) out[2 + i] = kHex[(id >> (28 - 4 * i)) & 0xFu];
    return out + kMessageIdTextLength;
}

const char* TracedValue(const CQmTraceData& record, unsigned int field) {
    const char* value = record.GetFieldValue(field);
    return value != nullptr ? value : "";
}

std::size_t TraceDataBound(const CQmTraceData& record) {
    std::size_t bound = std::strlen(kTraceSdId) + 2;  // and the brackets
    for (unsigned int position = 0; position < QM_DATA_FIELD_COUNT; ++position) {
        const int id = record.GetTracedFieldId(position);
        if (id < 0) break;
        // ' ' NAME '="' VALUE '"'
        bound += 1 + kSdNameMax + 2 +
                 kMostBytesPerTextByte * std::strlen(TracedValue(record, static_cast<unsigned int>(id))) + 1;
    }
    return bound;
}

char* WriteTraceData(char* out, const CQmTraceData& record) {
    *out++ = '[';
    const std::size_t idLength = std::strlen(kTraceSdId);
    std::memcpy(out, kTraceSdId, idLength);
    out += idLength;
    for (unsigned int position = 0; position < QM_DATA_FIELD_COUNT; ++position) {
        const int id = record.GetTracedFieldId(position);
        if (id < 0) break;
        const unsigned int field = static_cast<unsigned int>(id);
        *out++ = ' ';
        out = WriteSdName(out, record.GetFieldName(field));
        *out++ = '=';
        *out++ = '"';
        const char* value = TracedValue(record, field);
        out = WriteSdParamValue(out, value, std::strlen(value));
        *out++ = '"';
    }
    *out++ = ']';
    return out;
}

// The text without the line feed that ends it in a file.
std::size_t TextLength(const CQmErrLogMessage& message) {
    std::size_t length = static_cast<std::size_t>(message.GetBufferLen());
    if (length > 0 && message.GetBuffer()[length - 1] == '\n') --length;
    return length;
}

}  // namespace

void PrepareFixedFields(SyslogSettings* settings) {
    std::string& fields = settings->fixedFields;
    fields.assign(1, ' ');
    AppendHeaderField(&fields, settings->hostName.c_str(), kHostNameMax);
    fields.push_back(' ');
    AppendHeaderField(&fields, settings->appName.c_str(), kAppNameMax);
    fields.push_back(' ');
    AppendHeaderField(&fields, settings->procId.c_str(), kProcIdMax);
    fields.push_back(' ');
}

std::size_t SyslogFrameBound(const CQmErrLogMessage& message, const SyslogSettings& settings, std::size_t enough) {
    const CQmTraceData* record = message.GetRecordKind() == QM_RECORD_TRACE ? message.GetTraceRecord() : nullptr;
    // PRI and version, stamp, the fixed fields, MSGID and a blank, structured
    // data, a blank and the text.
    const std::size_t head = kCountRoom + kPriorityAndVersionMax + kDateTimeAreaSize +
                             settings.fixedFields.size() + kMsgIdMax + 1 +
                             (record != nullptr ? TraceDataBound(*record) : 1) + 1;
    const std::size_t length = TextLength(message);
    // Compared by division, so that no text is long enough to wrap the sum.
    if (head <= enough && length <= (enough - head) / kMostBytesPerTextByte) {
        return head + kMostBytesPerTextByte * length;
    }
    return head + RepairedTextSize(message.GetBuffer(), length);
}

std::size_t WriteSyslogFrame(const CQmErrLogMessage& message, const SyslogSettings& settings, char* area,
                             std::size_t* start) {
    const std::size_t first = settings.octetCounting ? kCountRoom : 0;
    char* out = area + first;

    int facility = settings.facility;
    int severity = kSeverityNotice;
    bool hasMessageId = false;
    const CQmTraceData* record = nullptr;
    switch (message.GetRecordKind()) {
        case QM_RECORD_LOG_LINE:
            severity = SeverityOfMessageId(message.GetMessageId());
            hasMessageId = true;
            break;
        case QM_RECORD_AUDIT: facility = settings.auditFacility; break;
        case QM_RECORD_TRACE:
            severity = kSeverityDebug;
            record = message.GetTraceRecord();
            break;
        default: break;
    }

    out = WritePriorityAndVersion(out, facility, severity);
    out = WriteCurrentTimestamp(out, message.UsesLocalTime());
    std::memcpy(out, settings.fixedFields.data(), settings.fixedFields.size());
    out += settings.fixedFields.size();
    if (hasMessageId) {
        out = WriteMessageId(out, message.GetMessageId());
    } else {
        *out++ = '-';
    }
    *out++ = ' ';
    if (record != nullptr) {
        out = WriteTraceData(out, *record);
    } else {
        *out++ = '-';
    }
    const std::size_t length = TextLength(message);
    if (length > 0) {
        *out++ = ' ';
        out = WriteRepairedText(out, message.GetBuffer(), length);
    }

    const std::size_t end = static_cast<std::size_t>(out - area);
    *start = first;
    if (!settings.octetCounting) return end;
    char count[kDecimalTextSize];
    const std::size_t digits = WriteDecimal(end - first, count);
    if (digits + 1 > first) return std::string::npos;
    *start = first - digits - 1;
    std::memcpy(area + *start, count, digits);
    area[first - 1] = ' ';
    return end;
}

std::size_t BuildSyslogFrame(const CQmErrLogMessage& message, const SyslogSettings& settings, std::string* frame) {
    // A string's own bytes cost a fill when it grows; loose is fine.
    frame->assign(SyslogFrameBound(message, settings, std::string::npos), ' ');
    std::size_t start = 0;
    const std::size_t end = WriteSyslogFrame(message, settings, &(*frame)[0], &start);
    if (end == std::string::npos) return std::string::npos;
    frame->resize(end);
    return start;
}

}  // namespace qm
