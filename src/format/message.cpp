// The message buffer itself: construction, the log line prolog and the
// printf-style audit and trace texts.
#include "qmerrlog/message.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "format/bounded_format.h"
#include "format/bounded_length.h"
#include "format/control_escape.h"
#include "format/date_time_text.h"
#include "format/decimal_text.h"
#include "platform/process.h"
#include "platform/error_state.h"

namespace {

// Most bytes of the file part a prolog shows, escapes included: the longest
// file name most file systems allow. A longer part is cut there.
constexpr std::size_t kMaxPrologFileBytes = 255;

}  // namespace

CQmErrLogMessage::CQmErrLogMessage(bool useLocalTime)
    : m_iCode(0),
      m_iTraceLayout(kNoTraceLayout),
      m_bUseLocalTime(useLocalTime),
      m_pszLayoutArgument(nullptr),
      m_bFirstFieldPending(true),
      m_iRecordKind(QM_RECORD_TEXT),
      m_uMessageId(0),
      m_pTraceRecord(nullptr) {}

CQmErrLogMessage::~CQmErrLogMessage() = default;

bool CQmErrLogMessage::CleanUpMessage() {
    // clear() keeps the capacity: a reused message stops allocating.
    m_text.clear();
    m_iCode = 0;
    m_iRecordKind = QM_RECORD_TEXT;
    m_uMessageId = 0;
    m_pTraceRecord = nullptr;
    return true;
}

void CQmErrLogMessage::FreeBuffer(char* /*buffer*/) {
    // The text belongs to the message; callbacks get this as a release
    // function only so that they have one to call.
}

bool CQmErrLogMessage::FormatLogProlog(const char* file, int line, int code) {
    const qm::platform::CallerErrorState keepCallersErrno;
    m_iCode = code;
    m_text.clear();
    m_iRecordKind = QM_RECORD_TEXT;
    m_uMessageId = 0;
    m_pTraceRecord = nullptr;

    char area[qm::kPrologHeadSize];
    m_text.append(area, qm::CurrentPrologHead(m_bUseLocalTime, area));

    // Callers always name a file; a null one is shown as an empty path. The
    // name is cut so that a path of any length gives a line of bounded size,
    // and escaped like any caller's text (a Java caller passes what it likes).
    if (file != nullptr) {
        const char* part = PathnameFindFilePart(file);
        const std::size_t length = qm::BoundedLength(part, kMaxPrologFileBytes);
        if (qm::HasControlCharacter(part, length)) {
            qm::AppendEscaped(&m_text, part, length, m_text.size() + kMaxPrologFileBytes);
        } else {
            m_text.append(part, length);
        }
    }
    if (line > 0) {
        std::size_t used = 0;
        area[used++] = ':';
        used += qm::WriteSignedDecimal(line, area + used);
        area[used++] = ']';
        m_text.append(area, used);
    } else {
        m_text.push_back(']');
    }
    return true;
}

bool CQmErrLogMessage::FormatAuditMessage(const char* format, ...) {
    if (format == nullptr || format[0] == '\0') {
        return false;
    }
    m_text.clear();
    m_iRecordKind = QM_RECORD_AUDIT;
    m_uMessageId = 0;
    m_pTraceRecord = nullptr;
    std::va_list args;
    va_start(args, format);
    char area[qm::kFormatAreaSize];
    const std::size_t length = qm::FormatBounded(area, format, args);
    va_end(args);
    m_text.append(area, length);
    return true;
}

const char* CQmErrLogMessage::FormatTraceMessage(const char* format, ...) {
    if (format == nullptr || format[0] == '\0') {
        return nullptr;
    }
    char* text = new char[qm::kFormatAreaSize];
    std::va_list args;
    va_start(args, format);
    qm::FormatBounded(text, format, args);
    va_end(args);
    return text;
}

void CQmErrLogMessage::FreeFormattedMessage(const char* text) {
    delete[] text;
}
