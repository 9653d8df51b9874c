// The body of a log line: "[TYPE] " and the catalogue text formatted with the
// caller's arguments, then a line feed.
#include <cstdarg>
#include <string>
#include <vector>

#include "core/log_message_body.h"
#include "format/bounded_format.h"
#include "format/va_list_arguments.h"
#include "qmerrlog/component.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"
#include "platform/error_state.h"

// Log lines say what they are, so that outputs filing records by kind (the
// syslog output) know their severity and id, from C++ and Java alike.
struct QmLogLineMarking {
    static void Mark(CQmErrLogMessage* message, unsigned int id) {
        message->m_iRecordKind = QM_RECORD_LOG_LINE;
        message->m_uMessageId = id;
    }
};

namespace {

const char* MessageTypeWord(unsigned int messageId) {
    switch ((messageId >> QM_MESSAGE_TYPE_SHIFT) & 3u) {
        case QM_MSG_INFO: return "INFO";
        case QM_MSG_WARNING: return "WARNING";
        case QM_MSG_ERROR: return "ERROR";
        default: return "INVALID MESSAGE TYPE";
    }
}

// A line whose id has no text still ends: the next record written after it
// must never be glued onto its prolog.
void EndLine(CQmErrLogMessage* message) {
    const int length = message->GetBufferLen();
    if (length > 0 && message->GetBuffer()[length - 1] != '\n') message->AppendText("\n", 1);
}

void AppendBody(CQmErrLogMessage* message, unsigned int id, const std::vector<qm::FormatPiece>& pieces,
                qm::ConversionArguments* arguments) {
    QmLogLineMarking::Mark(message, id);
    message->AppendText("[");
    message->AppendText(MessageTypeWord(id));
    message->AppendText("] ");
    // The catalogue text is the program's own; only what the arguments
    // bring in is a caller's and gets its control characters escaped.
    std::string body;
    qm::FormatConversions(pieces, arguments, qm::EscapeTexts::kCallerTexts, qm::kFormatAreaSize - 1, &body);
    message->AppendText(body.data(), body.size());
    message->AppendText("\n");
}

}  // namespace

namespace qm {

const char* CatalogueText(unsigned int messageId) {
    // Texts always come from the default logger's catalogue, whichever logger
    // writes the line later.
    return theLogger()->FetchMsg(messageId);
}

bool AppendLogMessageBody(CQmErrLogMessage* message, unsigned int messageId, ConversionArguments* arguments) {
    const char* text = CatalogueText(messageId);
    if (text == nullptr) {
        EndLine(message);
        return false;
    }
    int argumentCount = 0;
    AppendBody(message, messageId, qm::ParsePrintfFormat(text, &argumentCount), arguments);
    return true;
}

}  // namespace qm

bool CQmErrLogMessage::FormatLogMessage(int messageId, ...) {
    const qm::platform::CallerErrorState keepCallersErrno;
    const unsigned int id = static_cast<unsigned int>(messageId);
    const char* text = qm::CatalogueText(id);
    if (text == nullptr) {
        EndLine(this);
        return false;
    }
    // Taken apart once: the pieces say which type each argument has, then
    // which piece shows it.
    int argumentCount = 0;
    const std::vector<qm::FormatPiece> pieces = qm::ParsePrintfFormat(text, &argumentCount);
    std::va_list args;
    va_start(args, messageId);
    qm::VaListArguments arguments(pieces, argumentCount, args);
    va_end(args);
    // The lookup may have touched errno; "%m" shows the caller's.
    keepCallersErrno.Restore();
    AppendBody(this, id, pieces, &arguments);
    return true;
}
