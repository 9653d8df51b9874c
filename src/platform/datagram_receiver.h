// The receiving end of a local datagram socket, for the programs that check
// and measure the syslog output without a daemon (POSIX only; on Windows
// binding fails).
#pragma once

#include <cstddef>

#include "platform/network_socket.h"

namespace qm {
namespace platform {

// A datagram socket bound to path (an old file there is replaced), whose
// receives wait at most timeoutMs; kNoSocket on failure.
SocketHandle BindLocalDatagram(const char* path, int timeoutMs);

// One datagram into buffer: its length, or -1 when none came in time (with
// wait false: when none is waiting now).
long long ReceiveDatagram(SocketHandle socket, char* buffer, std::size_t size, bool wait);

}  // namespace platform
}  // namespace qm
