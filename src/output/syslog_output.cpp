// CQmSyslogOutput: the settings, the one connection all logging threads
// share, and when it is made again.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <new>
#include <string>

#include "format/process_id.h"
#include "output/syslog_record.h"
#include "output/syslog_target.h"
#include "platform/error_state.h"
#include "platform/host_name.h"
#include "platform/network_socket.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"

namespace {

using Clock = std::chrono::steady_clock;
using qm::platform::kNoSocket;

// A collector that is up takes a connection or a message well within a
// second; waiting longer would only hold up the host's threads.
constexpr int kTimeoutMs = 1000;
// Pauses between failed connection attempts double from the first to the
// longest, so that a collector that is down costs one attempt per pause, not
// one per record.
constexpr Clock::duration kFirstPause = std::chrono::milliseconds(100);
constexpr Clock::duration kLongestPause = std::chrono::seconds(2);

constexpr int kHighestFacility = 23;
// Frames up to this size are built on the logging thread's stack: lines of a
// few hundred bytes, with room to spare, and little enough for any thread.
constexpr std::size_t kStackFrameArea = 2048;

bool ChooseFacility(int given, int fallback, int* chosen) {
    if (given == QM_SYSLOG_DEFAULT_FACILITY) {
        *chosen = fallback;
        return true;
    }
    if (given < 0 || given > kHighestFacility) return false;
    *chosen = given;
    return true;
}

}  // namespace

struct CQmSyslogOutput::Connection {
    qm::SyslogTarget target;
    qm::SyslogSettings settings;
    bool configured = false;
    // Set and cleared under the send lock; read without it to turn a closed
    // output's records away early, and (acquire) to see the settings Open
    // published with it.
    std::atomic<bool> open{false};
    // Resolved when the output opens, so that connecting again from Log never
    // waits on the resolver.
    qm::platform::ResolvedAddresses* addresses = nullptr;
    qm::platform::SocketHandle socket = kNoSocket;
    Clock::duration pause = Clock::duration::zero();
    Clock::time_point nextAttempt{};

    bool IsStream() const { return target.transport == qm::platform::SocketTransport::kTcp; }

    bool Connect() {
        const Clock::time_point now = Clock::now();
        if (now < nextAttempt) return false;
        socket = qm::platform::ConnectSocket(addresses, kTimeoutMs);
        if (socket != kNoSocket) {
            pause = Clock::duration::zero();
            return true;
        }
        pause = pause == Clock::duration::zero() ? kFirstPause : std::min(pause * 2, kLongestPause);
        nextAttempt = now + pause;
        return false;
    }

    void Disconnect() {
        qm::platform::CloseSocket(socket);
        socket = kNoSocket;
    }
};

CQmSyslogOutput::CQmSyslogOutput() : m_pConnection(new (std::nothrow) Connection()) {
    SetType(QM_OUTPUT_SYSLOG);
}

CQmSyslogOutput::~CQmSyslogOutput() {
    Close();
    delete m_pConnection;
}

bool CQmSyslogOutput::SetParams(const char* target, const char* appName, int facility, int auditFacility) {
    if (m_pConnection == nullptr) return false;
    CQmErrLogAutoCS hold(m_sendLock);
    Connection& connection = *m_pConnection;
    if (connection.open.load(std::memory_order_relaxed)) return false;
    qm::SyslogTarget parsed;
    qm::SyslogSettings settings;
    if (!qm::ParseSyslogTarget(target, &parsed) ||
        !ChooseFacility(facility, qm::kFacilityUser, &settings.facility) ||
        !ChooseFacility(auditFacility, qm::kFacilityAuthPriv, &settings.auditFacility)) {
        return false;
    }
    settings.appName = appName != nullptr ? appName : "";
    char host[256];
    if (qm::platform::GetHostName(host, sizeof host)) settings.hostName = host;
    settings.procId = std::to_string(qm::CachedProcessId());
    settings.octetCounting = parsed.transport == qm::platform::SocketTransport::kTcp;
    qm::PrepareFixedFields(&settings);
    connection.target = parsed;
    connection.settings = settings;
    connection.configured = true;
    return true;
}

bool CQmSyslogOutput::Open() {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (m_pConnection == nullptr) return false;
    CQmErrLogAutoCS hold(m_sendLock);
    Connection& connection = *m_pConnection;
    if (!connection.configured || connection.open.load(std::memory_order_relaxed)) return false;
    connection.nextAttempt = Clock::time_point{};
    connection.pause = Clock::duration::zero();
    connection.addresses = qm::platform::ResolveAddresses(
        connection.target.transport, connection.target.address.c_str(), connection.target.port.c_str());
    if (!connection.Connect()) {
        qm::platform::FreeAddresses(connection.addresses);
        connection.addresses = nullptr;
        return false;
    }
    connection.open.store(true, std::memory_order_release);
    return true;
}

bool CQmSyslogOutput::Log(CQmErrLogMessage& message) {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (m_pConnection == nullptr) return false;
    Connection& connection = *m_pConnection;
    if (!connection.open.load(std::memory_order_acquire)) return false;

    // Built before the lock: only the send itself is serialised. The settings
    // do not change while the output is open. An ordinary line is built on the
    // stack; only one that does not fit costs an allocation.
    char area[kStackFrameArea];
    std::unique_ptr<char[]> large;
    char* frame = area;
    const std::size_t bound = qm::SyslogFrameBound(message, connection.settings, sizeof area);
    if (bound > sizeof area) {
        large.reset(new (std::nothrow) char[bound]);
        if (large == nullptr) return false;
        frame = large.get();
    }
    std::size_t start = 0;
    const std::size_t end = qm::WriteSyslogFrame(message, connection.settings, frame, &start);
    if (end == std::string::npos) return false;
    return Send(frame + start, end - start);
}

bool CQmSyslogOutput::Send(const char* bytes, std::size_t length) {
    Connection& connection = *m_pConnection;
    CQmErrLogAutoCS hold(m_sendLock);
    if (!connection.open.load(std::memory_order_relaxed)) return false;
    // A stream the collector has closed still takes a send or two before
    // failing; those records would be lost without a word. Ask first.
    if (connection.socket != kNoSocket && connection.IsStream() &&
        qm::platform::StreamPeerGone(connection.socket)) {
        connection.Disconnect();
    }
    if (connection.socket == kNoSocket && !connection.Connect()) return false;
    if (qm::platform::SendBytes(connection.socket, bytes, length)) return true;
    // Whatever broke the send (a stream cut mid-frame, a datagram socket whose
    // daemon restarted) is mended by a new connection, tried on the next Log.
    connection.Disconnect();
    return false;
}

bool CQmSyslogOutput::Close() {
    const qm::platform::CallerErrorState keepCallersErrno;
    if (m_pConnection == nullptr) return false;
    CQmErrLogAutoCS hold(m_sendLock);
    Connection& connection = *m_pConnection;
    connection.Disconnect();
    qm::platform::FreeAddresses(connection.addresses);
    connection.addresses = nullptr;
    connection.open.store(false, std::memory_order_relaxed);
    return true;
}
