// The real disk behind qm::FileSystem: the runtime library's descriptors for
// the log file itself, the Win32 calls for names and directories.
#include "platform/file_system.h"

#include <fcntl.h>
#include <io.h>
#include <stdint.h>
#include <sys/stat.h>

#include <new>

#include "platform/no_destructor.h"
#include "platform/path_separators.h"
#include "platform/win32/windows_api.h"

namespace qm {
namespace {

RenameResult ClassifyRenameError(DWORD error) {
    switch (error) {
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS: return RenameResult::kAlreadyExists;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT: return RenameResult::kAccessDenied;
        case ERROR_FILE_NOT_FOUND: return RenameResult::kSourceMissing;
        default: return RenameResult::kFailed;
    }
}

bool IsNoSuchPath(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME: return true;
        default: return false;
    }
}

bool EndsWithSeparator(const std::string& path) {
    return !path.empty() && platform::IsLogPathSeparator(path.back());
}

FileKind KindOf(const BY_HANDLE_FILE_INFORMATION& info) {
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return FileKind::kSymlink;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileKind::kDirectory;
    return FileKind::kRegular;
}

void FillIdentity(const BY_HANDLE_FILE_INFORMATION& info, FileIdentity* out) {
    out->kind = KindOf(info);
    out->device = info.dwVolumeSerialNumber;
    out->inode = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    out->links = info.nNumberOfLinks;
    out->size = (static_cast<long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

// Windows keeps the file behind a descriptor for good (ReplaceDescriptor is
// not offered): the log is opened without delete sharing, so nobody can
// remove or rename it while it is open, and no reopen is ever needed.
class Win32FileSystem final : public FileSystem {
public:
    int Open(const char* path, int kind) override {
        if (path == nullptr) return -1;
        if (kind != kOpenTruncateAppend && kind != kOpenTruncate && kind != kOpenAppend) return -1;
        // The reparse point itself is opened, never what it points to, so a
        // link planted at the log path is seen and refused below instead of
        // clobbering its target. Others may read and write the log while it
        // is open; the handle is not inherited by child processes, which
        // would otherwise keep the file from being renamed. No security
        // descriptor of our own: a new log takes the access its directory
        // hands down, where administrators set who may read logs (an
        // owner-only one would shut out the accounts that collect them).
        HANDLE handle = ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return -1;
        BY_HANDLE_FILE_INFORMATION info;
        const bool isDisk = ::GetFileType(handle) == FILE_TYPE_DISK;
        if (isDisk && (!::GetFileInformationByHandle(handle, &info) ||
                       (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0)) {
            ::CloseHandle(handle);
            return -1;
        }
        if (isDisk && kind != kOpenAppend && !::SetEndOfFile(handle)) {
            ::CloseHandle(handle);
            return -1;
        }
        // Binary: a line feed stays one byte, so the sizes that decide a
        // rollover are the sizes on disk.
        int flags = _O_WRONLY | _O_BINARY;
        if (kind != kOpenTruncate) flags |= _O_APPEND;
        const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
        if (descriptor < 0) ::CloseHandle(handle);
        return descriptor;
    }

    void Close(int descriptor) override { _close(descriptor); }

    long long Write(int descriptor, const char* data, unsigned int length) override {
        return static_cast<long long>(_write(descriptor, data, length));
    }

    int OpenForReading(const char* path) override {
        if (path == nullptr) return -1;
        // Delete sharing: pruning may remove a backup while it is being
        // read for compression. The reparse point itself is opened and
        // refused, as for the log.
        HANDLE handle =
            ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return -1;
        BY_HANDLE_FILE_INFORMATION info;
        if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info) ||
            (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
            ::CloseHandle(handle);
            return -1;
        }
        const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
        if (descriptor < 0) ::CloseHandle(handle);
        return descriptor;
    }

    long long Read(int descriptor, char* data, unsigned int length) override {
        return static_cast<long long>(_read(descriptor, data, length));
    }

    bool Sync(int descriptor) override { return _commit(descriptor) == 0; }

    // NTFS journals a rename before any later change to the directory, and
    // flushing a directory handle needs rights a server seldom has.
    bool SyncDirectory(const char*) override { return true; }

    bool FileSize(int descriptor, long long* size) override {
        const long long length = _filelengthi64(descriptor);
        if (length < 0) return false;
        *size = length;
        return true;
    }

    bool DescribeOpen(int descriptor, FileIdentity* out) override {
        const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
        if (handle == INVALID_HANDLE_VALUE) return false;
        *out = FileIdentity{};
        const DWORD type = ::GetFileType(handle);
        if (type != FILE_TYPE_DISK) {
            // Windows has no SIGPIPE: a pipe is only a target whose writes can fail.
            out->kind = type == FILE_TYPE_PIPE ? FileKind::kPipeOrSocket : FileKind::kOther;
            return true;
        }
        BY_HANDLE_FILE_INFORMATION info;
        if (!::GetFileInformationByHandle(handle, &info)) return false;
        FillIdentity(info, out);
        return true;
    }

    bool DescribePath(const char* path, FileIdentity* out) override {
        if (path == nullptr) return false;
        *out = FileIdentity{};
        const DWORD attributes = ::GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (!IsNoSuchPath(::GetLastError())) return false;
            out->kind = FileKind::kMissing;
            return true;
        }
        // Opened for no access at all: only to learn the file's identity.
        HANDLE handle =
            ::CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        BY_HANDLE_FILE_INFORMATION info;
        if (handle != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(handle, &info)) {
            FillIdentity(info, out);
        } else {
            info.dwFileAttributes = attributes;
            out->kind = KindOf(info);
        }
        if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
        return true;
    }

    bool Exists(const char* path) override {
        if (::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return true;
        return !IsNoSuchPath(::GetLastError());
    }

    bool ListDirectory(const char* directory, std::vector<std::string>* names) override {
        std::string pattern(directory);
        if (!EndsWithSeparator(pattern)) pattern += '\\';
        pattern += '*';
        WIN32_FIND_DATAA entry;
        HANDLE search = ::FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (search == INVALID_HANDLE_VALUE) {
            // The root of a drive has no "." entry: an empty one finds nothing.
            return ::GetLastError() == ERROR_FILE_NOT_FOUND;
        }
        do {
            names->emplace_back(entry.cFileName);
        } while (::FindNextFileA(search, &entry));
        ::FindClose(search);
        return true;
    }

    RenameResult RenameNoReplace(const char* from, const char* to) override {
        // Without MOVEFILE_REPLACE_EXISTING the move fails on an existing target.
        if (::MoveFileExA(from, to, 0)) return RenameResult::kRenamed;
        return ClassifyRenameError(::GetLastError());
    }

    bool Remove(const char* path) override { return ::DeleteFileA(path) != FALSE; }

    long long Now() override { return platform::SecondsSinceEpoch(); }

    void LocalTime(platform::CalendarTime* out) override { platform::GetCurrentTime(true, out); }
};

}  // namespace

FileSystem* RealFileSystem() {
    // Never destroyed: file outputs of static loggers close their files
    // during exit, possibly after this function's statics would be gone.
    static NoDestructor<Win32FileSystem> real;
    return real.get();
}

}  // namespace qm
