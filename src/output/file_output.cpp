// CQmFileOutput: one write call per line, and in the size-limited modes a
// rollover of the full file to a time-stamped backup with pruning of the
// oldest backups. It keeps writing through the faults of real log
// directories: a live file removed or moved away is replaced at the path, a
// backup that cannot be deleted is skipped, a line cut short is ended before
// the next one, and a link planted at the path is never followed to a file.
// Backups can be compressed in the background (output/compression_worker.h).
// Every disk and clock operation goes through qm::FileSystem so that tests
// can make the disk misbehave.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "output/backup_compression.h"
#include "output/compression_worker.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/path_separators.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"
#include "platform/error_state.h"

namespace {

// A rollover refused because the file is held elsewhere is tried again only
// after this long, so that a held file does not cost a rename per line.
constexpr long long kRolloverRetrySeconds = 300;

// Backup names add a 16-byte stamp and up to four bytes of counter, and each
// name built must fit in 255 bytes.
constexpr std::size_t kMaxRolloverPathBytes = 235;

// "_YYYYMMDD_HHMMSS"
constexpr std::size_t kStampLength = 16;

// A counter name taken by something else (a foreign file, a concurrent
// writer) is stepped past this many times before the rollover gives up.
constexpr int kCounterAttempts = 16;

constexpr char kCompressedSuffix[] = ".gz";
constexpr std::size_t kCompressedSuffixLength = sizeof kCompressedSuffix - 1;

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

// A backup's place in time: its stamp, then its counter as a number (a
// plain stamp counts 0), so that _100 comes after _99 and not before _11.
struct Backup {
    std::string path;
    std::string stamp;
    long long counter;
    bool compressed;
};

bool Older(const Backup& a, const Backup& b) {
    if (a.stamp != b.stamp) return a.stamp < b.stamp;
    if (a.counter != b.counter) return a.counter < b.counter;
    return a.path < b.path;
}

// name is a backup's entry; its stamp starts after the stem.
Backup DescribeBackup(const std::string& directory, const std::string& name, std::size_t stemLength,
                      bool compressed) {
    Backup backup{directory + name, name.substr(stemLength, kStampLength), 0, compressed};
    const std::size_t after = stemLength + kStampLength;
    if (after < name.size() && name[after] == '_') backup.counter = LeadingNumber(name.c_str() + after + 1);
    return backup;
}

bool EndsWithCompressedSuffix(const std::string& name) {
    return name.size() > kCompressedSuffixLength &&
           name.compare(name.size() - kCompressedSuffixLength, kCompressedSuffixLength, kCompressedSuffix) == 0;
}

// The log path cut into the parts backup names are made of.
struct LogPathParts {
    std::string directory;  // the separator kept
    std::string baseName;
    std::string stem;       // the base name up to its last dot
    std::string extension;  // from the last dot on; empty without one
};

bool SplitLogPath(const std::string& path, LogPathParts* out) {
    // The last separator of either kind where the platform takes two; the
    // directory is kept as written, so backups keep the user's separators.
    const auto last = std::find_if(path.rbegin(), path.rend(), qm::platform::IsLogPathSeparator);
    if (last == path.rend()) return false;
    const std::size_t separator = static_cast<std::size_t>(path.rend() - last) - 1;
    out->directory = path.substr(0, separator + 1);
    out->baseName = path.substr(separator + 1);
    const std::size_t dot = out->baseName.rfind('.');
    out->stem = out->baseName.substr(0, dot);
    out->extension = dot == std::string::npos ? std::string() : out->baseName.substr(dot);
    return true;
}

bool SameFile(const qm::FileIdentity& identity, unsigned long long device, unsigned long long inode) {
    return identity.device == device && identity.inode == inode;
}

}  // namespace

CQmFileOutput::CQmFileOutput()
    : m_pszFilePath(nullptr),
      m_iFileDescriptor(-1),
      m_iMaxBackups(0),
      m_llMaxFileSize(0),
      m_iOpenMode(0),
      m_bRolloverRetryPending(false),
      m_llRolloverFailTime(0),
      m_pFileSystem(qm::RealFileSystem()),
      m_bRegularFile(true),
      m_bReaderCanGo(false),
      m_bLineCutShort(false),
      m_llNextPathCheck(0),
      m_ullFileDevice(0),
      m_ullFileInode(0),
      m_bCompressBackups(false) {
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
    m_llMaxFileSize = static_cast<long long>(maxSizeMb) << 20;
    return true;
}

void CQmFileOutput::SetCompressBackups(bool compress) {
    m_bCompressBackups.store(compress, std::memory_order_relaxed);
}

bool CQmFileOutput::IsCompressingBackups() const { return m_bCompressBackups.load(std::memory_order_relaxed); }

bool CQmFileOutput::Open() {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (m_pszFilePath == nullptr) return false;
    // Opening again must not leak the descriptor of the previous opening.
    CloseFile();
    m_bLineCutShort.store(false, std::memory_order_relaxed);
    qm::FileIdentity atPath;
    if (!m_pFileSystem->DescribePath(m_pszFilePath, &atPath)) {
        atPath.kind = FileExists(m_pszFilePath) ? qm::FileKind::kRegular : qm::FileKind::kMissing;
    }
    // Only a regular file has a policy; anything else at the path is written
    // as it is: never emptied, renamed or rolled over.
    m_bRegularFile = atPath.kind == qm::FileKind::kMissing || atPath.kind == qm::FileKind::kRegular;
    m_bReaderCanGo = false;
    if (atPath.kind == qm::FileKind::kDirectory) return false;
    if (!m_bRegularFile) return OpenFile(qm::kOpenAppend);
    bool opened;
    if (atPath.kind == qm::FileKind::kMissing) {
        opened = OpenFile(qm::kOpenTruncateAppend);
    } else if (m_iOpenMode == 0) {
        opened = OpenFile(qm::kOpenTruncate);
    } else if (m_iOpenMode == 1 || m_iOpenMode == 3) {
        opened = OpenFile(qm::kOpenAppend);
    } else {
        opened = Rollover();
    }
    if (opened && m_bCompressBackups.load(std::memory_order_relaxed)) ResumeCompression();
    return opened;
}

void CQmFileOutput::ResumeCompression() {
    // What a crash, a full disk or a busy worker left: plain backups are
    // queued oldest first, as many as the worker takes, and a partial
    // compressed file whose plain backup is gone is removed. One whose plain
    // backup is there is left to the job for it, which writes it afresh (it
    // may be that job's own file, in the making right now).
    LogPathParts parts;
    std::vector<std::string> names;
    if (!SplitLogPath(m_pszFilePath, &parts) || !m_pFileSystem->ListDirectory(parts.directory.c_str(), &names)) {
        return;
    }
    std::vector<Backup> plain;
    for (const std::string& name : names) {
        const std::string partialOf = qm::BackupNameOfPartial(name);
        if (!partialOf.empty()) {
            if (IsBackedUpFile(partialOf.c_str(), parts.baseName.c_str()) &&
                !m_pFileSystem->Exists((parts.directory + partialOf).c_str())) {
                m_pFileSystem->Remove((parts.directory + name).c_str());
            }
        } else if (!IsCompressedBackup(name.c_str(), parts.baseName.c_str()) &&
                   IsBackedUpFile(name.c_str(), parts.baseName.c_str())) {
            plain.push_back(DescribeBackup(parts.directory, name, parts.stem.size(), false));
        }
    }
    std::sort(plain.begin(), plain.end(), Older);
    for (const Backup& backup : plain) {
        if (!qm::QueueBackupCompression(m_pFileSystem, backup.path)) break;
    }
}

bool CQmFileOutput::Close() {
    const qm::platform::CallerErrorState keepCallersErrno;
    return CloseFile();
}

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
    if (descriptor != -1) {
        qm::FileIdentity opened;
        if (!m_pFileSystem->DescribeOpen(descriptor, &opened)) {
            // Nothing learnt: take it for what the path was, with no identity to watch.
            opened = qm::FileIdentity{};
            opened.kind = m_bRegularFile ? qm::FileKind::kRegular : qm::FileKind::kOther;
        }
        // A regular file's output never ends up on a pipe or device that
        // took the path's place meanwhile.
        if (m_bRegularFile && opened.kind != qm::FileKind::kRegular) {
            m_pFileSystem->Close(descriptor);
            descriptor = -1;
        } else {
            if (!m_bRegularFile) m_bReaderCanGo = opened.kind == qm::FileKind::kPipeOrSocket;
            m_ullFileDevice = opened.device;
            m_ullFileInode = opened.inode;
            m_bLineCutShort.store(false, std::memory_order_relaxed);
        }
    }
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
    if (m_bLineCutShort.load(std::memory_order_acquire)) {
        // The previous line stopped part-way (a full disk, a size limit):
        // end that fragment in the same write as this line, so nothing can
        // be appended in between. The lock keeps two threads from both
        // ending it.
        CQmErrLogAutoCS hold(m_fileLock);
        if (m_bLineCutShort.load(std::memory_order_relaxed)) {
            std::string fresh;
            fresh.reserve(std::size_t{length} + 1);
            fresh += '\n';
            fresh.append(text, length);
            const long long written = m_pFileSystem->Write(descriptor, fresh.data(),
                                                           static_cast<unsigned int>(fresh.size()));
            // Only "nothing written" or "a new fragment" leaves a line open.
            if (written >= 1) {
                m_bLineCutShort.store(written != 1 && written < static_cast<long long>(fresh.size()),
                                      std::memory_order_release);
            }
            return written == static_cast<long long>(fresh.size());
        }
    }
    const long long written = m_pFileSystem->Write(descriptor, text, length);
    if (written == static_cast<long long>(length)) return true;
    // Part of a record counts as a failure, never as a line written.
    if (written > 0) m_bLineCutShort.store(true, std::memory_order_release);
    return false;
}

bool CQmFileOutput::LogToSpecialFile(const char* text, unsigned int length) {
    // Whole records one after the other, even past what a pipe takes in one
    // write; a pipe whose reader has gone only fails the write.
    CQmErrLogAutoCS hold(m_fileLock);
    const int descriptor = m_iFileDescriptor.load(std::memory_order_relaxed);
    if (descriptor < 0) return false;
    if (m_bLineCutShort.load(std::memory_order_relaxed)) {
        const long long written = m_bReaderCanGo ? m_pFileSystem->WriteToPipe(descriptor, "\n", 1)
                                                 : m_pFileSystem->Write(descriptor, "\n", 1);
        if (written != 1) return false;
        m_bLineCutShort.store(false, std::memory_order_relaxed);
    }
    unsigned int done = 0;
    while (done < length) {
        const long long written = m_bReaderCanGo
                                      ? m_pFileSystem->WriteToPipe(descriptor, text + done, length - done)
                                      : m_pFileSystem->Write(descriptor, text + done, length - done);
        if (written <= 0) {
            m_bLineCutShort.store(done != 0, std::memory_order_relaxed);
            return false;
        }
        done += static_cast<unsigned int>(written);
    }
    return true;
}

void CQmFileOutput::CheckPathWhenDue() {
    // The clock read is no system call; the comparison with the path costs
    // one, at most once a second.
    const long long now = m_pFileSystem->Now();
    if (now < m_llNextPathCheck.load(std::memory_order_relaxed)) return;
    CQmErrLogAutoCS hold(m_fileLock);
    CheckPath(now);
}

void CQmFileOutput::CheckPath(long long now) {
    // Under m_fileLock.
    if (now < m_llNextPathCheck.load(std::memory_order_relaxed)) return;
    m_llNextPathCheck.store(now + 1, std::memory_order_relaxed);
    if (m_iFileDescriptor.load(std::memory_order_relaxed) < 0) return;
    qm::FileIdentity atPath;
    if (!m_pFileSystem->DescribePath(m_pszFilePath, &atPath)) return;
    // Moved away or removed (a rotation tool, rm): the path gets a file
    // again. A regular file of another identity (a rotation tool's fresh
    // file) is joined. Anything else there is left alone.
    const bool unknownIdentity = m_ullFileDevice == 0 && m_ullFileInode == 0;
    if (atPath.kind == qm::FileKind::kMissing ||
        (atPath.kind == qm::FileKind::kRegular && !unknownIdentity &&
         !SameFile(atPath, m_ullFileDevice, m_ullFileInode))) {
        ReopenAtPath();
    }
}

bool CQmFileOutput::ReopenAtPath() {
    // Under m_fileLock. The descriptor number stays; only the file behind it
    // changes, so lock-free writers never meet a closed descriptor.
    const int current = m_iFileDescriptor.load(std::memory_order_relaxed);
    if (current < 0) return false;
    const int fresh = m_pFileSystem->Open(m_pszFilePath, qm::kOpenAppend);
    if (fresh < 0) return false;
    qm::FileIdentity opened;
    if (!m_pFileSystem->DescribeOpen(fresh, &opened) || opened.kind != qm::FileKind::kRegular ||
        !m_pFileSystem->ReplaceDescriptor(current, fresh)) {
        m_pFileSystem->Close(fresh);
        return false;
    }
    m_ullFileDevice = opened.device;
    m_ullFileInode = opened.inode;
    m_bLineCutShort.store(false, std::memory_order_relaxed);
    return true;
}

bool CQmFileOutput::Log(CQmErrLogMessage& message) {
    const qm::platform::CallerErrorState keepCallersErrno;
    const char* text = message.GetBuffer();
    const unsigned int length = static_cast<unsigned int>(message.GetBufferLen());
    if (!m_bRegularFile) return LogToSpecialFile(text, length);
    if (m_iOpenMode == 3 || m_iOpenMode == 4) return LogSizeLimited(text, length);

    // Unlimited modes: each line is one append, no lock. Only a pending retry
    // can replace the descriptor while lines flow, so while one is pending the
    // writes and the retry share m_fileLock.
    if (!m_bRolloverRetryPending.load(std::memory_order_acquire)) {
        CheckPathWhenDue();
        return WriteText(text, length);
    }
    CQmErrLogAutoCS hold(m_fileLock);
    // A failed rollover left the file closed; it stays closed until the
    // owner reopens the output, as in the size-limited modes.
    if (m_bRolloverRetryPending.load(std::memory_order_relaxed) &&
        m_iFileDescriptor.load(std::memory_order_relaxed) >= 0 && RetryDue() && !Rollover()) {
        return false;
    }
    CheckPath(m_pFileSystem->Now());
    return WriteText(text, length);
}

bool CQmFileOutput::LogSizeLimited(const char* text, unsigned int length) {
    // Size check, rollover and write are one step, so no line slips in
    // between the check and the rename, and two threads never roll at once.
    CQmErrLogAutoCS hold(m_fileLock);
    if (m_iFileDescriptor.load(std::memory_order_relaxed) < 0) return false;
    CheckPath(m_pFileSystem->Now());
    qm::FileIdentity open;
    if (!m_pFileSystem->DescribeOpen(m_iFileDescriptor.load(std::memory_order_relaxed), &open)) return false;
    if (open.links == 0) {
        // Removed since the last line: no accepted line goes to a file that
        // no name reaches any more.
        if (!ReopenAtPath() ||
            !m_pFileSystem->DescribeOpen(m_iFileDescriptor.load(std::memory_order_relaxed), &open)) {
            return false;
        }
    }
    bool rolloverDue;
    if (m_bRolloverRetryPending.load(std::memory_order_relaxed)) {
        // Past the limit if need be, until the refused rename may be retried.
        rolloverDue = RetryDue();
    } else {
        // A line that would make the file reach the limit starts the next file.
        rolloverDue = open.size + static_cast<long long>(length) >= m_llMaxFileSize;
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
    LogPathParts parts;
    if (!SplitLogPath(path, &parts)) return false;
    const std::string& directory = parts.directory;
    const std::string& baseName = parts.baseName;
    const std::string& stem = parts.stem;
    const std::string& extension = parts.extension;
    const bool compress = m_bCompressBackups.load(std::memory_order_relaxed);

    // Only a regular file becomes a backup: never a directory or a link that
    // someone left at the path. A live file that is gone leaves nothing to
    // set aside.
    qm::FileIdentity live;
    if (m_pFileSystem->DescribePath(path.c_str(), &live)) {
        if (live.kind == qm::FileKind::kMissing) return StartNewFile();
        if (live.kind != qm::FileKind::kRegular) return false;
    }

    // Backups of this file; IsBackedUpFile is stricter than any
    // "stem*extension" pattern, so the whole directory is read and filtered.
    // With compression on, "<backup>.gz" is a backup too, of the same age;
    // off, .gz files (a compressor of the user's own) are left alone as before.
    std::vector<std::string> names;
    std::vector<Backup> backups;
    if (m_pFileSystem->ListDirectory(directory.c_str(), &names)) {
        for (const std::string& name : names) {
            if (compress && IsCompressedBackup(name.c_str(), baseName.c_str())) {
                backups.push_back(DescribeBackup(directory, name, stem.size(), true));
            } else if (IsBackedUpFile(name.c_str(), baseName.c_str())) {
                backups.push_back(DescribeBackup(directory, name, stem.size(), false));
            }
        }
    }
    std::sort(backups.begin(), backups.end(), Older);

    // Oldest first. A backup that cannot be deleted (a read-only directory,
    // a directory or an immutable file under a backup's name) is skipped:
    // the rollover goes on, and the next one tries again.
    const std::size_t limit = static_cast<std::size_t>(m_iMaxBackups);
    std::size_t pruned = 0;
    if (limit != 0 && backups.size() >= limit) {
        pruned = backups.size() - limit + 1;
        for (std::size_t i = 0; i < pruned; ++i) m_pFileSystem->Remove(backups[i].path.c_str());
    }
    // Once the new backup has its name: it, and the plain backups kept that
    // an earlier rollover could not hand over, oldest first.
    const auto queueCompression = [&](const std::string& made) {
        if (!compress) return;
        for (std::size_t i = pruned; i < backups.size(); ++i) {
            if (!backups[i].compressed && !qm::QueueBackupCompression(m_pFileSystem, backups[i].path)) return;
        }
        qm::QueueBackupCompression(m_pFileSystem, made);
    };

    qm::platform::CalendarTime now{};
    m_pFileSystem->LocalTime(&now);
    char stampText[80];
    std::snprintf(stampText, sizeof stampText, "_%04d%02d%02d_%02d%02d%02d", now.year, now.month, now.day,
                  now.hour, now.minute, now.second);
    const std::string stamp(stampText);
    const std::string stamped = directory + stem + stamp;

    // The next counter of this second comes after the highest one, as
    // numbers; and once this second has a backup, never the plain name again
    // (pruning may have freed it, and it would sort as the oldest).
    long long counter = 0;
    for (const Backup& backup : backups) {
        if (backup.stamp == stamp) counter = std::max(counter, backup.counter + 1);
    }
    const auto counted = [&](long long number) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "_%02lld", number);
        return stamped + suffix + extension;
    };
    std::string target = counter == 0 ? stamped + extension : counted(counter);
    for (int attempt = 0; attempt <= kCounterAttempts; ++attempt) {
        // A compressed backup under the name taken counts as taking it: its
        // plain twin would later be compressed over it.
        qm::RenameResult result = qm::RenameResult::kAlreadyExists;
        if (!compress || !m_pFileSystem->Exists(qm::CompressedBackupPath(target).c_str())) {
            result = m_pFileSystem->RenameNoReplace(path.c_str(), target.c_str());
            // No hard links and no no-replace rename (FAT, some network and
            // FUSE mounts): a plain rename after checking the name is free.
            if (result == qm::RenameResult::kUnsupported) {
                result = m_pFileSystem->RenameIfAbsent(path.c_str(), target.c_str());
            }
        }
        switch (result) {
            case qm::RenameResult::kRenamed: {
                const bool opened = StartNewFile();
                queueCompression(target);
                return opened;
            }
            case qm::RenameResult::kSourceMissing:
                return StartNewFile();
            case qm::RenameResult::kAccessDenied:
                // Held elsewhere: keep appending to the old file and try again later.
                m_bRolloverRetryPending.store(true, std::memory_order_release);
                m_llRolloverFailTime = m_pFileSystem->Now();
                return OpenFile(qm::kOpenAppend);
            case qm::RenameResult::kAlreadyExists: {
                // Another rollover within this second: number it.
                counter = std::max(counter + 1, 1LL);
                target = counted(counter);
                break;
            }
            case qm::RenameResult::kUnsupported:
            case qm::RenameResult::kFailed:
                return false;
        }
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

bool CQmFileOutput::IsCompressedBackup(const char* entryName, const char* baseName) {
    // Checked before the plain pattern: for a log named "x.gz" the plain
    // pattern would also take "x_<stamp>.gz.gz" for a plain backup.
    if (entryName == nullptr) return false;
    const std::string name(entryName);
    return EndsWithCompressedSuffix(name) &&
           IsBackedUpFile(name.substr(0, name.size() - kCompressedSuffixLength).c_str(), baseName);
}
