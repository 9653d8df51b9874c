// The body of a log line: "[TYPE] " and the catalogue text formatted with the
// caller's arguments, then a line feed.
#include <cstdarg>

#include "format/bounded_format.h"
#include "qmerrlog/component.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"

namespace {

const char* MessageTypeWord(unsigned int messageId) {
    switch ((messageId >> QM_MESSAGE_TYPE_SHIFT) & 3u) {
        case QM_MSG_INFO: return "INFO";
        case QM_MSG_WARNING: return "WARNING";
        case QM_MSG_ERROR: return "ERROR";
        default: return "INVALID MESSAGE TYPE";
    }
}

}  // namespace

bool CQmErrLogMessage::FormatLogMessage(int messageId, ...) {
    const unsigned int id = static_cast<unsigned int>(messageId);
    // Texts always come from the default logger's catalogue, whichever logger
    // writes the line later.
    const char* text = theLogger()->FetchMsg(id);
    if (text == nullptr) return false;

    m_iRecordKind = QM_RECORD_LOG_LINE;
    m_uMessageId = id;
    AppendText("[");
    AppendText(MessageTypeWord(id));
    AppendText("] ");
    if (*text != '\0') {
        char area[qm::kFormatAreaSize];
        std::va_list args;
        va_start(args, messageId);
        const std::size_t length = qm::FormatBounded(area, text, args);
        va_end(args);
        AppendText(area, length);
    }
    AppendText("\n");
    return true;
}
