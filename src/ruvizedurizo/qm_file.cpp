#include "qm_file.h"

#include <cstring>
#include <utility>

#include "platform/regular_file.h"

bool CQmFile::OpenFile(const char* path, int mode) {
    if (path == nullptr || mode != kReadLines || m_bOpen) return false;
    std::string text;
    switch (qm::platform::ReadRegularFile(path, kMaxFileBytes, &text)) {
        case qm::platform::ReadFileResult::kRead: return OpenText(std::move(text));
        case qm::platform::ReadFileResult::kNotRegularFile: m_refusal = kNotRegularFile; return false;
        case qm::platform::ReadFileResult::kTooLarge: m_refusal = kTooLarge; return false;
        default: m_refusal = kCannotRead; return false;
    }
}

bool CQmFile::OpenText(std::string text) {
    if (m_bOpen) return false;
    m_text = std::move(text);
    m_position = 0;
    m_bOpen = true;
    m_refusal = kNoRefusal;
    return true;
}

int CQmFile::ReadLine(void* buffer, int size) {
    if (!m_bOpen || buffer == nullptr || size < 2) return 0;
    const std::size_t left = m_text.size() - m_position;
    if (left == 0) return 0;
    const char* start = m_text.data() + m_position;
    const void* lineFeed = std::memchr(start, '\n', left);
    // The line's bytes before its end, and where the next line starts.
    std::size_t body =
        lineFeed != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - start) : left;
    m_position += lineFeed != nullptr ? body + 1 : body;
    if (body > 0 && start[body - 1] == '\r') --body;

    char* out = static_cast<char*>(buffer);
    const std::size_t room = static_cast<std::size_t>(size) - 1;
    const std::size_t whole = body + (lineFeed != nullptr ? 1 : 0);
    // Cut at the area's end; the rest of the line is skipped already.
    const std::size_t length = whole < room ? whole : room;
    std::memcpy(out, start, length < body ? length : body);
    if (length > body) out[body] = '\n';
    out[length] = '\0';
    return static_cast<int>(length);
}

void CQmFile::CloseFile() {
    m_bOpen = false;
    m_text.clear();
    m_text.shrink_to_fit();
    m_position = 0;
}
