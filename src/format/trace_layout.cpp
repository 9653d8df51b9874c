// The trace record layouts, built field by field on a message.
#include <cstring>

#include "format/json_text.h"
#include "qmerrlog/message.h"

namespace {

// Callers may leave a separator, tag or value unset; it reads as empty text.
const char* TextOrEmpty(const char* text) {
    return text != nullptr ? text : "";
}

}  // namespace

void CQmErrLogMessage::BeginTraceFormat(int layout, bool useLocalTime, const char* argument) {
    m_iTraceLayout = layout;
    m_bUseLocalTime = useLocalTime;
    m_pszLayoutArgument = argument;
    m_bFirstFieldPending = true;
    m_iRecordKind = QM_RECORD_TRACE;
    m_uMessageId = 0;
    m_pTraceRecord = nullptr;
    if (layout == QM_TRACE_JSON_LINES) {
        m_text.push_back('{');
    } else if (layout == QM_TRACE_TAGGED) {
        m_text.push_back('<');
        m_text.append(TextOrEmpty(argument));
        m_text.append(">\n", 2);
    }
}

void CQmErrLogMessage::FormatTraceField(const char* value, const char* name) {
    value = TextOrEmpty(value);
    switch (m_iTraceLayout) {
        case QM_TRACE_BRACKETED:
            m_text.push_back('[');
            m_text.append(value);
            m_text.push_back(']');
            break;
        case QM_TRACE_DELIMITED:
            if (!m_bFirstFieldPending) {
                m_text.append(TextOrEmpty(m_pszLayoutArgument));
            }
            m_bFirstFieldPending = false;
            m_text.append(value);
            break;
        case QM_TRACE_TAGGED: {
            const char* tag = TextOrEmpty(name);
            m_text.append("\t<", 2);
            m_text.append(tag);
            m_text.push_back('>');
            m_text.append(value);
            m_text.append("</", 2);
            m_text.append(tag);
            m_text.append(">\n", 2);
            break;
        }
        case QM_TRACE_JSON_LINES: FormatTraceField(value, name, QM_VALUE_TEXT); break;
        default:
            // The column layout takes its fields with a width; unknown layouts
            // take nothing.
            break;
    }
}

void CQmErrLogMessage::FormatTraceField(const char* value, int width) {
    if (m_bFirstFieldPending) {
        m_bFirstFieldPending = false;
    } else {
        m_text.append(2, ' ');
    }
    // A negative width is an empty column, like width 0.
    const std::size_t columns = width > 0 ? static_cast<std::size_t>(width) : 0;
    value = TextOrEmpty(value);
    const std::size_t length = std::strlen(value);
    if (length >= columns) {
        m_text.append(value, columns);
    } else {
        m_text.append(value, length);
        m_text.append(columns - length, ' ');
    }
}

void CQmErrLogMessage::FormatTraceField(const char* value, const char* name, int valueKind) {
    if (m_iTraceLayout != QM_TRACE_JSON_LINES) {
        FormatTraceField(value, name);
        return;
    }
    const bool first = m_bFirstFieldPending;
    m_bFirstFieldPending = false;
    name = TextOrEmpty(name);
    value = TextOrEmpty(value);
    const std::size_t valueLength = valueKind == QM_VALUE_UNSET ? 0 : std::strlen(value);
    qm::AppendJsonMember(this, first, name, std::strlen(name), value, valueLength, valueKind);
}

void CQmErrLogMessage::EndTraceFormat() {
    if (m_iTraceLayout == QM_TRACE_JSON_LINES) {
        m_text.append("}\n", 2);
    } else if (m_iTraceLayout == QM_TRACE_TAGGED) {
        m_text.append("</", 2);
        m_text.append(TextOrEmpty(m_pszLayoutArgument));
        m_text.append(">\n", 2);
    } else {
        m_text.push_back('\n');
    }
}
