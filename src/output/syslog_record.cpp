#include "output/syslog_record.h"

#include <cstdio>
#include <cstring>

#include "format/date_time_text.h"
#include "format/utf8_text.h"
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
// (NILVALUE) rather than with a broken one.
void AppendCurrentTimestamp(std::string* out, bool local) {
    char stamp[kDateTimeAreaSize];
    const std::size_t length = CurrentRfc3339Stamp(local, stamp);
    if (length == 0) {
        out->push_back('-');
    } else {
        out->append(stamp, length);
    }
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

// "0x0100C001": the way message ids are written everywhere else.
void FormatMessageId(unsigned int id, char (&text)[16]) {
    static const char kHex[] = "0123456789ABCDEF";
    text[0] = '0';
    text[1] = 'x';
    for (int i = 0; i < 8; ++i) text[2 + i] = kHex[(id >> (28 - 4 * i)) & 0xFu];
    text[10] = '\0';
}

void AppendTraceData(std::string* out, const CQmTraceData& record) {
    out->push_back('[');
    out->append(kTraceSdId);
    for (unsigned int position = 0; position < QM_DATA_FIELD_COUNT; ++position) {
        const int id = record.GetTracedFieldId(position);
        if (id < 0) break;
        const unsigned int field = static_cast<unsigned int>(id);
        out->push_back(' ');
        AppendSdName(out, record.GetFieldName(field));
        out->append("=\"", 2);
        const char* value = record.GetFieldValue(field);
        AppendSdParamValue(out, value, std::strlen(value));
        out->push_back('"');
    }
    out->push_back(']');
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

std::size_t BuildSyslogFrame(const CQmErrLogMessage& message, const SyslogSettings& settings, std::string* frame) {
    frame->clear();
    // One allocation for the common frame: header fields, a little structured
    // data, the text.
    frame->reserve(
        kCountRoom + 80 + settings.fixedFields.size() + static_cast<std::size_t>(message.GetBufferLen()) +
        (message.GetTraceRecord() != nullptr ? static_cast<std::size_t>(message.GetBufferLen()) + 256 : 0));
    const std::size_t start = settings.octetCounting ? kCountRoom : 0;
    frame->append(start, ' ');

    int facility = settings.facility;
    int severity = kSeverityNotice;
    char msgId[16] = "";
    const CQmTraceData* record = nullptr;
    switch (message.GetRecordKind()) {
        case QM_RECORD_LOG_LINE:
            severity = SeverityOfMessageId(message.GetMessageId());
            FormatMessageId(message.GetMessageId(), msgId);
            break;
        case QM_RECORD_AUDIT: facility = settings.auditFacility; break;
        case QM_RECORD_TRACE:
            severity = kSeverityDebug;
            record = message.GetTraceRecord();
            break;
        default: break;
    }

    AppendPriorityAndVersion(frame, facility, severity);
    AppendCurrentTimestamp(frame, message.UsesLocalTime());
    frame->append(settings.fixedFields);
    AppendHeaderField(frame, msgId, kMsgIdMax);
    frame->push_back(' ');
    if (record != nullptr) {
        AppendTraceData(frame, *record);
    } else {
        frame->push_back('-');
    }

    // The text without the line feed that ends it in a file.
    std::size_t length = static_cast<std::size_t>(message.GetBufferLen());
    const char* text = message.GetBuffer();
    if (length > 0 && text[length - 1] == '\n') --length;
    if (length > 0) {
        frame->push_back(' ');
        AppendRepairedUtf8(frame, text, length);
    }

    if (!settings.octetCounting) return 0;
    char count[kCountRoom + 1];
    const int digits = std::snprintf(count, sizeof count, "%zu ", frame->size() - start);
    if (digits <= 0 || static_cast<std::size_t>(digits) > start) return std::string::npos;
    const std::size_t used = static_cast<std::size_t>(digits);
    frame->replace(start - used, used, count, used);
    return start - used;
}

}  // namespace qm
