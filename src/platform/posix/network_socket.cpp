// POSIX sockets: AF_UNIX datagrams, UDP and TCP over IPv4 or IPv6.
#include "platform/network_socket.h"

#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <new>
#include <string>

#include "platform/clock.h"

namespace qm {
namespace platform {
namespace {

bool SetSendTimeout(int fd, int timeoutMs) {
    timeval limit;
    limit.tv_sec = timeoutMs / 1000;
    limit.tv_usec = (timeoutMs % 1000) * 1000;
    return setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) == 0;
}

// connect() bounded by timeoutMs: started non-blocking, waited for with poll.
bool ConnectWithin(int fd, const sockaddr* address, socklen_t length, int timeoutMs) {
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return false;
    int result = connect(fd, address, length);
    if (result != 0 && errno == EINPROGRESS) {
        pollfd waiting{fd, POLLOUT, 0};
        const long long deadline = MonotonicMilliseconds() + timeoutMs;
        for (;;) {
            const long long left = deadline - MonotonicMilliseconds();
            if (left <= 0) return false;
            const int ready = poll(&waiting, 1, static_cast<int>(left));
            if (ready > 0) break;
            if (ready == 0 || errno != EINTR) return false;
        }
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) return false;
        result = 0;
    }
    return result == 0 && fcntl(fd, F_SETFL, flags) == 0;
}

int ConnectLocal(const std::string& path, int timeoutMs) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (!SetSendTimeout(fd, timeoutMs) ||
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int ConnectInet(const addrinfo* list, int timeoutMs) {
    for (const addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
        const int fd = socket(entry->ai_family, entry->ai_socktype | SOCK_CLOEXEC, entry->ai_protocol);
        if (fd < 0) continue;
        if (SetSendTimeout(fd, timeoutMs) && ConnectWithin(fd, entry->ai_addr, entry->ai_addrlen, timeoutMs)) {
            return fd;
        }
        close(fd);
    }
    return -1;
}

}  // namespace

struct ResolvedAddresses {
    SocketTransport transport;
    std::string path;
    addrinfo* list = nullptr;
};

ResolvedAddresses* ResolveAddresses(SocketTransport transport, const char* address, const char* port) {
    if (address == nullptr) return nullptr;
    ResolvedAddresses* resolved = new (std::nothrow) ResolvedAddresses();
    if (resolved == nullptr) return nullptr;
    resolved->transport = transport;
    if (transport == SocketTransport::kLocalDatagram) {
        resolved->path = address;
        return resolved;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = transport == SocketTransport::kTcp ? SOCK_STREAM : SOCK_DGRAM;
    if (port == nullptr || getaddrinfo(address, port, &hints, &resolved->list) != 0) {
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
    const int fd = addresses->transport == SocketTransport::kLocalDatagram
                       ? ConnectLocal(addresses->path, timeoutMs)
                       : ConnectInet(addresses->list, timeoutMs);
    return fd < 0 ? kNoSocket : fd;
}

SocketHandle ConnectSocket(SocketTransport transport, const char* address, const char* port, int timeoutMs) {
    ResolvedAddresses* addresses = ResolveAddresses(transport, address, port);
    const SocketHandle socket = ConnectSocket(addresses, timeoutMs);
    FreeAddresses(addresses);
    return socket;
}

bool SendBytes(SocketHandle socket, const char* data, std::size_t length) {
    if (socket < 0 || (data == nullptr && length > 0)) return false;
    const int fd = static_cast<int>(socket);
    std::size_t sent = 0;
    long long deadline = -1;
    do {
        const ssize_t result = send(fd, data + sent, length - sent, MSG_NOSIGNAL);
        if (result < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (result == 0 && length > 0) return false;
        sent += static_cast<std::size_t>(result);
        if (sent >= length) break;
        // A peer taking a few bytes at a time could keep each send inside the
        // timeout for ever: the whole message gets one timeout, counted from
        // the first partial send (the common single send never pays for this).
        if (deadline < 0) {
            timeval limit{};
            socklen_t size = sizeof limit;
            if (getsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, &size) != 0) return false;
            deadline =
                MonotonicMilliseconds() + static_cast<long long>(limit.tv_sec) * 1000 + limit.tv_usec / 1000;
        } else if (MonotonicMilliseconds() > deadline) {
            return false;
        }
    } while (sent < length);
    return true;
}

bool StreamPeerGone(SocketHandle socket) {
    if (socket < 0) return true;
    char probe;
    const ssize_t result = recv(static_cast<int>(socket), &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (result > 0) return false;
    if (result == 0) return true;
    return errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
}

void CloseSocket(SocketHandle socket) {
    if (socket >= 0) close(static_cast<int>(socket));
}

}  // namespace platform
}  // namespace qm
