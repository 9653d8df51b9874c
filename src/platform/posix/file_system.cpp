// The real disk behind qm::FileSystem: plain descriptors, one system call per
// operation, no buffering of our own.
#include "platform/file_system.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

namespace qm {
namespace {

RenameResult ClassifyRenameError(int error) {
    switch (error) {
        case EEXIST:
        case ENOTEMPTY:
            return RenameResult::kAlreadyExists;
        case EACCES:
        case EPERM:
        case EBUSY:
        case ETXTBSY:
        case EROFS:
            return RenameResult::kAccessDenied;
        default:
            return RenameResult::kFailed;
    }
}

// For file systems without an atomic no-replace rename: a hard link cannot
// replace its target either, and the old name goes only once the new exists.
RenameResult RenameByLink(const char* from, const char* to) {
    if (link(from, to) != 0) return ClassifyRenameError(errno);
    if (unlink(from) != 0) {
        const int error = errno;
        unlink(to);
        return ClassifyRenameError(error);
    }
    return RenameResult::kRenamed;
}

class PosixFileSystem final : public FileSystem {
public:
    int Open(const char* path, int kind) override {
        int flags = O_WRONLY | O_CREAT | O_CLOEXEC;
        switch (kind) {
            case kOpenTruncateAppend: flags |= O_TRUNC | O_APPEND; break;
            case kOpenTruncate: flags |= O_TRUNC; break;
            case kOpenAppend: flags |= O_APPEND; break;
            default: return -1;
        }
        int descriptor;
        do {
            descriptor = open(path, flags, S_IRUSR | S_IWUSR);
        } while (descriptor < 0 && errno == EINTR);
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

    bool FileSize(int descriptor, long long* size) override {
        struct stat info;
        if (fstat(descriptor, &info) != 0) return false;
        *size = static_cast<long long>(info.st_size);
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

    bool Remove(const char* path) override { return unlink(path) == 0; }

    long long Now() override { return platform::SecondsSinceEpoch(); }

    void LocalTime(platform::CalendarTime* out) override { platform::GetCurrentTime(true, out); }
};

}  // namespace

FileSystem* RealFileSystem() {
    // Never destroyed: file outputs of static loggers close their files
    // during exit, possibly after this function's statics would be gone.
    alignas(PosixFileSystem) static unsigned char storage[sizeof(PosixFileSystem)];
    static FileSystem* const real = new (storage) PosixFileSystem();
    return real;
}

}  // namespace qm
