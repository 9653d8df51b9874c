// SIGPIPE kept from ending the process: blocked around the one write, and a
// signal this write raised consumed, so the program's own disposition and
// handler for SIGPIPE are never touched.
#include "platform/posix/broken_pipe.h"

#include <errno.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace qm {
namespace platform {

bool IsPipeOrSocket(int descriptor) {
    struct stat info;
    if (fstat(descriptor, &info) != 0) return false;
    return S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode);
}

ssize_t WriteWithoutBrokenPipeSignal(int descriptor, const void* data, size_t length) {
    sigset_t pipeOnly;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous);
    sigset_t pending;
    sigemptyset(&pending);
    sigpending(&pending);
    const bool pendingBefore = sigismember(&pending, SIGPIPE) == 1;

    ssize_t written;
    do {
        written = write(descriptor, data, length);
    } while (written < 0 && errno == EINTR);
    const int error = errno;

    if (written < 0 && error == EPIPE && !pendingBefore) {
        const timespec noWait = {0, 0};
        while (sigtimedwait(&pipeOnly, nullptr, &noWait) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return written;
}

}  // namespace platform
}  // namespace qm
