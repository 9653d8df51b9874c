// Writes to pipes and sockets whose reader may have gone, for the POSIX
// backend's console and file descriptors.
#pragma once

#include <stddef.h>
#include <sys/types.h>

namespace qm {
namespace platform {

// True when the descriptor is a pipe or a socket: only those raise SIGPIPE,
// so only those pay for WriteWithoutBrokenPipeSignal.
bool IsPipeOrSocket(int descriptor);

// One write (retried on EINTR) during which SIGPIPE is blocked for this
// thread; a SIGPIPE this write raised is taken back before the mask is
// restored, one that was pending before is left for the program. A broken
// pipe shows as -1 with errno EPIPE.
ssize_t WriteWithoutBrokenPipeSignal(int descriptor, const void* data, size_t length);

}  // namespace platform
}  // namespace qm
