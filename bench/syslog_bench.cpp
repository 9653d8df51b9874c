// A log line through the syslog output over a local datagram socket, against
// a bare send of the same frame to the same socket: what framing, the time
// stamp and the send lock add to the system call. The socket is drained on the
// sending thread, with the clock stopped, every 8 sends (Linux queues as few
// as 10 datagrams by default, net.unix.max_dgram_qlen): a receiver blocked in
// recv on another thread would be woken by every send, and that wake-up,
// charged to the sender, would measure the receiver rather than the senders.
//   build/release/bench/syslog_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "output/syslog_record.h"
#include "platform/datagram_receiver.h"
#include "platform/network_socket.h"
#include "platform/process.h"
#include "qmerrlog/component.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"

namespace {

// The header fields every frame of these benchmarks carries.
qm::SyslogSettings BenchSettings() {
    qm::SyslogSettings settings;
    settings.appName = "bench";
    settings.hostName = "host";
    settings.procId = "1";
    qm::PrepareFixedFields(&settings);
    return settings;
}

namespace platform = qm::platform;

constexpr int kSendsBetweenDrains = 8;

class ReceivingSocket {
public:
    ReceivingSocket()
        : m_path((std::filesystem::temp_directory_path() /
                  ("qmerrlog_syslog_bench_" + std::to_string(platform::CurrentProcessId()) + ".sock"))
                     .string()),
          m_socket(platform::BindLocalDatagram(m_path.c_str(), 100)) {}
    ~ReceivingSocket() {
        platform::CloseSocket(m_socket);
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    bool Ready() const { return m_socket != platform::kNoSocket; }
    const std::string& Path() const { return m_path; }
    // Every sendsSinceDrain sends, empties the queue with the clock stopped.
    void DrainNowAndThen(benchmark::State& state, int* sendsSinceDrain) {
        if (++*sendsSinceDrain < kSendsBetweenDrains) return;
        state.PauseTiming();
        char buffer[65536];
        while (platform::ReceiveDatagram(m_socket, buffer, sizeof buffer, false) >= 0) {
        }
        *sendsSinceDrain = 0;
        state.ResumeTiming();
    }

private:
    std::string m_path;
    platform::SocketHandle m_socket;
};

// An ordinary error line of about 120 bytes.
void FillLine(CQmErrLogMessage* message) {
    message->FormatLogProlog("src/server/request_handler.cpp", 214, 0);
    message->FormatLogMessage(static_cast<int>(QmMessageId(1, QM_MSG_ERROR, 1)),
                              "request 48213 for /accounts/ann refused: session expired");
}

void BM_SyslogOutputLine(benchmark::State& state) {
    ReceivingSocket receiver;
    CQmSyslogOutput output;
    if (!receiver.Ready() || !output.SetParams(("unix:" + receiver.Path()).c_str(), "bench", -1, -1) ||
        !output.Open()) {
        state.SkipWithError("no local datagram socket");
        return;
    }
    CQmErrLogMessage message(false);
    FillLine(&message);
    int sends = 0;
    for (auto _ : state) {
        if (!output.Log(message)) state.SkipWithError("Log failed");
        receiver.DrainNowAndThen(state, &sends);
    }
    output.Close();
}
BENCHMARK(BM_SyslogOutputLine);

void BM_BareSendOfTheSameFrame(benchmark::State& state) {
    ReceivingSocket receiver;
    const platform::SocketHandle socket =
        receiver.Ready()
            ? platform::ConnectSocket(platform::SocketTransport::kLocalDatagram, receiver.Path().c_str(), "", 1000)
            : platform::kNoSocket;
    if (socket == platform::kNoSocket) {
        state.SkipWithError("no local datagram socket");
        return;
    }
    CQmErrLogMessage message(false);
    FillLine(&message);
    const qm::SyslogSettings settings = BenchSettings();
    std::string frame;
    const std::size_t start = qm::BuildSyslogFrame(message, settings, &frame);
    int sends = 0;
    for (auto _ : state) {
        if (!platform::SendBytes(socket, frame.data() + start, frame.size() - start)) {
            state.SkipWithError("send failed");
        }
        receiver.DrainNowAndThen(state, &sends);
    }
    platform::CloseSocket(socket);
}
BENCHMARK(BM_BareSendOfTheSameFrame);

// The frame alone: what the output adds before its send.
void BM_BuildFrame(benchmark::State& state) {
    CQmErrLogMessage message(false);
    FillLine(&message);
    const qm::SyslogSettings settings = BenchSettings();
    // Into an area on the stack, as the output builds it.
    char area[2048];
    for (auto _ : state) {
        std::size_t start = 0;
        const std::size_t bound = qm::SyslogFrameBound(message, settings, sizeof area);
        if (bound > sizeof area) state.SkipWithError("line does not fit");
        benchmark::DoNotOptimize(qm::WriteSyslogFrame(message, settings, area, &start));
        benchmark::DoNotOptimize(area);
    }
}
BENCHMARK(BM_BuildFrame);

}  // namespace

BENCHMARK_MAIN();
