#include "platform/datagram_receiver.h"

#include <errno.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace qm {
namespace platform {

SocketHandle BindLocalDatagram(const char* path, int timeoutMs) {
    if (path == nullptr || timeoutMs <= 0) return kNoSocket;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t length = std::strlen(path);
    if (length == 0 || length >= sizeof address.sun_path) return kNoSocket;
    std::memcpy(address.sun_path, path, length + 1);
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return kNoSocket;
    timeval limit;
    limit.tv_sec = timeoutMs / 1000;
    limit.tv_usec = (timeoutMs % 1000) * 1000;
    unlink(path);
    if (setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0 ||
        bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return kNoSocket;
    }
    return fd;
}

long long ReceiveDatagram(SocketHandle socket, char* buffer, std::size_t size, bool wait) {
    if (socket < 0 || buffer == nullptr) return -1;
    for (;;) {
        const ssize_t result = recv(static_cast<int>(socket), buffer, size, wait ? 0 : MSG_DONTWAIT);
        if (result >= 0) return result;
        if (errno != EINTR) return -1;
    }
}

}  // namespace platform
}  // namespace qm
