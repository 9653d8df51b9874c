// The syslog output against a real rsyslog daemon: every record arrives once
// over each transport with its severity, facility, message id and structured
// data intact; a stopped daemon makes Log fail at once and a restarted one
// gets TCP records again; many threads never interleave TCP frames; and a
// JSON-lines trace file is tailed and parsed by the same daemon.
#include <algorithm>
#include <atomic>
#include <map>
#include <regex>
#include <set>
#include <thread>

#include "qmerrlog/component.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/outputs.h"
#include "qmerrlog/registry.h"
#include "syslog/rsyslog_daemon.h"
#include "trace/trace_test_access.h"

namespace {

// A JSON string as python's json.dumps writes it for texts without control
// characters: quote and backslash escaped, everything else as it is.
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    return out + "\"";
}

// An audit record as the collector shows it.
std::string Audit(const std::string& text) { return "[\"notice\", \"authpriv\", \"-\", {}, " + Quoted(text) + "]"; }

}  // namespace

struct SyslogDelivery : CQmTraceDataTestAccess {
    void SetUp() override {
        if (qmtest::RsyslogDaemon::Program().empty()) GTEST_SKIP() << "rsyslogd is not installed (scripts/setup.sh installs it)";
        if (!qmtest::HavePython()) GTEST_SKIP() << "python3 is needed to read what rsyslogd wrote";
        ASSERT_TRUE(daemon.Start()) << daemon.Configuration();
    }
    std::string Target(const std::string& transport) const {
        return transport == "unix" ? "unix:" + daemon.SocketPath() : transport + "://127.0.0.1:" + daemon.Port();
    }
    static std::unique_ptr<CQmSyslogOutput> Open(const std::string& target, const std::string& app) {
        auto output = std::make_unique<CQmSyslogOutput>();
        EXPECT_TRUE(output->SetParams(target.c_str(), app.c_str(), QM_SYSLOG_DEFAULT_FACILITY,
                                      QM_SYSLOG_DEFAULT_FACILITY));
        EXPECT_TRUE(output->Open()) << target;
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
    for (const std::string transport : {"unix", "udp", "tcp"}) {
        SCOPED_TRACE(transport);
        const std::string app = "qm-" + transport;
        auto output = Open(Target(transport), app);

        struct Line { unsigned int id; const char* severity; const char* label; };
        const Line lines[] = {{QmMessageId(1, QM_MSG_ERROR, 1), "err", "ERROR"},
                              {QmMessageId(1, QM_MSG_WARNING, 2), "warning", "WARNING"},
                              {QmMessageId(1, QM_MSG_INFO, 3), "info", "INFO"}};
        for (const Line& line : lines) {
            CQmErrLogMessage message(false);
            message.FormatLogProlog("src/server.cpp", 12, 0);
            ASSERT_TRUE(message.FormatLogMessage(static_cast<int>(line.id), "disk \"full\""));
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
        char id[16];
        for (int i = 0; i < 3; ++i) {
            std::snprintf(id, sizeof id, "0x%08X", lines[i].id);
            const std::string head = std::string("[\"") + lines[i].severity + "\", \"user\", \"" + id + "\", {}, \"[";
            const std::string tail = std::string("[server.cpp:12][") + lines[i].label + "] disk \\\"full\\\"\"]";
            const std::string& got = received[i];
            EXPECT_EQ(got.substr(0, head.size()), head);
            EXPECT_EQ(got.substr(got.size() - std::min(got.size(), tail.size())), tail);
        }
        EXPECT_EQ(received[3], Audit("ann logged in"));
        const std::string tid = record->GetFieldValue(QM_FIELD_TID);
        const std::string shownUser = user + "\xEF\xBF\xBD";
        EXPECT_EQ(received[4], "[\"debug\", \"user\", \"-\", {\"qmtrace@32473\": {\"message\": " + Quoted(text) +
                                   ", \"tid\": " + Quoted(tid) + ", \"user\": " + Quoted(shownUser) + "}}, " +
                                   Quoted(shownUser + "|" + text + "|" + tid) + "]");
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
        outputs[transport] = Open(Target(transport), "qm-restart-" + transport);
        EXPECT_TRUE(LogAudit(*outputs[transport], "before"));
        ASSERT_TRUE(daemon.WaitForCount("qm-restart-" + transport, 1));
    }
    daemon.Stop();
    for (auto& [transport, output] : outputs) EXPECT_FALSE(LogAudit(*output, "while stopped")) << transport;
    CQmSyslogOutput unreachable;
    ASSERT_TRUE(unreachable.SetParams(Target("tcp").c_str(), "qm-unreachable", -1, -1));
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
        ASSERT_FALSE(delivered[transport].empty()) << transport;
        ASSERT_TRUE(daemon.WaitForCount("qm-restart-" + transport, 2));
    }
    daemon.Stop();
    for (const auto& [transport, text] : delivered) {
        EXPECT_EQ(daemon.Received("qm-restart-" + transport), (std::vector<std::string>{Audit("before"), Audit(text)}));
    }
}

TEST_F(SyslogDelivery, ManyThreadsThroughOneTcpOutputNeverInterleave) {
    constexpr int kThreads = 8, kLines = 100;
    auto output = Open(Target("tcp"), "qm-threads");
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int n = 0; n < kLines; ++n) {
                // Lengths vary up to about 3000 bytes, so that frames span many
                // TCP segments and a torn frame would show.
                const std::size_t length = static_cast<std::size_t>((n * 397 + t * 131) % 3000);
                const std::string text = "T" + std::to_string(t) + " N" + std::to_string(n) + " L" +
                                         std::to_string(length) + " " + std::string(length, static_cast<char>('a' + t));
                if (!LogAudit(*output, text)) ++failures;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    ASSERT_TRUE(daemon.WaitForCount("qm-threads", kThreads * kLines));
    daemon.Stop();

    const std::regex shape(R"re(^\["notice", "authpriv", "-", \{\}, "T(\d+) N(\d+) L(\d+) ([a-z]*)"\]$)re");
    std::set<std::pair<int, int>> seen;
    for (const std::string& line : daemon.Received("qm-threads")) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, shape)) << line.substr(0, 200);
        const int t = std::stoi(match[1]);
        const std::string payload = match[4];
        EXPECT_EQ(payload, std::string(std::stoul(match[3]), static_cast<char>('a' + t)));
        EXPECT_TRUE(seen.insert({t, std::stoi(match[2])}).second) << "twice: " << line.substr(0, 40);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kLines));
}

// The JSON-lines trace layout in a file, tailed by rsyslog's imfile and
// parsed by mmjsonparse as the user guide shows.
TEST_F(SyslogDelivery, JsonLinesTraceFileIsTailedAndParsed) {
    const std::string traceFile = m_dir.Path("trace.jsonl");
    const std::string collected = m_dir.Path("traces.log");
    CQmLogger* logger = getMyLogger("tailed");
    ASSERT_NE(logger, nullptr);
    const std::string config = m_dir.Write("tailed.cfg", "components: Log\ndata: Tid User Message\n");
    CQmLogOutput* output = logger->NewLogOutput(QM_OUTPUT_FILE, traceFile.c_str(), 0, 0, 0);
    ASSERT_TRUE(logger->EnableTrace(output, QM_TRACE_JSON_LINES, nullptr, config.c_str(), false, false, false));

    daemon.Stop();
    daemon.AddConfiguration(
        "module(load=\"imfile\")\n"
        "module(load=\"mmjsonparse\")\n"
        "input(type=\"imfile\" File=\"" + traceFile + "\" Tag=\"qmtrace\" ruleset=\"traces\")\n"
        "template(name=\"tracefields\" type=\"string\" string=\"%$!Tid% %$!User% %$!Message%\\n\")\n"
        "ruleset(name=\"traces\") {\n"
        "  action(type=\"mmjsonparse\" cookie=\"\")\n"
        "  if $parsesuccess == \"OK\" then {\n"
        "    action(type=\"omfile\" file=\"" + collected + "\" template=\"tracefields\")\n"
        "  }\n"
        "}\n");
    ASSERT_TRUE(daemon.Start()) << daemon.Configuration();

    std::vector<std::string> expected;
    for (int i = 0; i < 3; ++i) {
        CQmTraceData* record = nullptr;
        ASSERT_TRUE(logger->ShouldTraceAlloc(kLog, &record));
        record->SetFieldValue(QM_FIELD_TID, 0);
        record->SetFieldValue(9, "ann \"the admin\" \\ [x]");
        record->SetFieldValue(QM_FIELD_MESSAGE, record->FormatTraceMessage("record %d", i));
        ASSERT_TRUE(record->Format());
        ASSERT_TRUE(record->Log());
        expected.push_back(std::string(record->GetFieldValue(QM_FIELD_TID)) + " ann \"the admin\" \\ [x] record " +
                           std::to_string(i));
        record->LeaveNoBody();
    }
    logger->DisableTrace(false);
    removeMyLogger("tailed");

    std::vector<std::string> lines;
    EXPECT_TRUE(qmtest::RsyslogDaemon::WaitFor(
        [&] { return (lines = qmtest::ReadLines(collected)).size() >= expected.size(); }));
    EXPECT_EQ(lines, expected);
}
