#include "output/syslog_target.h"

#include <cstring>

namespace qm {
namespace {

bool StartsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool IsPort(const std::string& text) {
    if (text.empty() || text.size() > 5 || text[0] == '0') return false;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= 65535;
}

// "HOST:PORT" or "[IPV6]:PORT" after the scheme.
bool SplitHostAndPort(const char* rest, std::string* host, std::string* port) {
    const std::string text(rest);
    std::size_t colon;
    if (!text.empty() && text[0] == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':') return false;
        *host = text.substr(1, close - 1);
        colon = close + 1;
    } else {
        colon = text.rfind(':');
        if (colon == std::string::npos) return false;
        *host = text.substr(0, colon);
        // A bare IPv6 address would be ambiguous: brackets are required.
        if (host->find(':') != std::string::npos || host->find_first_of("[]") != std::string::npos) {
            return false;
        }
    }
    *port = text.substr(colon + 1);
    return !host->empty() && host->find_first_of(" /\t") == std::string::npos && IsPort(*port);
}

}  // namespace

bool ParseSyslogTarget(const char* text, SyslogTarget* target) {
    if (target == nullptr) return false;
    SyslogTarget parsed;
    if (text == nullptr || text[0] == '\0') {
        parsed.address = kDefaultSyslogSocket;
    } else if (StartsWith(text, "unix:")) {
        parsed.address = text + 5;
        if (parsed.address.empty()) return false;
    } else if (StartsWith(text, "udp://") || StartsWith(text, "tcp://")) {
        parsed.transport = text[0] == 'u' ? platform::SocketTransport::kUdp : platform::SocketTransport::kTcp;
        if (!SplitHostAndPort(text + 6, &parsed.address, &parsed.port)) return false;
    } else {
        return false;
    }
    *target = parsed;
    return true;
}

}  // namespace qm
