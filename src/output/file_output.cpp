// CQmFileOutput: one write call per line, and in the size-limited modes a
// rollover of the full file to a time-stamped backup with pruning of the
// oldest backups. Every disk and clock operation goes through
// qm::FileSystem so that tests can make the disk misbehave.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"

namespace {

// A rollover refused because the file is held elsewhere is tried again only
// after this long, so that a held file does not cost a rename per line.
constexpr long long kRolloverRetrySeconds = 300;

// Backup names add a 16-byte stamp and up to four bytes of counter, and each
// name built must fit in 255 bytes.
constexpr std::size_t kMaxRolloverPathBytes = 235;

// "_YYYYMMDD_HHMMSS"
constexpr std::size_t kStampLength = 16;

bool AllDigits(const char* text, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

// The number at the start of text, like atoi, bounded so that a long run of
// digits in a foreign file name cannot overflow.
long long LeadingNumber(const char* text) {
    long long value = 0;
    for (; *text >= '0' && *text <= '9' && value < 1000000000LL; ++text) {
        value = value * 10 + (*text - '0');
    }
    return value;
}

// The name of the next backup within one second, or false when the newest
// backup is not of this second (the clock went back, or a foreign file).
// stamped is the backup path of this second without its extension.
bool NextCounterName(const std::vector<std::string>& candidates, const std::string& stamped,
                     const std::string& extension, std::string* name) {
    if (candidates.empty()) return false;
    const std::string& newest = *std::max_element(candidates.begin(), candidates.end());
    if (newest.compare(0, stamped.size(), stamped) != 0) return false;
    long long counter = 1;
    if (newest.size() > stamped.size() + extension.size()) {
        counter = LeadingNumber(newest.c_str() + newest.rfind('_') + 1) + 1;
    }
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "_%02lld", counter);
    *name = stamped + suffix + extension;
    return true;
}

}  // namespace

CQmFileOutput::CQmFileOutput()
    : m_pszFilePath(nullptr),
      m_iFileDescriptor(-1),
      m_iMaxBackups(0),
      m_uMaxFileSize(0),
      m_iOpenMode(0),
      m_bRolloverRetryPending(false),
      m_llRolloverFailTime(0),
      m_pFileSystem(qm::RealFileSystem()) {
    SetType(QM_OUTPUT_FILE);
}

CQmFileOutput::~CQmFileOutput() {
    CloseFile();
    delete[] m_pszFilePath;
}

bool CQmFileOutput::SetParams(const char* path, int mode, int maxSizeMb, int maxBackups) {
    if (path == nullptr || path[0] == '\0') return false;
    if (maxSizeMb < 0 || maxBackups < 0 || mode < 0 || mode > 4) return false;
    const std::size_t length = std::strlen(path);
    char* copy = new (std::nothrow) char[length + 1];
    if (copy == nullptr) return false;
    std::memcpy(copy, path, length + 1);
    delete[] m_pszFilePath;
    m_pszFilePath = copy;
    m_iOpenMode = mode;
    m_iMaxBackups = maxBackups;
    // Kept to 32 bits on purpose: 4096 MB and more wrap around.
    m_uMaxFileSize = static_cast<unsigned int>(maxSizeMb) << 20;
    return true;
}

bool CQmFileOutput::Open() {
    if (m_pszFilePath == nullptr) return false;
    // Opening again must not leak the descriptor of the previous opening.
    CloseFile();
    if (!FileExists(m_pszFilePath)) return OpenFile(qm::kOpenTruncateAppend);
    switch (m_iOpenMode) {
        case 0:
            return OpenFile(qm::kOpenTruncate);
        case 1:
        case 3:
            return OpenFile(qm::kOpenAppend);
        case 2:
        case 4:
            return Rollover();
        default:
            return false;
    }
}

bool CQmFileOutput::Close() { return CloseFile(); }

bool CQmFileOutput::CloseFile() {
    const int descriptor = m_iFileDescriptor.exchange(-1);
    if (descriptor >= 0) m_pFileSystem->Close(descriptor);
    return true;
}

bool CQmFileOutput::OpenFile(int kind) {
    if (kind != qm::kOpenTruncateAppend && kind != qm::kOpenTruncate && kind != qm::kOpenAppend) {
        return false;
    }
    int descriptor = m_pFileSystem->Open(m_pszFilePath, kind);
    if (descriptor < 0) descriptor = -1;
    m_iFileDescriptor.store(descriptor, std::memory_order_release);
    return descriptor != -1;
}

bool CQmFileOutput::FileExists(const char* path) const { return m_pFileSystem->Exists(path); }

void CQmFileOutput::EnableBuffering(bool) {}

bool CQmFileOutput::IsBufferingEnabled() { return false; }

bool CQmFileOutput::IsBufferingSupported() { return false; }

bool CQmFileOutput::RetryDue() {
    return m_pFileSystem->Now() > m_llRolloverFailTime + kRolloverRetrySeconds;
}

bool CQmFileOutput::WriteText(const char* text, unsigned int length) {
    const int descriptor = m_iFileDescriptor.load(std::memory_order_acquire);
    if (descriptor < 0) return false;
    return m_pFileSystem->Write(descriptor, text, length) >= 0;
}

bool CQmFileOutput::Log(CQmErrLogMessage& message) {
    const char* text = message.GetBuffer();
    const unsigned int length = static_cast<unsigned int>(message.GetBufferLen());
    if (m_iOpenMode == 3 || m_iOpenMode == 4) return LogSizeLimited(text, length);

    // Unlimited modes: each line is one append, no lock. Only a pending retry
    // can replace the descriptor while lines flow, so while one is pending the
    // writes and the retry share m_fileLock.
    if (!m_bRolloverRetryPending.load(std::memory_order_acquire)) return WriteText(text, length);
    CQmErrLogAutoCS hold(m_fileLock);
    // A failed rollover left the file closed; it stays closed until the
    // owner reopens the output, as in the size-limited modes.
    if (m_bRolloverRetryPending.load(std::memory_order_relaxed) &&
        m_iFileDescriptor.load(std::memory_order_relaxed) >= 0 && RetryDue() && !Rollover()) {
        return false;
    }
    return WriteText(text, length);
}

bool CQmFileOutput::LogSizeLimited(const char* text, unsigned int length) {
    // Size check, rollover and write are one step, so no line slips in
    // between the check and the rename, and two threads never roll at once.
    CQmErrLogAutoCS hold(m_fileLock);
    const int descriptor = m_iFileDescriptor.load(std::memory_order_relaxed);
    if (descriptor < 0) return false;
    long long size = 0;
    if (!m_pFileSystem->FileSize(descriptor, &size)) return false;
    bool rolloverDue;
    if (m_bRolloverRetryPending.load(std::memory_order_relaxed)) {
        // Past the limit if need be, until the refused rename may be retried.
        rolloverDue = RetryDue();
    } else {
        // Unsigned 32-bit, wrapping: a line that would make the file reach
        // the limit starts the next file.
        rolloverDue = static_cast<unsigned int>(size) + length >= m_uMaxFileSize;
    }
    if (rolloverDue && !Rollover()) return false;
    return WriteText(text, length);
}

bool CQmFileOutput::StartNewFile() {
    // Publish the new descriptor before clearing the flag: unlimited-mode
    // writers that see the flag clear go straight to the descriptor.
    const bool opened = OpenFile(qm::kOpenTruncateAppend);
    m_bRolloverRetryPending.store(false, std::memory_order_release);
    return opened;
}

bool CQmFileOutput::Rollover() {
    // Every false result below leaves the file closed.
    CloseFile();
    const std::string path(m_pszFilePath);
    if (path.size() > kMaxRolloverPathBytes) return false;
    const std::size_t separator = path.rfind(qm::platform::kDirectorySeparator);
    if (separator == std::string::npos) return false;
    const std::string directory = path.substr(0, separator + 1);  // separator kept
    const std::string baseName = path.substr(separator + 1);
    const std::size_t dot = baseName.rfind('.');
    const std::string stem = baseName.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : baseName.substr(dot);

    // Backups of this file; IsBackedUpFile is stricter than any
    // "stem*extension" pattern, so the whole directory is read and filtered.
    std::vector<std::string> names;
    std::vector<std::string> backups;
    if (m_pFileSystem->ListDirectory(directory.c_str(), &names)) {
        for (const std::string& name : names) {
            if (IsBackedUpFile(name.c_str(), baseName.c_str())) backups.push_back(directory + name);
        }
    }

    // Byte-wise order is age order: the stamp sorts by time, and a plain
    // name sorts before the counter names of its second ('.' < '_').
    const std::size_t limit = static_cast<std::size_t>(m_iMaxBackups);
    if (limit != 0 && backups.size() >= limit) {
        std::sort(backups.begin(), backups.end());
        const std::size_t excess = backups.size() - limit + 1;
        for (std::size_t i = 0; i < excess; ++i) {
            if (!m_pFileSystem->Remove(backups[i].c_str())) return false;
        }
    }

    qm::platform::CalendarTime now{};
    m_pFileSystem->LocalTime(&now);
    char stamp[80];
    std::snprintf(stamp, sizeof stamp, "_%04d%02d%02d_%02d%02d%02d", now.year, now.month, now.day,
                  now.hour, now.minute, now.second);
    const std::string stamped = directory + stem + stamp;
    const std::string backupPath = stamped + extension;

    switch (m_pFileSystem->RenameNoReplace(path.c_str(), backupPath.c_str())) {
        case qm::RenameResult::kRenamed:
            return StartNewFile();
        case qm::RenameResult::kAccessDenied:
            // Held elsewhere: keep appending to the old file and try again later.
            m_bRolloverRetryPending.store(true, std::memory_order_release);
            m_llRolloverFailTime = m_pFileSystem->Now();
            return OpenFile(qm::kOpenAppend);
        case qm::RenameResult::kAlreadyExists: {
            // A second rollover within one second: number it after the newest.
            std::string counted;
            if (!NextCounterName(backups, stamped, extension, &counted)) return false;
            if (m_pFileSystem->RenameNoReplace(path.c_str(), counted.c_str()) !=
                qm::RenameResult::kRenamed) {
                return false;
            }
            return StartNewFile();
        }
        case qm::RenameResult::kFailed:
            break;
    }
    return false;
}

bool CQmFileOutput::IsBackedUpFile(const char* entryName, const char* baseName) {
    if (entryName == nullptr || baseName == nullptr) return false;
    const std::size_t entryLength = std::strlen(entryName);
    const std::size_t baseLength = std::strlen(baseName);
    if (entryLength < baseLength + kStampLength) return false;

    const char* baseExtension = std::strrchr(baseName, '.');
    const std::size_t stemLength =
        baseExtension != nullptr ? static_cast<std::size_t>(baseExtension - baseName) : baseLength;
    if (std::memcmp(entryName, baseName, stemLength) != 0) return false;

    const char* stamp = entryName + stemLength;
    if (stamp[0] != '_' || !AllDigits(stamp + 1, 8) || stamp[9] != '_' ||
        !AllDigits(stamp + 10, 6)) {
        return false;
    }
    // After the stamp: the extension, the end of the name (a file without
    // extension), or an underscore and the counter of a same-second backup.
    const char* rest = stamp + kStampLength;
    if (*rest != '.' && *rest != '\0') {
        if (*rest != '_') return false;
        for (++rest; *rest != '.' && *rest != '\0'; ++rest) {
            if (*rest < '0' || *rest > '9') return false;
        }
    }

    const char* entryExtension = std::strrchr(entryName, '.');
    if (baseExtension == nullptr && entryExtension == nullptr) return true;
    if (baseExtension == nullptr || entryExtension == nullptr) return false;
    return std::strcmp(entryExtension, baseExtension) == 0;
}
