// The file output on a disk that can misbehave: the real disk with switches
// for the faults a test cannot make for real (a held file, a failed delete,
// a file system without hard links, a full disk, a file past 4 GiB), and a
// fixture that reaches the output's private disk and writes the log path
// in each separator style the platform takes.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "output/compression_worker.h"
#include "output/file_backups.h"
#include "output/file_output_disk.h"
#include "platform/file_system.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"
#include "support/temp_dir.h"

namespace qmtest {

// The clock reads 2009-03-15 10:00:00 plus offsetSeconds, local and UTC alike.
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
    // A disk that can tell neither link counts nor what a path names.
    std::atomic<bool> blind{false};
    // Bytes reads may still return before they fail, as on a bad sector; -1 for no limit.
    std::atomic<long long> readableBytes{-1};
    std::atomic<bool> failSyncs{false};

    int Open(const char* path, int kind) override { return m_real->Open(path, kind); }
    void Close(int fd) override { m_real->Close(fd); }
    long long Write(int fd, const char* data, unsigned int n) override {
        long long left = spaceLeft.load();
        if (left < 0) return m_real->Write(fd, data, n);
        if (left == 0 && n != 0) return -1;
        const unsigned int allowed = left < n ? static_cast<unsigned int>(left) : n;
        const long long written = m_real->Write(fd, data, allowed);
        if (written > 0) spaceLeft -= written;
        return written;
    }
    long long WriteToPipe(int fd, const char* data, unsigned int n) override {
        ++pipeWrites;
        return m_real->WriteToPipe(fd, data, n);
    }
    bool FileSize(int fd, long long* size) override {
        if (!m_real->FileSize(fd, size)) return false;
        *size += extraSize;
        return true;
    }
    bool DescribeOpen(int fd, qm::FileIdentity* out) override {
        if (blind) return qm::FileSystem::DescribeOpen(fd, out);
        if (!m_real->DescribeOpen(fd, out)) return false;
        out->size += extraSize;
        return true;
    }
    bool DescribePath(const char* path, qm::FileIdentity* out) override {
        ++pathLookups;
        return !blind && m_real->DescribePath(path, out);
    }
    bool ReplaceDescriptor(int target, int source) override { return m_real->ReplaceDescriptor(target, source); }
    bool Exists(const char* path) override { return m_real->Exists(path); }
    bool ListDirectory(const char* d, std::vector<std::string>* n) override { return m_real->ListDirectory(d, n); }
    qm::RenameResult RenameNoReplace(const char* from, const char* to) override {
        {
            std::lock_guard<std::mutex> hold(m_renameLock);
            lastRenameTarget = to;
        }
        if (refuseRenames) return qm::RenameResult::kAccessDenied;
        if (noHardLinks) return qm::RenameResult::kUnsupported;
        return m_real->RenameNoReplace(from, to);
    }
    qm::RenameResult RenameIfAbsent(const char* from, const char* to) override {
        ++plainRenames;
        return m_real->RenameIfAbsent(from, to);
    }
    int OpenForReading(const char* path) override { return m_real->OpenForReading(path); }
    long long Read(int fd, char* data, unsigned int n) override {
        const long long left = readableBytes.load();
        if (left == 0) return -1;
        if (left > 0 && left < n) n = static_cast<unsigned int>(left);
        const long long count = m_real->Read(fd, data, n);
        if (left > 0 && count > 0) readableBytes -= count;
        return count;
    }
    bool Sync(int fd) override { return !failSyncs && m_real->Sync(fd); }
    bool Remove(const char* path) override { return !failRemoves && m_real->Remove(path); }
    long long Now() override { return 1237111200 + offsetSeconds; }
    void LocalTime(qm::platform::CalendarTime* out) override {
        const int s = static_cast<int>(offsetSeconds.load());
        *out = qm::platform::CalendarTime{2009, 3, 15, 10 + s / 3600, s / 60 % 60, s % 60, 0, 0, 0};
    }

    std::atomic<int> plainRenames{0};
    std::atomic<int> pipeWrites{0};
    std::atomic<int> pathLookups{0};
    // The backup path of the last rollover, exactly as the output spelled it.
    std::string LastRenameTarget() {
        std::lock_guard<std::mutex> hold(m_renameLock);
        return lastRenameTarget;
    }

private:
    qm::FileSystem* m_real = qm::RealFileSystem();
    std::mutex m_renameLock;
    std::string lastRenameTarget;
};

// How a test writes the log path it hands to the output. Windows takes '/'
// as well as '\\', and users and mingw-w64 programs write either or both;
// POSIX has '/' alone.
enum class PathStyle { kAsGiven, kSlashes, kMixed };

inline std::vector<PathStyle> PathStylesOfThisPlatform() {
#if defined(_WIN32)
    return {PathStyle::kAsGiven, PathStyle::kSlashes, PathStyle::kMixed};
#else
    return {PathStyle::kAsGiven};
#endif
}

inline const char* NameOf(PathStyle style) {
    return style == PathStyle::kSlashes ? "Slashes" : style == PathStyle::kMixed ? "Mixed" : "AsGiven";
}
inline std::string PathStyleName(const testing::TestParamInfo<PathStyle>& info) { return NameOf(info.param); }
inline void PrintTo(PathStyle style, std::ostream* out) { *out << NameOf(style); }

// The path with its separators rewritten: all '/', or alternating kinds
// with '/' last before the file name (so that a split at the last
// backslash would land in the wrong directory).
inline std::string InStyle(std::string path, PathStyle style) {
    if (style == PathStyle::kAsGiven) return path;
    bool slash = true;
    for (auto c = path.rbegin(); c != path.rend(); ++c) {
        if (*c != '/' && *c != '\\') continue;
        *c = style == PathStyle::kSlashes || slash ? '/' : '\\';
        slash = !slash;
    }
    return path;
}

// A gzip file unpacked with zlib, or "<bad>" when it is no complete gzip stream.
inline std::string Unpacked(const std::string& path) {
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr) return "<bad>";
    std::string text;
    char block[65536];
    int count;
    while ((count = gzread(file, block, sizeof block)) > 0) text.append(block, static_cast<std::size_t>(count));
    int error = Z_OK;
    gzerror(file, &error);
    gzclose(file);
    return count < 0 || error != Z_OK ? "<bad>" : text;
}

}  // namespace qmtest

// The fixture reaches the output's disk and backup test.
struct CQmFileOutputTestAccess : testing::Test {
    using Names = std::set<std::string>;

    // Compression jobs hold the fake disk: none may outlive it.
    ~CQmFileOutputTestAccess() override { qm::WaitForBackupCompression(); }

    // Opens the output on a file of the directory, first writing content there unless it is null.
    bool Open(const std::string& name, const char* content, int mode, int maxSizeMb, int maxBackups) {
        const std::string path = content != nullptr ? m_dir.Write(name, content) : m_dir.Path(name);
        return OpenAt(qmtest::InStyle(path, m_pathStyle), mode, maxSizeMb, maxBackups);
    }
    // Opens the output on the path exactly as given.
    bool OpenAt(const std::string& path, int mode, int maxSizeMb, int maxBackups) {
        EXPECT_TRUE(m_output.SetParams(path.c_str(), mode, maxSizeMb, maxBackups));
        EXPECT_TRUE(QmFileOutputDisk::Use(m_output, &m_disk));
        return m_output.Open();
    }
    bool Log(const std::string& text) {
        CQmErrLogMessage message(false);
        message.AppendText(text.data(), text.size());
        return m_output.Log(message);
    }
    // What a file of the directory holds, or "<none>".
    std::string In(const std::string& name) const {
        std::ifstream in(m_dir.Path(name), std::ios::binary);
        return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<none>";
    }
    Names Entries() const {
        Names names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    qmtest::TempDir m_dir;
    qmtest::FakeDisk m_disk;
    CQmFileOutput m_output;
    qmtest::PathStyle m_pathStyle = qmtest::PathStyle::kAsGiven;
};

// The same fixture run once for each separator style of the platform.
struct FileOutputInEachPathStyle : CQmFileOutputTestAccess, testing::WithParamInterface<qmtest::PathStyle> {
    FileOutputInEachPathStyle() { m_pathStyle = GetParam(); }
};
