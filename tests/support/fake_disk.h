// The real disk with switches for the faults a test cannot make for real (a
// held file, a failed delete, a file system without hard links, a full
// disk, a bad sector, a file past 4 GiB) and a clock that stands still until
// a test moves it: 2009-03-15 10:00:00 plus offsetSeconds, local and UTC
// alike.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace qmtest {

class FakeDisk : public qm::FileSystem {
public:
    std::atomic<long long> offsetSeconds{0};
    std::atomic<bool> refuseRenames{false};  // as when another process holds the file
    std::atomic<bool> failRemoves{false};
    std::atomic<bool> noHardLinks{false};    // FAT, some network and FUSE mounts
    // Bytes each write may still put on disk; -1 for no limit. A write that
    // meets the limit is cut short, the next one fails, as on a full disk.
    std::atomic<long long> spaceLeft{-1};
    std::atomic<long long> extraSize{0};     // added to every size the output asks for
    std::atomic<long long> readableBytes{-1};  // before reads fail; -1 for no limit
    std::atomic<bool> failSyncs{false};
    std::atomic<bool> failDirectorySyncs{false};
    std::atomic<int> directorySyncs{0};  // attempted
    // The backup path of the last rollover, exactly as the output spelled it.
    std::string LastRenameTarget() {
        std::lock_guard<std::mutex> hold(m_renameLock);
        return m_lastRenameTarget;
    }

    int Open(const char* path, int kind) override { return m_real->Open(path, kind); }
    void Close(int fd) override { m_real->Close(fd); }
    long long Write(int fd, const char* data, unsigned int n) override {
        const long long left = spaceLeft;
        if (left < 0) return m_real->Write(fd, data, n);
        if (left == 0 && n != 0) return -1;
        const long long written = m_real->Write(fd, data, left < n ? static_cast<unsigned int>(left) : n);
        if (written > 0) spaceLeft -= written;
        return written;
    }
    long long WriteToPipe(int fd, const char* d, unsigned int n) override { return m_real->WriteToPipe(fd, d, n); }
    bool FileSize(int fd, long long* n) override { return m_real->FileSize(fd, n) && (*n += extraSize, true); }
    bool DescribeOpen(int fd, qm::FileIdentity* out) override {
        return m_real->DescribeOpen(fd, out) && (out->size += extraSize, true);
    }
    bool DescribePath(const char* path, qm::FileIdentity* out) override { return m_real->DescribePath(path, out); }
    bool ReplaceDescriptor(int target, int source) override { return m_real->ReplaceDescriptor(target, source); }
    bool Exists(const char* path) override { return m_real->Exists(path); }
    bool ListDirectory(const char* d, std::vector<std::string>* n) override { return m_real->ListDirectory(d, n); }
    qm::RenameResult RenameNoReplace(const char* from, const char* to) override {
        std::unique_lock<std::mutex> hold(m_renameLock);  // the compression worker renames too
        m_lastRenameTarget = to;
        hold.unlock();
        if (refuseRenames) return qm::RenameResult::kAccessDenied;
        if (noHardLinks) return qm::RenameResult::kUnsupported;
        return m_real->RenameNoReplace(from, to);
    }
    qm::RenameResult RenameIfAbsent(const char* f, const char* t) override { return m_real->RenameIfAbsent(f, t); }
    int OpenForReading(const char* path) override { return m_real->OpenForReading(path); }
    long long Read(int fd, char* data, unsigned int n) override {
        const long long left = readableBytes;
        if (left == 0) return -1;
        const long long count = m_real->Read(fd, data, left > 0 && left < n ? static_cast<unsigned int>(left) : n);
        if (left > 0 && count > 0) readableBytes -= count;
        return count;
    }
    bool Sync(int fd) override { return !failSyncs && m_real->Sync(fd); }
    bool SyncDirectory(const char* d) override {
        ++directorySyncs;
        return !failDirectorySyncs && m_real->SyncDirectory(d);
    }
    bool Remove(const char* path) override { return !failRemoves && m_real->Remove(path); }
    long long Now() override { return 1237111200 + offsetSeconds; }
    void LocalTime(qm::platform::CalendarTime* out) override {
        const int s = static_cast<int>(offsetSeconds);
        *out = qm::platform::CalendarTime{2009, 3, 15, 10 + s / 3600, s / 60 % 60, s % 60, 0, 0, 0};
    }

private:
    qm::FileSystem* m_real = qm::RealFileSystem();
    std::mutex m_renameLock;
    std::string m_lastRenameTarget;
};

}  // namespace qmtest
