// CQmFileOutput: one write call per line, and in the size-limited modes a
// rollover of the full file to a time-stamped backup with pruning of the
// oldest backups (output/file_backups.h). It keeps writing through the faults
// of real log directories: a live file removed or moved away is replaced at
// the path, a backup that cannot be deleted is skipped, a line cut short is
// ended before the next one, and a link planted at the path is never
// followed to a file. Backups can be compressed in the background
// (output/compression_worker.h). Every disk and clock operation goes through
// qm::FileSystem so that the disk can be made to misbehave.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "output/backup_compression.h"
#include "output/compression_worker.h"
#include "output/file_backups.h"
#include "output/file_output_disk.h"
#include "platform/clock.h"
#include "platform/error_state.h"
#include "platform/file_system.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"

namespace {

// The mode numbers of SetParams: what Open does with an existing regular
// file, and whether lines are size-checked.
enum class OpenMode {
    kTruncate = 0,
    kAppend = 1,
    kRollAside = 2,
    kAppendWithLimit = 3,
    kRollAsideWithLimit = 4
};

bool HasSizeLimit(OpenMode mode) {
    return mode == OpenMode::kAppendWithLimit || mode == OpenMode::kRollAsideWithLimit;
}

// A rollover refused because the file is held elsewhere is tried again only
// after this long, so that a held file does not cost a rename per line.
constexpr long long kRolloverRetrySeconds = 300;

// A counter name taken by something else (a foreign file, a concurrent
// writer) is stepped past this many times before the rollover gives up.
constexpr int kCounterAttempts = 16;

bool SameFile(const qm::FileIdentity& identity, unsigned long long device, unsigned long long inode) {
    return identity.device == device && identity.inode == inode;
}

// The output's file and the rules it is written, rolled over and watched
// by. Kept in this file, where none of it becomes a symbol of the library.
class LogFile {
public:
    // Lock order: taken after the logger's guard, never before it.
    CQmErrLogCS fileLock;
    qm::FileSystem* disk = qm::RealFileSystem();
    std::unique_ptr<char[]> path;
    OpenMode mode = OpenMode::kTruncate;
    long long maxFileSize = 0;
    int maxBackups = 0;
    std::atomic<bool> compressBackups{false};
    // Atomic because modes 0-2 write without fileLock: a writer that sees
    // no retry pending may use the descriptor lock-free, since only a
    // pending retry (handled under fileLock) replaces it while logging; a
    // reopen at the path keeps the number and swaps the file behind it.
    std::atomic<int> descriptor{-1};
    std::atomic<bool> rolloverRetryPending{false};
    long long rolloverFailTime = 0;
    // Decided at Open from what the path named: only a regular file is
    // rolled over, size-checked and watched; anything else (a pipe, a device)
    // is written whole records at a time under fileLock.
    bool regularFile = true;
    bool readerCanGo = false;  // a pipe or socket: a closed reader must not raise SIGPIPE
    // A write stopped part-way through a line; the next line starts with a
    // line feed so that it is never glued onto the fragment.
    std::atomic<bool> lineCutShort{false};
    // When the path is next compared with the open file (seconds), and the
    // open file's identity; the identity changes only under fileLock.
    std::atomic<long long> nextPathCheck{0};
    unsigned long long fileDevice = 0;
    unsigned long long fileInode = 0;

    bool Open();
    bool CloseFile();
    bool Log(const char* text, unsigned int length);

private:
    bool OpenFile(int kind);
    bool StartNewFile();
    bool RetryDue();
    bool WriteText(const char* text, unsigned int length);
    bool LogToSpecialFile(const char* text, unsigned int length);
    bool LogSizeLimited(const char* text, unsigned int length);
    void CheckPathWhenDue();
    void CheckPath(long long now);
    bool ReopenAtPath();

    bool Rollover();
    std::vector<qm::Backup> ListBackups(const qm::LogPathParts& parts, bool compress);
    qm::RenameResult RenameAside(const std::string& live, const qm::LogPathParts& parts,
                                 const std::vector<qm::Backup>& backups, bool compress, std::string* made);
    qm::RenameResult RenameUnlessTaken(const std::string& from, const std::string& to, bool compress);
    void QueueCompression(const std::vector<qm::Backup>& backups, std::size_t pruned, const std::string& made);
    void ResumeCompression();
};

}  // namespace

struct CQmFileOutput::State : LogFile {};

bool QmFileOutputDisk::Use(CQmFileOutput& output, qm::FileSystem* disk) {
    if (output.m_pState == nullptr || disk == nullptr) return false;
    output.m_pState->disk = disk;
    return true;
}

CQmFileOutput::CQmFileOutput() : m_pState(new (std::nothrow) State()) {
    SetType(QM_OUTPUT_FILE);
}

CQmFileOutput::~CQmFileOutput() {
    if (m_pState != nullptr) m_pState->CloseFile();
    delete m_pState;
}

bool CQmFileOutput::SetParams(const char* path, int mode, int maxSizeMb, int maxBackups) {
    if (m_pState == nullptr || path == nullptr || path[0] == '\0') return false;
    if (maxSizeMb < 0 || maxBackups < 0 || mode < 0 || mode > 4) return false;
    const std::size_t length = std::strlen(path);
    char* copy = new (std::nothrow) char[length + 1];
    if (copy == nullptr) return false;
    std::memcpy(copy, path, length + 1);
    m_pState->path.reset(copy);
    m_pState->mode = static_cast<OpenMode>(mode);
    m_pState->maxBackups = maxBackups;
    m_pState->maxFileSize = static_cast<long long>(maxSizeMb) << 20;
    return true;
}

void CQmFileOutput::SetCompressBackups(bool compress) {
    if (m_pState != nullptr) m_pState->compressBackups.store(compress, std::memory_order_relaxed);
}

bool CQmFileOutput::IsCompressingBackups() const {
    return m_pState != nullptr && m_pState->compressBackups.load(std::memory_order_relaxed);
}

bool CQmFileOutput::Open() {
    const qm::platform::CallerErrorState keepCallersErrno;
    return m_pState != nullptr && m_pState->Open();
}

bool CQmFileOutput::Log(CQmErrLogMessage& message) {
    const qm::platform::CallerErrorState keepCallersErrno;
    return m_pState != nullptr &&
           m_pState->Log(message.GetBuffer(), static_cast<unsigned int>(message.GetBufferLen()));
}

bool CQmFileOutput::Close() {
    const qm::platform::CallerErrorState keepCallersErrno;
    return m_pState == nullptr || m_pState->CloseFile();
}

void CQmFileOutput::EnableBuffering(bool) {}

bool CQmFileOutput::IsBufferingEnabled() {
    return false;
}

bool CQmFileOutput::IsBufferingSupported() {
    return false;
}

bool LogFile::Open() {
    if (path == nullptr) return false;
    // Opening again must not leak the descriptor of the previous opening.
    CloseFile();
    lineCutShort.store(false, std::memory_order_relaxed);
    qm::FileIdentity atPath;
    if (!disk->DescribePath(path.get(), &atPath)) {
        atPath.kind = disk->Exists(path.get()) ? qm::FileKind::kRegular : qm::FileKind::kMissing;
    }
    // Only a regular file has a policy; anything else at the path is written
    // as it is: never emptied, renamed or rolled over.
    regularFile = atPath.kind == qm::FileKind::kMissing || atPath.kind == qm::FileKind::kRegular;
    readerCanGo = false;
    if (atPath.kind == qm::FileKind::kDirectory) return false;
    if (!regularFile) return OpenFile(qm::kOpenAppend);
    bool opened;
    if (atPath.kind == qm::FileKind::kMissing) {
        opened = OpenFile(qm::kOpenTruncateAppend);
    } else if (mode == OpenMode::kTruncate) {
        opened = OpenFile(qm::kOpenTruncate);
    } else if (mode == OpenMode::kAppend || mode == OpenMode::kAppendWithLimit) {
        opened = OpenFile(qm::kOpenAppend);
    } else {
        opened = Rollover();
    }
    if (opened && compressBackups.load(std::memory_order_relaxed)) ResumeCompression();
    return opened;
}

bool LogFile::CloseFile() {
    const int open = descriptor.exchange(-1);
    if (open >= 0) disk->Close(open);
    return true;
}

bool LogFile::OpenFile(int kind) {
    int opened = disk->Open(path.get(), kind);
    if (opened < 0) opened = -1;
    if (opened != -1) {
        qm::FileIdentity identity;
        if (!disk->DescribeOpen(opened, &identity)) {
            // Nothing learnt: take it for what the path was, with no identity to watch.
            identity = qm::FileIdentity{};
            identity.kind = regularFile ? qm::FileKind::kRegular : qm::FileKind::kOther;
        }
        // A regular file's output never ends up on a pipe or device that
        // took the path's place meanwhile.
        if (regularFile && identity.kind != qm::FileKind::kRegular) {
            disk->Close(opened);
            opened = -1;
        } else {
            if (!regularFile) readerCanGo = identity.kind == qm::FileKind::kPipeOrSocket;
            fileDevice = identity.device;
            fileInode = identity.inode;
            lineCutShort.store(false, std::memory_order_relaxed);
        }
    }
    descriptor.store(opened, std::memory_order_release);
    return opened != -1;
}

bool LogFile::RetryDue() {
    return disk->Now() > rolloverFailTime + kRolloverRetrySeconds;
}

bool LogFile::WriteText(const char* text, unsigned int length) {
    const int open = descriptor.load(std::memory_order_acquire);
    if (open < 0) return false;
    if (lineCutShort.load(std::memory_order_acquire)) {
        // The previous line stopped part-way (a full disk, a size limit):
        // end that fragment in the same write as this line, so nothing can
        // be appended in between. The lock keeps two threads from both
        // ending it.
        CQmErrLogAutoCS hold(fileLock);
        if (lineCutShort.load(std::memory_order_relaxed)) {
            std::string fresh;
            fresh.reserve(std::size_t{length} + 1);
            fresh += '\n';
            fresh.append(text, length);
            const long long written = disk->Write(open, fresh.data(), static_cast<unsigned int>(fresh.size()));
            // Only "nothing written" or "a new fragment" leaves a line open.
            if (written >= 1) {
                lineCutShort.store(written != 1 && written < static_cast<long long>(fresh.size()),
                                   std::memory_order_release);
            }
            return written == static_cast<long long>(fresh.size());
        }
    }
    const long long written = disk->Write(open, text, length);
    if (written == static_cast<long long>(length)) return true;
    // Part of a record counts as a failure, never as a line written.
    if (written > 0) lineCutShort.store(true, std::memory_order_release);
    return false;
}

bool LogFile::LogToSpecialFile(const char* text, unsigned int length) {
    // Whole records one after the other, even past what a pipe takes in one
    // write; a pipe whose reader has gone only fails the write.
    CQmErrLogAutoCS hold(fileLock);
    const int open = descriptor.load(std::memory_order_relaxed);
    if (open < 0) return false;
    const auto write = [&](const char* data, unsigned int count) {
        return readerCanGo ? disk->WriteToPipe(open, data, count) : disk->Write(open, data, count);
    };
    if (lineCutShort.load(std::memory_order_relaxed)) {
        if (write("\n", 1) != 1) return false;
        lineCutShort.store(false, std::memory_order_relaxed);
    }
    unsigned int done = 0;
    while (done < length) {
        const long long written = write(text + done, length - done);
        if (written <= 0) {
            lineCutShort.store(done != 0, std::memory_order_relaxed);
            return false;
        }
        done += static_cast<unsigned int>(written);
    }
    return true;
}

void LogFile::CheckPathWhenDue() {
    // The clock read is no system call; the comparison with the path costs
    // one, at most once a second.
    const long long now = disk->Now();
    if (now < nextPathCheck.load(std::memory_order_relaxed)) return;
    CQmErrLogAutoCS hold(fileLock);
    CheckPath(now);
}

void LogFile::CheckPath(long long now) {
    // Under fileLock.
    if (now < nextPathCheck.load(std::memory_order_relaxed)) return;
    nextPathCheck.store(now + 1, std::memory_order_relaxed);
    if (descriptor.load(std::memory_order_relaxed) < 0) return;
    qm::FileIdentity atPath;
    if (!disk->DescribePath(path.get(), &atPath)) return;
    // Moved away or removed (a rotation tool, rm): the path gets a file
    // again. A regular file of another identity (a rotation tool's fresh
    // file) is joined. Anything else there is left alone.
    const bool unknownIdentity = fileDevice == 0 && fileInode == 0;
    if (atPath.kind == qm::FileKind::kMissing ||
        (atPath.kind == qm::FileKind::kRegular && !unknownIdentity && !SameFile(atPath, fileDevice, fileInode))) {
        ReopenAtPath();
    }
}

bool LogFile::ReopenAtPath() {
    // Under fileLock. The descriptor number stays; only the file behind it
    // changes, so lock-free writers never meet a closed descriptor.
    const int current = descriptor.load(std::memory_order_relaxed);
    if (current < 0) return false;
    const int fresh = disk->Open(path.get(), qm::kOpenAppend);
    if (fresh < 0) return false;
    qm::FileIdentity opened;
    if (!disk->DescribeOpen(fresh, &opened) || opened.kind != qm::FileKind::kRegular ||
        !disk->ReplaceDescriptor(current, fresh)) {
        disk->Close(fresh);
        return false;
    }
    fileDevice = opened.device;
    fileInode = opened.inode;
    lineCutShort.store(false, std::memory_order_relaxed);
    return true;
}

bool LogFile::Log(const char* text, unsigned int length) {
    if (!regularFile) return LogToSpecialFile(text, length);
    if (HasSizeLimit(mode)) return LogSizeLimited(text, length);

    // Unlimited modes: each line is one append, no lock. Only a pending retry
    // can replace the descriptor while lines flow, so while one is pending the
    // writes and the retry share fileLock.
    if (!rolloverRetryPending.load(std::memory_order_acquire)) {
        CheckPathWhenDue();
        return WriteText(text, length);
    }
    CQmErrLogAutoCS hold(fileLock);
    // A failed rollover left the file closed; it stays closed until the
    // owner reopens the output, as in the size-limited modes.
    if (rolloverRetryPending.load(std::memory_order_relaxed) && descriptor.load(std::memory_order_relaxed) >= 0 &&
        RetryDue() && !Rollover()) {
        return false;
    }
    CheckPath(disk->Now());
    return WriteText(text, length);
}

bool LogFile::LogSizeLimited(const char* text, unsigned int length) {
    // Size check, rollover and write are one step, so no line slips in
    // between the check and the rename, and two threads never roll at once.
    CQmErrLogAutoCS hold(fileLock);
    if (descriptor.load(std::memory_order_relaxed) < 0) return false;
    CheckPath(disk->Now());
    qm::FileIdentity open;
    if (!disk->DescribeOpen(descriptor.load(std::memory_order_relaxed), &open)) return false;
    if (open.links == 0) {
        // Removed since the last line: no accepted line goes to a file that
        // no name reaches any more.
        if (!ReopenAtPath() || !disk->DescribeOpen(descriptor.load(std::memory_order_relaxed), &open))
            return false;
    }
    bool rolloverDue;
    if (rolloverRetryPending.load(std::memory_order_relaxed)) {
        // Past the limit if need be, until the refused rename may be retried.
        rolloverDue = RetryDue();
    } else {
        // A line that would make the file reach the limit starts the next file.
        rolloverDue = open.size + static_cast<long long>(length) >= maxFileSize;
    }
    if (rolloverDue && !Rollover()) return false;
    return WriteText(text, length);
}

bool LogFile::StartNewFile() {
    // Publish the new descriptor before clearing the flag: unlimited-mode
    // writers that see the flag clear go straight to the descriptor.
    const bool opened = OpenFile(qm::kOpenTruncateAppend);
    rolloverRetryPending.store(false, std::memory_order_release);
    return opened;
}

bool LogFile::Rollover() {
    // Every false result below leaves the file closed.
    CloseFile();
    const std::string live(path.get());
    qm::LogPathParts parts;
    if (live.size() > qm::kMaxRolloverPathBytes || !qm::SplitLogPath(live, &parts)) return false;
    // Only a regular file becomes a backup: never a directory or a link that
    // someone left at the path. A live file that is gone leaves nothing to
    // set aside.
    qm::FileIdentity atPath;
    if (disk->DescribePath(live.c_str(), &atPath)) {
        if (atPath.kind == qm::FileKind::kMissing) return StartNewFile();
        if (atPath.kind != qm::FileKind::kRegular) return false;
    }
    const bool compress = compressBackups.load(std::memory_order_relaxed);
    const std::vector<qm::Backup> backups = ListBackups(parts, compress);
    const std::size_t pruned = qm::PruneOldest(*disk, backups, maxBackups);
    std::string made;
    switch (RenameAside(live, parts, backups, compress, &made)) {
        case qm::RenameResult::kRenamed: {
            const bool opened = StartNewFile();
            if (compress) QueueCompression(backups, pruned, made);
            return opened;
        }
        case qm::RenameResult::kSourceMissing: return StartNewFile();
        case qm::RenameResult::kAccessDenied:
            // Held elsewhere: keep appending to the old file and try again later.
            rolloverRetryPending.store(true, std::memory_order_release);
            rolloverFailTime = disk->Now();
            return OpenFile(qm::kOpenAppend);
        default: return false;
    }
}

std::vector<qm::Backup> LogFile::ListBackups(const qm::LogPathParts& parts, bool compress) {
    std::vector<std::string> names;
    if (!disk->ListDirectory(parts.directory.c_str(), &names)) return {};
    return qm::BackupsAmong(names, parts, compress);
}

qm::RenameResult LogFile::RenameAside(const std::string& live, const qm::LogPathParts& parts,
                                      const std::vector<qm::Backup>& backups, bool compress, std::string* made) {
    qm::platform::CalendarTime now{};
    disk->LocalTime(&now);
    const std::string stamp = qm::BackupStamp(now);
    long long counter = qm::NextCounter(backups, stamp);
    for (int attempt = 0; attempt <= kCounterAttempts; ++attempt) {
        *made = counter == 0 ? qm::StampedName(parts, stamp) : qm::CounterName(parts, stamp, counter);
        const qm::RenameResult result = RenameUnlessTaken(live, *made, compress);
        if (result != qm::RenameResult::kAlreadyExists) return result;
        // Another rollover within this second: number it.
        counter = std::max(counter + 1, 1LL);
    }
    return qm::RenameResult::kFailed;
}

qm::RenameResult LogFile::RenameUnlessTaken(const std::string& from, const std::string& to, bool compress) {
    // A compressed backup under the name counts as taking it: its plain twin
    // would later be compressed over it.
    if (compress && disk->Exists(qm::CompressedBackupPath(to).c_str())) return qm::RenameResult::kAlreadyExists;
    const qm::RenameResult result = disk->RenameNoReplace(from.c_str(), to.c_str());
    // No hard links and no no-replace rename (FAT, some network and FUSE
    // mounts): a plain rename after checking the name is free.
    if (result == qm::RenameResult::kUnsupported) return disk->RenameIfAbsent(from.c_str(), to.c_str());
    return result;
}

void LogFile::QueueCompression(const std::vector<qm::Backup>& backups, std::size_t pruned,
                               const std::string& made) {
    // The new backup, after the plain backups kept that an earlier rollover
    // could not hand over, oldest first.
    for (std::size_t i = pruned; i < backups.size(); ++i) {
        if (!backups[i].compressed && !qm::QueueBackupCompression(disk, backups[i].path)) return;
    }
    qm::QueueBackupCompression(disk, made);
}

void LogFile::ResumeCompression() {
    // What a crash, a full disk or a busy worker left: plain backups are
    // queued oldest first, as many as the worker takes, and a partial
    // compressed file whose plain backup is gone is removed. One whose plain
    // backup is there is left to the job for it, which writes it afresh (it
    // may be that job's own file, in the making right now).
    qm::LogPathParts parts;
    std::vector<std::string> names;
    if (!qm::SplitLogPath(path.get(), &parts) || !disk->ListDirectory(parts.directory.c_str(), &names)) return;
    std::vector<std::string> others;
    for (const std::string& name : names) {
        const std::string partialOf = qm::BackupNameOfPartial(name);
        if (partialOf.empty()) {
            others.push_back(name);
        } else if (qm::IsBackupName(partialOf.c_str(), parts.baseName.c_str()) &&
                   !disk->Exists((parts.directory + partialOf).c_str())) {
            disk->Remove((parts.directory + name).c_str());
        }
    }
    for (const qm::Backup& backup : qm::BackupsAmong(others, parts, true)) {
        if (!backup.compressed && !qm::QueueBackupCompression(disk, backup.path)) break;
    }
}
