// Where a syslog output sends: "unix:PATH" (a local datagram socket),
// "udp://HOST:PORT" or "tcp://HOST:PORT"; HOST may be a name, an IPv4
// address or an IPv6 address in brackets ("tcp://[::1]:6514").
#pragma once

#include <string>

#include "platform/network_socket.h"

namespace qm {

// The local syslog daemon's socket, used when no target is given.
constexpr const char* kDefaultSyslogSocket = "/dev/log";

struct SyslogTarget {
    platform::SocketTransport transport = platform::SocketTransport::kLocalDatagram;
    std::string address;  // path, or host without brackets
    std::string port;     // decimal 1-65535; empty for a path
};

// False (target untouched) for anything but the three forms above: an
// unknown scheme, an empty path or host, a missing, zero or non-decimal port,
// unbalanced brackets. Null or empty text is the default socket.
bool ParseSyslogTarget(const char* text, SyslogTarget* target);

}  // namespace qm
