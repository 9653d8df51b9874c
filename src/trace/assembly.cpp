// Turning a filled record into text: the record line (and the heading and
// rule lines) and printf-style field texts.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "format/json_text.h"
#include "format/plain_printf.h"
#include "qmerrlog/tracedata.h"
#include "trace/json_keys.h"
#include "trace/trace_line_kind.h"

namespace {

constexpr const char* kTaggedRoot = "TraceMessage";
constexpr std::size_t kAreaSize = static_cast<std::size_t>(QM_TRACE_VALUE_INLINE);

// A record's values in the bracketed or delimited layout, joined on the stack
// and appended in one piece: the same bytes the field-by-field calls make,
// without their per-field dispatch and growth checks. False, with nothing
// appended, when they do not fit the area; the general path then takes them.
bool AppendJoinedValues(CQmErrLogMessage* message, const unsigned int* order, const QmTraceDataFieldInfo* fields,
                        bool bracketed, const char* separator, bool* wroteField) {
    char line[QmMessageText::kInlineSize];
    std::size_t used = 0;
    if (separator == nullptr) separator = "";  // an unset separator joins with nothing
    const std::size_t separatorLength = std::strlen(separator);
    bool first = true;
    for (unsigned int position = 0; position < QM_DATA_FIELD_COUNT; ++position) {
        const unsigned int entry = order[position];
        if (entry == 0) break;
        if (entry > QM_DATA_FIELD_COUNT) continue;
        const char* value = fields[entry - 1].value != nullptr ? fields[entry - 1].value : "";
        const std::size_t length = std::strlen(value);
        const std::size_t around = bracketed ? 2 : (first ? 0 : separatorLength);
        if (length + around > sizeof line - used) return false;
        if (bracketed) {
            line[used++] = '[';
        } else if (!first) {
            std::memcpy(line + used, separator, separatorLength);
            used += separatorLength;
        }
        std::memcpy(line + used, value, length);
        used += length;
        if (bracketed) line[used++] = ']';
        first = false;
    }
    message->AppendText(line, used);
    *wroteField = !first;
    return true;
}

// A record's members in the JSON-lines layout, each the master's key for its
// field and the value, written on the stack and appended in as few pieces as
// fit: the same bytes the field-by-field calls make, without measuring and
// escaping each name again, or a dispatch and an append for each member. A
// member too long for the area is appended in pieces. True when it wrote one.
bool AppendJsonMembers(CQmErrLogMessage* message, const unsigned int* order, const QmTraceDataFieldInfo* fields,
                       const unsigned char* valueKinds, const char* keys) {
    char line[2048];
    char* end = line;
    bool first = true;
    qm::JsonKeyCursor cursor(keys);
    for (unsigned int position = 0; position < QM_DATA_FIELD_COUNT; ++position) {
        const unsigned int entry = order[position];
        if (entry == 0) break;
        if (entry > QM_DATA_FIELD_COUNT) continue;
        const QmTraceDataFieldInfo& field = fields[entry - 1];
        const int kind = valueKinds[entry - 1];
        const char* value = field.value != nullptr ? field.value : "";
        const std::size_t valueLength = kind == QM_VALUE_UNSET ? 0 : std::strlen(value);
        std::size_t keyLength;
        const char* key = cursor.Next(&keyLength);
        if (first) ++key, --keyLength;  // the first member has no comma
        first = false;

        const std::size_t room = keyLength + qm::kCopyStep + qm::JsonStringRoom(valueLength);
        if (room > static_cast<std::size_t>(line + sizeof line - end)) {
            message->AppendText(line, static_cast<std::size_t>(end - line));
            end = line;
            if (room > sizeof line) {
                message->AppendText(key, keyLength);
                qm::AppendJsonValue(message, value, valueLength, kind);
                continue;
            }
        }
        end = qm::WriteJsonValue(qm::CopyJsonKey(end, key, keyLength), value, valueLength, kind);
    }
    message->AppendText(line, static_cast<std::size_t>(end - line));
    return !first;
}

}  // namespace

bool CQmTraceData::AssembleTraceMessage(CQmErrLogMessage* message, int kind) {
    if (message == nullptr) return false;
    switch (m_iTraceFormat) {
        case QM_TRACE_BRACKETED:
        case QM_TRACE_COLUMN: message->BeginTraceFormat(m_iTraceFormat, m_bUseLocalTime, nullptr); break;
        case QM_TRACE_DELIMITED:
            message->BeginTraceFormat(QM_TRACE_DELIMITED, m_bUseLocalTime, m_pszSeparator);
            break;
        case QM_TRACE_TAGGED:
            // A tagged trace has no heading: each element names its field.
            if (kind != qm::kTraceValues) return false;
            message->BeginTraceFormat(QM_TRACE_TAGGED, m_bUseLocalTime, kTaggedRoot);
            break;
        case QM_TRACE_JSON_LINES:
            // Each object names its keys: no heading lines.
            if (kind != qm::kTraceValues) return false;
            message->BeginTraceFormat(QM_TRACE_JSON_LINES, m_bUseLocalTime, nullptr);
            break;
        default:
            // Switching tracing on refuses other formats; a record that has
            // one anyway writes nothing rather than a line of unknown shape.
            return false;
    }

    const bool joined = m_iTraceFormat == QM_TRACE_BRACKETED || m_iTraceFormat == QM_TRACE_DELIMITED;
    bool wroteField = false;
    if (kind == qm::kTraceValues && joined &&
        AppendJoinedValues(message, m_uFieldOrder, m_fields, m_iTraceFormat == QM_TRACE_BRACKETED, m_pszSeparator,
                           &wroteField)) {
        if (wroteField) message->m_bFirstFieldPending = false;
        message->EndTraceFormat();
        message->m_pTraceRecord = this;
        return true;
    }

    // A JSON-lines master keeps its keys where the other layouts keep the
    // separator (master_configuration.cpp); one that could not make them
    // leaves its records the general path.
    if (kind == qm::kTraceValues && m_iTraceFormat == QM_TRACE_JSON_LINES && m_pszSeparator != nullptr) {
        if (AppendJsonMembers(message, m_uFieldOrder, m_fields, m_valueKinds, m_pszSeparator))
            message->m_bFirstFieldPending = false;
        message->EndTraceFormat();
        message->m_pTraceRecord = this;
        return true;
    }

    std::string rule;  // heading lines only, never for a record
    for (unsigned int position = 0; position < QM_DATA_FIELD_COUNT; ++position) {
        const unsigned int entry = m_uFieldOrder[position];
        if (entry == 0) break;
        if (entry > QM_DATA_FIELD_COUNT) continue;
        const QmTraceDataFieldInfo& field = m_fields[entry - 1];
        const char* name = field.name != nullptr ? field.name : "";

        const char* text;
        if (kind == qm::kTraceValues) {
            text = field.value != nullptr ? field.value : "";
        } else if (kind == qm::kTraceFieldNames) {
            text = name;
        } else {
            const int length =
                m_iTraceFormat == QM_TRACE_COLUMN ? field.width : static_cast<int>(std::strlen(name));
            rule.assign(length > 0 ? static_cast<std::size_t>(length) : 0, kind == qm::kTraceDashRule ? '-' : '=');
            text = rule.c_str();
        }

        if (m_iTraceFormat == QM_TRACE_COLUMN) {
            message->FormatTraceField(text, field.width);
        } else if (kind == qm::kTraceValues) {
            message->FormatTraceField(text, name, m_valueKinds[entry - 1]);
        } else {
            message->FormatTraceField(text, name);
        }
    }
    message->EndTraceFormat();
    // Outputs that carry fields apart from the text (syslog's structured
    // data) read them from the record; heading lines have none.
    if (kind == qm::kTraceValues) message->m_pTraceRecord = this;
    return true;
}

bool CQmTraceData::Format() {
    return AssembleTraceMessage(&m_message, qm::kTraceValues);
}

const char* CQmTraceData::FormatTraceMessage(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const char* text = FormatTraceMessageVA(format, arguments);
    va_end(arguments);
    return text;
}

// Short texts stay in the record's own area; a longer one is formatted a
// second time into a heap area of its exact size, so nothing is cut. Either
// way the text is made in fresh storage and only then put in place: a caller
// may pass the record's previous result (or a format in it) as an argument.
const char* CQmTraceData::FormatTraceMessageVA(const char* format, va_list arguments) {
    if (format == nullptr || format[0] == '\0') {
        m_szFormatted[0] = '\0';
        return m_szFormatted;
    }

    char fresh[kAreaSize];
    va_list pass;
    va_copy(pass, arguments);
    int length = qm::FormatPlainPrintf(fresh, kAreaSize, format, pass);
    va_end(pass);
    if (length < 0) {
        va_copy(pass, arguments);
        length = std::vsnprintf(fresh, kAreaSize, format, pass);
        va_end(pass);
    }
    if (length < 0) {
        m_szFormatted[0] = '\0';
        return m_szFormatted;
    }
    if (static_cast<std::size_t>(length) < kAreaSize) {
        std::memcpy(m_szFormatted, fresh, static_cast<std::size_t>(length) + 1);
        return m_szFormatted;
    }

    const std::size_t needed = static_cast<std::size_t>(length) + 1;
    char* longText = new (std::nothrow) char[needed]();
    if (longText == nullptr) {
        // Without memory the caller still gets the head that fitted the area.
        std::memcpy(m_szFormatted, fresh, kAreaSize);
        return m_szFormatted;
    }
    va_copy(pass, arguments);
    const int again = std::vsnprintf(longText, needed, format, pass);
    va_end(pass);
    if (again < 0) longText[0] = '\0';
    // The old text may have been an argument: it goes only now.
    delete[] m_pszLongFormatted;
    m_pszLongFormatted = longText;
    return m_pszLongFormatted;
}
