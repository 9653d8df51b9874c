// Static helpers of the message: ids, date and time texts, file part of a path.
#include <cstdio>
#include <cstring>
#include <ctime>

#include "format/date_time_text.h"
#include "format/process_id.h"
#include "platform/path_separators.h"
#include "platform/process.h"
#include "qmerrlog/message.h"

namespace {

// Smallest buffers the helpers accept; enough for any value they write.
constexpr int kPidBufferSize = 10;
constexpr int kTidBufferSize = 15;
constexpr int kTimeBufferSize = 25;

// Copies a finished text into the caller's buffer, or reports that it does
// not fit without writing anything.
bool CopyOut(const char* text, std::size_t length, char* buffer, int size) {
    if (length >= static_cast<std::size_t>(size)) {
        return false;
    }
    std::memcpy(buffer, text, length + 1);
    return true;
}

}  // namespace

bool CQmErrLogMessage::GetPid(char* buffer, int size) {
    if (buffer == nullptr || size < kPidBufferSize) {
        return false;
    }
    std::snprintf(buffer, static_cast<std::size_t>(size), "%d", qm::CachedProcessId());
    return true;
}

bool CQmErrLogMessage::GetTid(char* buffer, int size) {
    if (buffer == nullptr || size < kTidBufferSize) {
        return false;
    }
    std::snprintf(buffer, static_cast<std::size_t>(size), "%u", qm::platform::CurrentThreadId());
    return true;
}

bool CQmErrLogMessage::GetDateTime(const tm* time, char* buffer, int size) {
    if (time == nullptr || buffer == nullptr || size < kTimeBufferSize) {
        return false;
    }
    char area[128];
    const std::size_t length = qm::FormatDateTimeText(*time, area, sizeof area);
    return length > 0 && CopyOut(area, length, buffer, size);
}

bool CQmErrLogMessage::GetTime(int kind, char* buffer, bool useLocalTime, int size) {
    if (buffer == nullptr || size < kTimeBufferSize) {
        return false;
    }
    std::tm now;
    int millisecond = 0;
    qm::ReadBrokenDownTime(useLocalTime, &now, &millisecond);
    char area[128];
    const std::size_t length = qm::FormatTimeOfKind(kind, now, millisecond, area, sizeof area);
    return length > 0 && CopyOut(area, length, buffer, size);
}

const char* CQmErrLogMessage::PathnameFindFilePart(const char* path) {
    if (path == nullptr) {
        return nullptr;
    }
    // From the end: the file part is short, the directories may be long.
    const char* part = path + std::strlen(path);
    while (part > path && !qm::platform::IsSourceNameSeparator(part[-1])) --part;
    return part;
}
