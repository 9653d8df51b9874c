// gzip through zlib, one block at a time, every disk call through
// qm::FileSystem so that tests can fail a read, a write or the sync.
#include "output/backup_compression.h"

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "output/file_backups.h"
#include "platform/file_system.h"

namespace qm {
namespace {

// Large enough that a block's system calls cost little next to deflate,
// small enough that a stop request is seen within a few milliseconds.
constexpr unsigned int kBlockBytes = 64 * 1024;

constexpr char kCompressedSuffix[] = ".gz";
constexpr char kPartialSuffix[] = ".gz.part";
constexpr std::size_t kPartialSuffixLength = sizeof kPartialSuffix - 1;

// gzip wrapper around a zlib stream (window bits 15, plus 16 for gzip).
constexpr int kGzipWindowBits = 15 + 16;
constexpr int kMemoryLevel = 8;
// The fastest level: on log text it costs about a third of the CPU time of
// zlib's default and still shrinks it more than tenfold (47x on the demo's
// rolling log, 12x on its varied error lines, against 45x and 16x). The
// worker shares the processors with the program it logs for, so its time
// matters more than a few points of ratio.
constexpr int kCompressionLevel = Z_BEST_SPEED;

bool WriteAll(FileSystem* disk, int descriptor, const unsigned char* data, std::size_t length) {
    while (length > 0) {
        const unsigned int piece = length > kBlockBytes ? kBlockBytes : static_cast<unsigned int>(length);
        const long long written = disk->Write(descriptor, reinterpret_cast<const char*>(data), piece);
        if (written <= 0) return false;
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

// The deflate stream, ended on every way out. Its output collects in the
// caller's buffer and goes to the disk only when the buffer is full or the
// stream ends: a backup that shrinks to a few kilobytes costs one write.
class GzipStream {
public:
    GzipStream() {
        m_stream.zalloc = Z_NULL;
        m_stream.zfree = Z_NULL;
        m_stream.opaque = Z_NULL;
        m_ready = deflateInit2(&m_stream, kCompressionLevel, Z_DEFLATED, kGzipWindowBits, kMemoryLevel,
                               Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~GzipStream() {
        if (m_ready) deflateEnd(&m_stream);
    }
    GzipStream(const GzipStream&) = delete;
    GzipStream& operator=(const GzipStream&) = delete;

    bool Ready() const { return m_ready; }

    // Compresses input (finishing the stream when last); out must be the
    // same buffer on every call.
    bool Feed(FileSystem* disk, int descriptor, const char* input, unsigned int length, bool last,
              unsigned char* out, unsigned int outSize) {
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input));
        m_stream.avail_in = length;
        const int flush = last ? Z_FINISH : Z_NO_FLUSH;
        for (;;) {
            m_stream.next_out = out + m_pending;
            m_stream.avail_out = outSize - m_pending;
            const int result = deflate(&m_stream, flush);
            // Z_BUF_ERROR only says that no progress was possible.
            if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) return false;
            m_pending = outSize - m_stream.avail_out;
            const bool ended = result == Z_STREAM_END;
            if (m_pending == outSize || ended) {
                if (!WriteAll(disk, descriptor, out, m_pending)) return false;
                m_pending = 0;
            }
            if (ended) return true;
            const bool roomLeft = m_stream.avail_out != 0;
            // All input taken with room to spare: deflate wants more input.
            if (!last && roomLeft && m_stream.avail_in == 0) return true;
            // Finishing with room to spare and still no end: it never will.
            if (last && roomLeft && result == Z_BUF_ERROR) return false;
        }
    }

private:
    z_stream m_stream{};
    bool m_ready = false;
    unsigned int m_pending = 0;  // compressed bytes in the buffer, not yet written
};

// The backup was deleted while in hand (pruned by a rollover): the work
// would be thrown away at the end, so on a worker that has fallen behind it
// stops now rather than take more processor time from the program.
bool BackupDeleted(FileSystem* disk, int input) {
    FileIdentity identity;
    return disk->DescribeOpen(input, &identity) && identity.links == 0;
}

// Reads the whole backup into the partial file; false on any failure, on a
// stop request and once the backup is deleted.
bool WritePartial(FileSystem* disk, int input, int output, const std::atomic<bool>& stop) {
    std::unique_ptr<char[]> in(new (std::nothrow) char[kBlockBytes]);
    std::unique_ptr<unsigned char[]> out(new (std::nothrow) unsigned char[kBlockBytes]);
    if (!in || !out) return false;
    GzipStream gzip;
    if (!gzip.Ready()) return false;
    for (;;) {
        if (stop.load(std::memory_order_acquire) || BackupDeleted(disk, input)) return false;
        const long long count = disk->Read(input, in.get(), kBlockBytes);
        if (count < 0) return false;
        const bool last = count == 0;
        if (!gzip.Feed(disk, output, in.get(), static_cast<unsigned int>(count), last, out.get(), kBlockBytes)) {
            return false;
        }
        if (last) return true;
    }
}

bool PutInPlace(FileSystem* disk, const std::string& partial, const std::string& compressed) {
    // A .gz already there was left by a run that stopped between naming it
    // and removing the plain backup; the plain backup it came from is still
    // here and was just compressed again, so the new file replaces it.
    FileIdentity existing;
    if (disk->DescribePath(compressed.c_str(), &existing) && existing.kind == FileKind::kRegular) {
        disk->Remove(compressed.c_str());
    }
    RenameResult result = disk->RenameNoReplace(partial.c_str(), compressed.c_str());
    if (result == RenameResult::kUnsupported) result = disk->RenameIfAbsent(partial.c_str(), compressed.c_str());
    return result == RenameResult::kRenamed;
}

}  // namespace

std::string CompressedBackupPath(const std::string& backupPath) {
    return backupPath + kCompressedSuffix;
}

std::string PartialBackupPath(const std::string& backupPath) {
    const std::size_t nameStart = LogFileNameStart(backupPath);
    std::string partial(backupPath, 0, nameStart);
    partial += '.';
    partial.append(backupPath, nameStart, std::string::npos);
    partial += kPartialSuffix;
    return partial;
}

std::string BackupNameOfPartial(const std::string& entryName) {
    if (entryName.size() <= 1 + kPartialSuffixLength || entryName[0] != '.' ||
        entryName.compare(entryName.size() - kPartialSuffixLength, kPartialSuffixLength, kPartialSuffix) != 0) {
        return std::string();
    }
    return entryName.substr(1, entryName.size() - 1 - kPartialSuffixLength);
}

std::string BackupDirectory(const std::string& backupPath) {
    const std::size_t nameStart = LogFileNameStart(backupPath);
    return nameStart == 0 ? std::string(".") : backupPath.substr(0, nameStart);
}

bool WritePartialBackup(FileSystem* disk, const std::string& backupPath, const std::atomic<bool>& stop) {
    const std::string partial = PartialBackupPath(backupPath);
    const int input = disk->OpenForReading(backupPath.c_str());
    if (input < 0) return false;
    // Truncating: a partial file of an earlier, interrupted attempt is replaced.
    const int output = disk->Open(partial.c_str(), kOpenTruncate);
    FileIdentity opened;
    if (output >= 0 && (!disk->DescribeOpen(output, &opened) || opened.kind != FileKind::kRegular)) {
        // Something other than a file under the partial name (a link to a
        // device): nothing is written through it, and it is left alone.
        disk->Close(output);
        disk->Close(input);
        return false;
    }
    if (output < 0) {
        disk->Close(input);
        disk->Remove(partial.c_str());
        return false;
    }
    const bool written = WritePartial(disk, input, output, stop) && disk->Sync(output);
    disk->Close(output);
    disk->Close(input);
    if (!written) disk->Remove(partial.c_str());
    return written;
}

bool SettleCompressedBackups(FileSystem* disk, const std::string& directory,
                             const std::vector<std::string>& backupPaths) {
    std::vector<const std::string*> named;
    named.reserve(backupPaths.size());
    for (std::size_t i = 0; i < backupPaths.size(); ++i) {
        const std::string& backupPath = backupPaths[i];
        // Listed twice (queued again while its partial file waited): the
        // second time the .gz is already in place and must not be removed.
        if (std::find(backupPaths.begin(), backupPaths.begin() + static_cast<std::ptrdiff_t>(i), backupPath) !=
            backupPaths.begin() + static_cast<std::ptrdiff_t>(i)) {
            continue;
        }
        const std::string partial = PartialBackupPath(backupPath);
        // Gone meanwhile (pruned by a rollover): a compressed copy would
        // only bring back a backup that pruning meant to delete.
        FileIdentity plain;
        const bool stillThere = disk->DescribePath(backupPath.c_str(), &plain) && plain.kind == FileKind::kRegular;
        if (stillThere && PutInPlace(disk, partial, CompressedBackupPath(backupPath))) {
            named.push_back(&backupPath);
        } else {
            disk->Remove(partial.c_str());
        }
    }
    if (named.empty()) return false;
    // The new names on the disk before the plain backups go, so that a
    // machine crash leaves at least one of each pair, in whatever order the
    // file system writes its directories. When that fails both stay, and
    // the next attempt compresses the plain backup again over the .gz.
    if (!disk->SyncDirectory(directory.c_str())) return false;
    for (const std::string* backupPath : named) disk->Remove(backupPath->c_str());
    return true;
}

bool CompressBackup(FileSystem* disk, const std::string& backupPath, const std::atomic<bool>& stop) {
    return WritePartialBackup(disk, backupPath, stop) &&
           SettleCompressedBackups(disk, BackupDirectory(backupPath), {backupPath});
}

}  // namespace qm
