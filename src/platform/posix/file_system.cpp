// The real disk behind qm::FileSystem: plain descriptors, one system call per
// operation, no buffering of our own.
#include "platform/file_system.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <new>

#include "platform/no_destructor.h"
#include "platform/posix/broken_pipe.h"

namespace qm {
namespace {

RenameResult ClassifyRenameError(int error) {
    switch (error) {
        case EEXIST:
        case ENOTEMPTY: return RenameResult::kAlreadyExists;
        case EACCES:
        case EPERM:
        case EBUSY:
        case ETXTBSY:
        case EROFS: return RenameResult::kAccessDenied;
        case ENOENT: return RenameResult::kSourceMissing;
        default: return RenameResult::kFailed;
    }
}

// For file systems without an atomic no-replace rename: a hard link cannot
// replace its target either, and the old name goes only once the new exists.
RenameResult RenameByLink(const char* from, const char* to) {
    if (link(from, to) != 0) {
        const int error = errno;
        // FAT and many network or FUSE mounts have no hard links; that is no
        // sign of the file being held, and the caller may fall back.
        if (error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK) {
            return RenameResult::kUnsupported;
        }
        return ClassifyRenameError(error);
    }
    if (unlink(from) != 0) {
        const int error = errno;
        unlink(to);
        return ClassifyRenameError(error);
    }
    return RenameResult::kRenamed;
}

FileKind KindOf(mode_t mode) {
    if (S_ISREG(mode)) return FileKind::kRegular;
    if (S_ISDIR(mode)) return FileKind::kDirectory;
    if (S_ISLNK(mode)) return FileKind::kSymlink;
    if (S_ISFIFO(mode) || S_ISSOCK(mode)) return FileKind::kPipeOrSocket;
    return FileKind::kOther;
}

// Asks for what FileIdentity holds and nothing more. Leaving the times out
// matters on kernels with fine-grained timestamps: a status call that reads a
// file's change time makes the next write to it take a fresh time and log the
// inode in the journal, which more than doubled the cost of each line in the
// size-limited modes, where every line asks for the size first.
bool Describe(int directory, const char* path, int flags, FileIdentity* out) {
    // A sandbox that refuses statx (older container profiles answer EPERM
    // rather than ENOSYS, so the C library does not fall back by itself)
    // still gets its answers, from the older call.
    static std::atomic<bool> statxRefused{false};
    if (!statxRefused.load(std::memory_order_relaxed)) {
        struct statx info;
        if (statx(directory, path, flags, STATX_TYPE | STATX_INO | STATX_NLINK | STATX_SIZE, &info) == 0) {
            out->kind = KindOf(info.stx_mode);
            out->device = static_cast<unsigned long long>(makedev(info.stx_dev_major, info.stx_dev_minor));
            out->inode = static_cast<unsigned long long>(info.stx_ino);
            out->links = static_cast<unsigned long long>(info.stx_nlink);
            out->size = static_cast<long long>(info.stx_size);
            return true;
        }
        if (errno != ENOSYS && errno != EPERM) return false;
        statxRefused.store(true, std::memory_order_relaxed);
    }
    struct stat info;
    if (fstatat(directory, path, &info, flags) != 0) return false;
    out->kind = KindOf(info.st_mode);
    out->device = static_cast<unsigned long long>(info.st_dev);
    out->inode = static_cast<unsigned long long>(info.st_ino);
    out->links = static_cast<unsigned long long>(info.st_nlink);
    out->size = static_cast<long long>(info.st_size);
    return true;
}

bool DescribeDescriptor(int descriptor, FileIdentity* out) {
    return Describe(descriptor, "", AT_EMPTY_PATH, out);
}

int OpenRetrying(const char* path, int flags) {
    int descriptor;
    do {
        descriptor = open(path, flags, S_IRUSR | S_IWUSR);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

bool SameFile(const struct stat& a, int descriptor) {
    struct stat b;
    return fstat(descriptor, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A link at the path: followed only to something that cannot be clobbered
// (a pipe, socket or character device such as /dev/stdout or /dev/null), or
// to the very file the process's standard output or error already writes
// to (/dev/stdout of a program whose output goes to a file), and then
// without creating or truncating. The kind is checked on what was opened,
// so a link swapped meanwhile gains nothing.
int OpenThroughLink(const char* path, int flags) {
    const int descriptor = OpenRetrying(path, (flags & ~(O_CREAT | O_TRUNC | O_NOFOLLOW)) | O_NONBLOCK);
    if (descriptor < 0) return -1;
    struct stat info;
    const bool allowed =
        fstat(descriptor, &info) == 0 &&
        (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode) || S_ISCHR(info.st_mode) ||
         (S_ISREG(info.st_mode) && (SameFile(info, STDOUT_FILENO) || SameFile(info, STDERR_FILENO))));
    if (!allowed) {
        close(descriptor);
        errno = ELOOP;
        return -1;
    }
    return descriptor;
}

class PosixFileSystem final : public FileSystem {
public:
    int Open(const char* path, int kind) override {
        // Non-blocking only for the open itself: a pipe without a reader
        // fails at once instead of holding the caller for ever.
        int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
        switch (kind) {
            case kOpenTruncateAppend: flags |= O_TRUNC | O_APPEND; break;
            case kOpenTruncate: flags |= O_TRUNC; break;
            case kOpenAppend: flags |= O_APPEND; break;
            default: return -1;
        }
        int descriptor = OpenRetrying(path, flags);
        if (descriptor < 0 && errno == ELOOP) descriptor = OpenThroughLink(path, flags);
        if (descriptor < 0) return -1;
        const int status = fcntl(descriptor, F_GETFL);
        if (status == -1 || fcntl(descriptor, F_SETFL, status & ~O_NONBLOCK) == -1) {
            close(descriptor);
            return -1;
        }
        return descriptor;
    }

    void Close(int descriptor) override {
        // A close interrupted by a signal has still released the descriptor
        // on Linux; retrying could close one that another thread just got.
        close(descriptor);
    }

    long long Write(int descriptor, const char* data, unsigned int length) override {
        return static_cast<long long>(write(descriptor, data, length));
    }

    long long WriteToPipe(int descriptor, const char* data, unsigned int length) override {
        return static_cast<long long>(platform::WriteWithoutBrokenPipeSignal(descriptor, data, length));
    }

    int OpenForReading(const char* path) override {
        // Non-blocking so that a FIFO under a backup's name cannot hold the
        // caller; only a regular file is kept.
        const int descriptor = OpenRetrying(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (descriptor < 0) return -1;
        struct stat info;
        const int status = fcntl(descriptor, F_GETFL);
        if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || status == -1 ||
            fcntl(descriptor, F_SETFL, status & ~O_NONBLOCK) == -1) {
            close(descriptor);
            return -1;
        }
        return descriptor;
    }

    long long Read(int descriptor, char* data, unsigned int length) override {
        ssize_t count;
        do {
            count = read(descriptor, data, length);
        } while (count < 0 && errno == EINTR);
        return static_cast<long long>(count);
    }

    bool Sync(int descriptor) override {
        int result;
        do {
            result = fsync(descriptor);
        } while (result != 0 && errno == EINTR);
        return result == 0;
    }

    bool SyncDirectory(const char* directory) override {
        const int descriptor = OpenRetrying(directory, O_RDONLY | O_CLOEXEC | O_DIRECTORY);
        if (descriptor < 0) return false;
        int result;
        do {
            result = fsync(descriptor);
        } while (result != 0 && errno == EINTR);
        const int error = errno;
        close(descriptor);
        // EINVAL: the file system cannot sync a directory at all.
        return result == 0 || error == EINVAL;
    }

    bool FileSize(int descriptor, long long* size) override {
        FileIdentity identity;
        if (!DescribeDescriptor(descriptor, &identity)) return false;
        *size = identity.size;
        return true;
    }

    bool DescribeOpen(int descriptor, FileIdentity* out) override { return DescribeDescriptor(descriptor, out); }

    bool DescribePath(const char* path, FileIdentity* out) override {
        if (!Describe(AT_FDCWD, path, AT_SYMLINK_NOFOLLOW, out)) {
            if (errno != ENOENT) return false;
            *out = FileIdentity{};
            out->kind = FileKind::kMissing;
        }
        return true;
    }

    bool ReplaceDescriptor(int target, int source) override {
        // dup3 swaps the file behind target atomically: a thread writing
        // through target meanwhile reaches the old file or the new one, never
        // a closed or reused descriptor.
        int result;
        do {
            result = dup3(source, target, O_CLOEXEC);
        } while (result < 0 && errno == EINTR);
        if (result < 0) return false;
        close(source);
        return true;
    }

    bool Exists(const char* path) override {
        struct stat info;
        if (stat(path, &info) == 0) return true;
        return errno != ENOENT;
    }

    bool ListDirectory(const char* directory, std::vector<std::string>* names) override {
        DIR* dir = opendir(directory);
        if (dir == nullptr) return false;
        while (const dirent* entry = readdir(dir)) names->emplace_back(entry->d_name);
        closedir(dir);
        return true;
    }

    RenameResult RenameNoReplace(const char* from, const char* to) override {
        if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) {
            return RenameResult::kRenamed;
        }
        const int error = errno;
        if (error == EINVAL || error == ENOSYS) return RenameByLink(from, to);
        return ClassifyRenameError(error);
    }

    RenameResult RenameIfAbsent(const char* from, const char* to) override {
        struct stat info;
        if (lstat(to, &info) == 0) return RenameResult::kAlreadyExists;
        if (errno != ENOENT) return ClassifyRenameError(errno);
        if (rename(from, to) == 0) return RenameResult::kRenamed;
        return ClassifyRenameError(errno);
    }

    bool Remove(const char* path) override { return unlink(path) == 0; }

    long long Now() override { return platform::SecondsSinceEpoch(); }

    void LocalTime(platform::CalendarTime* out) override { platform::GetCurrentTime(true, out); }
};

}  // namespace

FileSystem* RealFileSystem() {
    // Never destroyed: file outputs of static loggers close their files
    // during exit, possibly after this function's statics would be gone.
    static NoDestructor<PosixFileSystem> real;
    return real.get();
}

}  // namespace qm
