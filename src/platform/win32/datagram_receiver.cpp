// Windows has no local datagram sockets: there is nothing to bind.
#include "platform/datagram_receiver.h"

namespace qm {
namespace platform {

SocketHandle BindLocalDatagram(const char*, int) {
    return kNoSocket;
}

long long ReceiveDatagram(SocketHandle, char*, std::size_t, bool) {
    return -1;
}

}  // namespace platform
}  // namespace qm
