// The syslog output against a real rsyslog daemon: every record arrives once
// over each transport with its severity, facility, message id and structured
// data intact; a stopped daemon makes Log fail at once and a restarted one
// gets records again; many threads never interleave TCP frames.
#include <atomic>
#include <map>
#include <regex>
#include <set>
#include <thread>

#include "qmerrlog/component.h"
#include "qmerrlog/outputs.h"
#include "syslog/rsyslog_daemon.h"
#include "trace/trace_test_access.h"

namespace {

// An audit record of a text with nothing to escape, as the collector shows it.
std::string Audit(const std::string& text) { return "[\"notice\", \"authpriv\", \"-\", {}, \"" + text + "\"]"; }

}  // namespace

struct SyslogDelivery : CQmTraceDataTestAccess {
    void SetUp() override {
        if (qmtest::RsyslogDaemon::Program().empty()) GTEST_SKIP() << "needs rsyslogd and python3 (scripts/setup.sh)";
        ASSERT_TRUE(daemon.Start()) << daemon.Configuration();
    }
    std::unique_ptr<CQmSyslogOutput> Open(const std::string& transport, const std::string& app) const {
        const std::string target =
            transport == "unix" ? "unix:" + daemon.SocketPath() : transport + "://127.0.0.1:" + daemon.Port();
        auto output = std::make_unique<CQmSyslogOutput>();
        EXPECT_TRUE(output->SetParams(target.c_str(), app.c_str(), -1, -1) && output->Open()) << target;
        return output;
    }
    static bool LogAudit(CQmLogOutput& output, const std::string& text) {
        CQmErrLogMessage message(false);
        message.FormatAuditMessage("%s", text.c_str());
        return output.Log(message);
    }

    qmtest::RsyslogDaemon daemon{m_dir};
};

TEST_F(SyslogDelivery, EveryRecordArrivesOnceOverEachTransport) {
    auto master = Master("components: Log\ndata: User Message Tid\n", QM_TRACE_DELIMITED, "|");
    const std::string user = "a\"b\\c]d [x] gr\xC3\xBC\xC3\x9F \xE2\x82\xAC";
    const std::string text = "quote \" backslash \\ bracket ] end";
    // Message type, then the severity and label the collector shows.
    const std::tuple<int, const char*, const char*> lines[] = {
        {QM_MSG_ERROR, "err", "ERROR"}, {QM_MSG_WARNING, "warning", "WARNING"}, {QM_MSG_INFO, "info", "INFO"}};
    const char* const kLineShape =
        R"re(\["%s", "user", "0x%08X", \{\}, "\[.*\]\[server\.cpp:12\]\[%s\] disk \\"full\\""\])re";
    for (const std::string transport : {"unix", "udp", "tcp"}) {
        SCOPED_TRACE(transport);
        const std::string app = "qm-" + transport;
        auto output = Open(transport, app);
        for (const auto& [type, severity, label] : lines) {
            CQmErrLogMessage message(false);
            message.FormatLogProlog("src/server.cpp", 12, 0);
            ASSERT_TRUE(message.FormatLogMessage(static_cast<int>(QmMessageId(1, type, 1)), "disk \"full\""));
            EXPECT_TRUE(output->Log(message));
        }
        EXPECT_TRUE(LogAudit(*output, "ann logged in"));
        auto record = CopyOf(*master);
        record->SetFieldValue(9, (user + "\xFF").c_str());  // User, ending in a byte that is no UTF-8
        record->SetFieldValue(QM_FIELD_MESSAGE, text.c_str());
        record->SetFieldValue(QM_FIELD_TID, 0);
        ASSERT_TRUE(record->Format());
        EXPECT_TRUE(output->Log(record->GetMessage()));

        ASSERT_TRUE(daemon.WaitForCount(app, 5));
        const std::vector<std::string> received = daemon.Received(app);
        ASSERT_EQ(received.size(), 5u);
        for (int i = 0; i < 3; ++i) {
            const auto& [type, severity, label] = lines[i];
            char shape[160];
            std::snprintf(shape, sizeof shape, kLineShape, severity, QmMessageId(1, type, 1), label);
            EXPECT_TRUE(std::regex_match(received[i], std::regex(shape))) << received[i];
        }
        EXPECT_EQ(received[3], Audit("ann logged in"));
        const std::string tid = record->GetFieldValue(QM_FIELD_TID);
        // User and text as JSON shows them: quote and backslash escaped, the stray byte replaced.
        const std::string shownUser = R"(a\"b\\c]d [x] gr)" "\xC3\xBC\xC3\x9F \xE2\x82\xAC\xEF\xBF\xBD";
        const std::string shownText = R"(quote \" backslash \\ bracket ] end)";
        EXPECT_EQ(received[4], R"(["debug", "user", "-", {"qmtrace@32473": {"message": ")" + shownText +
                                   R"(", "tid": ")" + tid + R"(", "user": ")" + shownUser + R"("}}, ")" + shownUser +
                                   "|" + shownText + "|" + tid + "\"]");
    }
    // Once the daemon has written out everything, still exactly five each.
    daemon.Stop();
    for (const std::string transport : {"unix", "udp", "tcp"}) EXPECT_EQ(daemon.Received("qm-" + transport).size(), 5u);
}

// A stream output and a local socket output: while the daemon is away Log
// says false at once; after its restart the first record Log accepts arrives,
// and none of the refused ones ever does.
TEST_F(SyslogDelivery, StoppedDaemonFailsLogsAndEachOutputResumesAfterRestart) {
    std::map<std::string, std::unique_ptr<CQmSyslogOutput>> outputs;
    for (const std::string transport : {"tcp", "unix"}) {
        outputs[transport] = Open(transport, "qm-restart-" + transport);
        EXPECT_TRUE(LogAudit(*outputs[transport], "before"));
        ASSERT_TRUE(daemon.WaitForCount("qm-restart-" + transport, 1));
    }
    daemon.Stop();
    for (auto& [transport, output] : outputs) EXPECT_FALSE(LogAudit(*output, "while stopped")) << transport;
    CQmSyslogOutput unreachable;
    ASSERT_TRUE(unreachable.SetParams(("tcp://127.0.0.1:" + daemon.Port()).c_str(), "qm-unreachable", -1, -1));
    EXPECT_FALSE(unreachable.Open());

    ASSERT_TRUE(daemon.Start());
    std::map<std::string, std::string> delivered;
    for (auto& [transport, output] : outputs) {
        // Reconnection waits out its pause: a bounded number of attempts.
        for (int attempt = 0; attempt < 200 && delivered[transport].empty(); ++attempt) {
            const std::string text = "after " + std::to_string(attempt);
            if (LogAudit(*output, text)) delivered[transport] = text;
            else std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ASSERT_TRUE(daemon.WaitForCount("qm-restart-" + transport, 2));
    }
    daemon.Stop();
    for (const auto& [transport, text] : delivered)
        EXPECT_EQ(daemon.Received("qm-restart-" + transport), (std::vector<std::string>{Audit("before"), Audit(text)}));
}

// Lengths vary up to about 3000 bytes, so that frames span many TCP segments
// and a torn frame would show.
TEST_F(SyslogDelivery, ManyThreadsThroughOneTcpOutputNeverInterleave) {
    constexpr int kThreads = 8, kLines = 100;
    auto output = Open("tcp", "qm-threads");
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int n = 0; n < kLines; ++n)
                failures += !LogAudit(*output, "T" + std::to_string(t) + " N" + std::to_string(n) + " " +
                                                   std::string((n * 397 + t * 131) % 3000, char('a' + t)));
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    ASSERT_TRUE(daemon.WaitForCount("qm-threads", kThreads * kLines));
    daemon.Stop();

    const std::regex shape(R"re(^\["notice", "authpriv", "-", \{\}, "T(\d+) N(\d+) ([a-z]*)"\]$)re");
    std::set<std::pair<int, int>> seen;
    for (const std::string& line : daemon.Received("qm-threads")) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, shape)) << line.substr(0, 200);
        const int t = std::stoi(match[1]), n = std::stoi(match[2]);
        EXPECT_EQ(match[3].str(), std::string((n * 397 + t * 131) % 3000, char('a' + t)));
        EXPECT_TRUE(seen.insert({t, n}).second) << "twice: " << line.substr(0, 40);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kLines));
}
