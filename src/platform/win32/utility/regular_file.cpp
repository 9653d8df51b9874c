#include "platform/regular_file.h"

#include <errno.h>

#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {

namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : m_hHandle(handle) {}
    ~Handle() {
        if (m_hHandle != INVALID_HANDLE_VALUE) CloseHandle(m_hHandle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_hHandle; }

private:
    HANDLE m_hHandle;
};

int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION: return EACCES;
        default: return EIO;
    }
}

}  // namespace

ReadFileResult ReadRegularFile(const char* path, std::size_t limit, std::string* contents) {
    contents->clear();
    if (path == nullptr) {
        errno = EINVAL;
        return ReadFileResult::kCannotOpen;
    }
    // Others may go on writing, renaming or deleting the file meanwhile.
    // Backup semantics let a directory open, so that it is told apart below.
    const Handle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        errno = ErrnoOf(GetLastError());
        return ReadFileResult::kCannotOpen;
    }
    // Pipes ("\\.\pipe\..."), consoles and devices ("CON", "NUL") are not
    // disk files.
    if (GetFileType(file.get()) != FILE_TYPE_DISK) return ReadFileResult::kNotRegularFile;
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandle(file.get(), &information) &&
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return ReadFileResult::kNotRegularFile;
    }
    LARGE_INTEGER size;
    if (GetFileSizeEx(file.get(), &size) && static_cast<unsigned long long>(size.QuadPart) > limit) {
        return ReadFileResult::kTooLarge;
    }

    char area[8192];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), area, sizeof area, &got, nullptr)) {
            errno = ErrnoOf(GetLastError());
            contents->clear();
            return ReadFileResult::kReadFailed;
        }
        if (got == 0) break;
        if (contents->size() + got > limit) {
            contents->clear();
            return ReadFileResult::kTooLarge;
        }
        contents->append(area, got);
    }
    return ReadFileResult::kRead;
}

}  // namespace platform
}  // namespace qm
