#include "platform/regular_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {
namespace platform {

namespace {

class Descriptor {
public:
    explicit Descriptor(int descriptor) : m_iDescriptor(descriptor) {}
    ~Descriptor() {
        if (m_iDescriptor >= 0) {
            // A close error cannot lose anything of a file only read.
            const int saved = errno;
            close(m_iDescriptor);
            errno = saved;
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_iDescriptor; }

private:
    int m_iDescriptor;
};

}  // namespace

ReadFileResult ReadRegularFile(const char* path, std::size_t limit, std::string* contents) {
    contents->clear();
    if (path == nullptr) {
        errno = EINVAL;
        return ReadFileResult::kCannotOpen;
    }
    // Non-blocking: opening a FIFO for reading would otherwise wait for a
    // writer. It changes nothing for the regular file read below.
    const Descriptor file(open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) return ReadFileResult::kCannotOpen;
    struct stat status;
    if (fstat(file.get(), &status) != 0) return ReadFileResult::kCannotOpen;
    if (!S_ISREG(status.st_mode)) return ReadFileResult::kNotRegularFile;
    if (status.st_size > 0 && static_cast<unsigned long long>(status.st_size) > limit) {
        return ReadFileResult::kTooLarge;
    }

    // The size is only a hint (files under /proc report 0, and a file may
    // grow while it is read): read to the end, but never past the limit.
    char area[8192];
    for (;;) {
        const ssize_t got = read(file.get(), area, sizeof area);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            contents->clear();
            return ReadFileResult::kReadFailed;
        }
        if (contents->size() + static_cast<std::size_t>(got) > limit) {
            contents->clear();
            return ReadFileResult::kTooLarge;
        }
        contents->append(area, static_cast<std::size_t>(got));
    }
    return ReadFileResult::kRead;
}

}  // namespace platform
}  // namespace qm
