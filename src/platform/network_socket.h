// Connected sockets that carry records to a collector: a local datagram
// socket named by a path (POSIX only; on Windows connecting one fails), UDP
// and TCP by host and port. Sockets are blocking with a send timeout, so no
// call waits longer than the bound it was given, and no call raises a signal.
#pragma once

#include <cstddef>

namespace qm {
namespace platform {

using SocketHandle = long long;
constexpr SocketHandle kNoSocket = -1;

enum class SocketTransport {
    kLocalDatagram,
    kUdp,
    kTcp
};

// Where a socket connects to: a path for kLocalDatagram, else the addresses
// a host name or numeric address and a port resolve to. Resolving waits on
// the system's resolver for as long as it takes, so it is done once, and
// connecting again later never waits on it.
struct ResolvedAddresses;

// Null when the name does not resolve (or the arguments are unusable).
ResolvedAddresses* ResolveAddresses(SocketTransport transport, const char* address, const char* port);
void FreeAddresses(ResolvedAddresses* addresses);

// A socket connected to the first of the addresses that takes it, or
// kNoSocket. timeoutMs bounds each attempt and, later, every SendBytes on the
// socket.
SocketHandle ConnectSocket(const ResolvedAddresses* addresses, int timeoutMs);

// Resolves and connects in one go.
SocketHandle ConnectSocket(SocketTransport transport, const char* address, const char* port, int timeoutMs);

// Hands all bytes to the transport (one datagram on a datagram socket).
// False when they could not all be handed over within the socket's timeout
// (on POSIX one timeout for the whole message; on Windows a blocking send
// hands over all or fails); on a stream some of them may then have gone.
bool SendBytes(SocketHandle socket, const char* data, std::size_t length);

// True when the peer of a stream socket has closed or reset its end. A
// collector never sends, so anything but "nothing to read" means it is gone.
bool StreamPeerGone(SocketHandle socket);

void CloseSocket(SocketHandle socket);

}  // namespace platform
}  // namespace qm
