// A log line through the syslog output over a local datagram socket, against
// a bare send of the same frame to the same socket: what framing, the time
// stamp and the send lock add to the system call. A thread drains the socket
// so that neither side waits for room.
//   build/release/bench/syslog_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>

#include "output/syslog_record.h"
#include "platform/datagram_receiver.h"
#include "platform/network_socket.h"
#include "qmerrlog/component.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"

namespace {

namespace platform = qm::platform;

class DrainedSocket {
public:
    DrainedSocket()
        : m_path((std::filesystem::temp_directory_path() / "qmerrlog_syslog_bench.sock").string()),
          m_socket(platform::BindLocalDatagram(m_path.c_str(), 100)),
          m_drain([this] {
              char buffer[65536];
              while (!m_stop.load(std::memory_order_relaxed)) {
                  platform::ReceiveDatagram(m_socket, buffer, sizeof buffer);
              }
          }) {}
    ~DrainedSocket() {
        m_stop.store(true);
        m_drain.join();
        platform::CloseSocket(m_socket);
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    bool Ready() const { return m_socket != platform::kNoSocket; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    platform::SocketHandle m_socket;
    std::atomic<bool> m_stop{false};
    std::thread m_drain;
};

// An ordinary error line of about 120 bytes.
void FillLine(CQmErrLogMessage* message) {
    message->FormatLogProlog("src/server/request_handler.cpp", 214, 0);
    message->FormatLogMessage(static_cast<int>(QmMessageId(1, QM_MSG_ERROR, 1)),
                              "request 48213 for /accounts/ann refused: session expired");
}

void BM_SyslogOutputLine(benchmark::State& state) {
    DrainedSocket receiver;
    CQmSyslogOutput output;
    if (!receiver.Ready() || !output.SetParams(("unix:" + receiver.Path()).c_str(), "bench", -1, -1) ||
        !output.Open()) {
        state.SkipWithError("no local datagram socket");
        return;
    }
    CQmErrLogMessage message(false);
    FillLine(&message);
    for (auto _ : state) {
        if (!output.Log(message)) state.SkipWithError("Log failed");
    }
    output.Close();
}
BENCHMARK(BM_SyslogOutputLine)->UseRealTime();

void BM_BareSendOfTheSameFrame(benchmark::State& state) {
    DrainedSocket receiver;
    const platform::SocketHandle socket = receiver.Ready()
        ? platform::ConnectSocket(platform::SocketTransport::kLocalDatagram, receiver.Path().c_str(), "", 1000)
        : platform::kNoSocket;
    if (socket == platform::kNoSocket) {
        state.SkipWithError("no local datagram socket");
        return;
    }
    CQmErrLogMessage message(false);
    FillLine(&message);
    qm::SyslogSettings settings;
    settings.appName = "bench";
    settings.hostName = "host";
    settings.procId = "1";
    std::string frame;
    const std::size_t start = qm::BuildSyslogFrame(message, settings, &frame);
    for (auto _ : state) {
        if (!platform::SendBytes(socket, frame.data() + start, frame.size() - start)) {
            state.SkipWithError("send failed");
        }
    }
    platform::CloseSocket(socket);
}
BENCHMARK(BM_BareSendOfTheSameFrame)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
