// The body of a log line: "[TYPE] " and the catalogue text formatted with the
// caller's arguments, then a line feed.
#include <cstdarg>
#include <cstring>

#include "core/log_message_body.h"
#include "format/bounded_format.h"
#include "format/bounded_length.h"
#include "format/control_escape.h"
#include "format/format_area.h"
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
    switch (QmMessageTypeOf(messageId)) {
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

// Most bytes a body's text may have.
constexpr std::size_t kBodyLimit = qm::kFormatAreaSize - 1;

// "[TYPE] ", and the line says it is a log line of this id.
void AppendTypeWord(CQmErrLogMessage* message, unsigned int id) {
    QmLogLineMarking::Mark(message, id);
    char word[32];
    const char* type = MessageTypeWord(id);
    const std::size_t length = std::strlen(type);
    word[0] = '[';
    std::memcpy(word + 1, type, length);
    word[length + 1] = ']';
    word[length + 2] = ' ';
    message->AppendText(word, length + 3);
}

// Catalogue texts that need no formatter: most messages are a fixed text or
// one argument shown whole. Each gives exactly what the formatter would.
enum class SimpleBody {
    kNone,
    kLiteral,
    kText,
    kTextWidthOne
};

SimpleBody SimpleBodyOf(const char* text) {
    if (std::strchr(text, '%') == nullptr) return SimpleBody::kLiteral;
    if (std::strcmp(text, "%s") == 0) return SimpleBody::kText;
    if (std::strcmp(text, "%1s") == 0) return SimpleBody::kTextWidthOne;
    return SimpleBody::kNone;
}

// One caller's text as a body: "(null)" for none, a width of one pads an
// empty text to a space, control characters escaped, at most kBodyLimit bytes.
void AppendCallerText(CQmErrLogMessage* message, const char* text, bool widthOne) {
    if (text == nullptr) text = "(null)";
    if (widthOne && text[0] == '\0') text = " ";
    const std::size_t length = qm::BoundedLength(text, kBodyLimit);
    if (!qm::HasControlCharacter(text, length)) {
        message->AppendText(text, length);
        return;
    }
    qm::FormatArea escaped;
    qm::AppendEscaped(&escaped, text, length, kBodyLimit);
    message->AppendText(escaped.data(), escaped.size());
}

void AppendBody(CQmErrLogMessage* message, unsigned int id, const qm::FormatPieces& pieces,
                qm::ConversionArguments* arguments) {
    AppendTypeWord(message, id);
    // The catalogue text is the program's own; only what the arguments
    // bring in is a caller's and gets its control characters escaped. The
    // body is made on the stack: a line allocates only when it outgrows the
    // message's own area.
    qm::FormatArea body;
    qm::FormatConversions(pieces, arguments, qm::EscapeTexts::kCallerTexts, kBodyLimit, &body);
    message->AppendText(body.data(), body.size());
    message->AppendText("\n", 1);
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
    qm::FormatPieces pieces;
    qm::ParsePrintfFormat(text, &pieces);
    AppendBody(message, messageId, pieces, arguments);
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
    const SimpleBody simple = SimpleBodyOf(text);
    if (simple != SimpleBody::kNone) {
        AppendTypeWord(this, id);
        if (simple == SimpleBody::kLiteral) {
            AppendText(text, qm::BoundedLength(text, kBodyLimit));
        } else {
            std::va_list args;
            va_start(args, messageId);
            const char* argument = va_arg(args, const char*);
            va_end(args);
            AppendCallerText(this, argument, simple == SimpleBody::kTextWidthOne);
        }
        AppendText("\n", 1);
        return true;
    }
    // Taken apart once: the pieces say which type each argument has, then
    // which piece shows it.
    qm::FormatPieces pieces;
    const int argumentCount = qm::ParsePrintfFormat(text, &pieces);
    std::va_list args;
    va_start(args, messageId);
    qm::VaListArguments arguments(pieces, argumentCount, args);
    va_end(args);
    // The lookup may have touched errno; "%m" shows the caller's.
    keepCallersErrno.Restore();
    AppendBody(this, id, pieces, &arguments);
    return true;
}
