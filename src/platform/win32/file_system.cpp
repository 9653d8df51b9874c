// The real disk behind qm::FileSystem: the runtime library's descriptors for
// the log file itself, the Win32 calls for names and directories.
#include "platform/file_system.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <new>

#include "platform/win32/windows_api.h"

namespace qm {
namespace {

RenameResult ClassifyRenameError(DWORD error) {
    switch (error) {
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            return RenameResult::kAlreadyExists;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return RenameResult::kAccessDenied;
        default:
            return RenameResult::kFailed;
    }
}

bool IsNoSuchPath(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return true;
        default:
            return false;
    }
}

bool EndsWithSeparator(const std::string& path) {
    // Windows takes either separator.
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

class Win32FileSystem final : public FileSystem {
public:
    int Open(const char* path, int kind) override {
        if (path == nullptr) return -1;
        // Binary: a line feed stays one byte, so the sizes that decide a
        // rollover are the sizes on disk. Not inherited by child processes,
        // which would otherwise keep the file from being renamed.
        int flags = _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT;
        switch (kind) {
            case kOpenTruncateAppend: flags |= _O_TRUNC | _O_APPEND; break;
            case kOpenTruncate: flags |= _O_TRUNC; break;
            case kOpenAppend: flags |= _O_APPEND; break;
            default: return -1;
        }
        // Others may read and write the log while it is open.
        int descriptor = -1;
        if (_sopen_s(&descriptor, path, flags, _SH_DENYNO, _S_IREAD | _S_IWRITE) != 0) return -1;
        return descriptor;
    }

    void Close(int descriptor) override { _close(descriptor); }

    long long Write(int descriptor, const char* data, unsigned int length) override {
        return static_cast<long long>(_write(descriptor, data, length));
    }

    bool FileSize(int descriptor, long long* size) override {
        const long long length = _filelengthi64(descriptor);
        if (length < 0) return false;
        *size = length;
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
        HANDLE search = ::FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &entry,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
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
    alignas(Win32FileSystem) static unsigned char storage[sizeof(Win32FileSystem)];
    static FileSystem* const real = new (storage) Win32FileSystem();
    return real;
}

}  // namespace qm
