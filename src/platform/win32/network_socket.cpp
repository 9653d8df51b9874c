// Winsock sockets: UDP and TCP over IPv4 or IPv6. A local datagram socket
// has no Windows counterpart, so connecting one fails. Windows raises no
// signal on a broken connection: send needs no flag for that.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/network_socket.h"

#include <new>

namespace qm {
namespace platform {
namespace {

// Winsock is started once for the process and left running: stopping it at
// unload could pull it from under the host's own sockets.
bool WinsockStarted() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

bool SetSendTimeout(SOCKET s, int timeoutMs) {
    const DWORD limit = static_cast<DWORD>(timeoutMs);
    return setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit) == 0;
}

bool ConnectWithin(SOCKET s, const sockaddr* address, int length, int timeoutMs) {
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return false;
    if (connect(s, address, length) != 0) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(s, &writable);
        fd_set failed;
        FD_ZERO(&failed);
        FD_SET(s, &failed);
        timeval limit;
        limit.tv_sec = timeoutMs / 1000;
        limit.tv_usec = (timeoutMs % 1000) * 1000;
        if (select(0, nullptr, &writable, &failed, &limit) <= 0 || !FD_ISSET(s, &writable)) {
            return false;
        }
    }
    u_long blocking = 0;
    return ioctlsocket(s, FIONBIO, &blocking) == 0;
}

}  // namespace

struct ResolvedAddresses {
    addrinfo* list = nullptr;
};

ResolvedAddresses* ResolveAddresses(SocketTransport transport, const char* address, const char* port) {
    if (transport == SocketTransport::kLocalDatagram) return nullptr;
    if (address == nullptr || port == nullptr || !WinsockStarted()) return nullptr;
    ResolvedAddresses* resolved = new (std::nothrow) ResolvedAddresses();
    if (resolved == nullptr) return nullptr;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = transport == SocketTransport::kTcp ? SOCK_STREAM : SOCK_DGRAM;
    if (getaddrinfo(address, port, &hints, &resolved->list) != 0) {
        resolved->list = nullptr;
        delete resolved;
        return nullptr;
    }
    return resolved;
}

void FreeAddresses(ResolvedAddresses* addresses) {
    if (addresses == nullptr) return;
    if (addresses->list != nullptr) freeaddrinfo(addresses->list);
    delete addresses;
}

SocketHandle ConnectSocket(const ResolvedAddresses* addresses, int timeoutMs) {
    if (addresses == nullptr || timeoutMs <= 0) return kNoSocket;
    for (const addrinfo* entry = addresses->list; entry != nullptr; entry = entry->ai_next) {
        const SOCKET s = socket(entry->ai_family, entry->ai_socktype, entry->ai_protocol);
        if (s == INVALID_SOCKET) continue;
        if (SetSendTimeout(s, timeoutMs) &&
            ConnectWithin(s, entry->ai_addr, static_cast<int>(entry->ai_addrlen), timeoutMs)) {
            return static_cast<SocketHandle>(s);
        }
        closesocket(s);
    }
    return kNoSocket;
}

SocketHandle ConnectSocket(SocketTransport transport, const char* address, const char* port, int timeoutMs) {
    ResolvedAddresses* addresses = ResolveAddresses(transport, address, port);
    const SocketHandle socket = ConnectSocket(addresses, timeoutMs);
    FreeAddresses(addresses);
    return socket;
}

bool SendBytes(SocketHandle socket, const char* data, std::size_t length) {
    if (socket == kNoSocket || (data == nullptr && length > 0)) return false;
    const SOCKET s = static_cast<SOCKET>(socket);
    std::size_t sent = 0;
    do {
        const std::size_t chunk = length - sent > 0x40000000u ? 0x40000000u : length - sent;
        const int result = send(s, data + sent, static_cast<int>(chunk), 0);
        if (result == SOCKET_ERROR || (result == 0 && length > 0)) return false;
        sent += static_cast<std::size_t>(result);
    } while (sent < length);
    return true;
}

bool StreamPeerGone(SocketHandle socket) {
    if (socket == kNoSocket) return true;
    const SOCKET s = static_cast<SOCKET>(socket);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval now{0, 0};
    const int ready = select(0, &readable, nullptr, nullptr, &now);
    if (ready == 0) return false;
    if (ready < 0) return true;
    char probe;
    return recv(s, &probe, 1, MSG_PEEK) <= 0;
}

void CloseSocket(SocketHandle socket) {
    if (socket != kNoSocket) closesocket(static_cast<SOCKET>(socket));
}

}  // namespace platform
}  // namespace qm
