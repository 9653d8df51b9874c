// RFC 5424 frames of each kind of record, the targets a syslog output takes,
// and what the output refuses, without a collector.
#include <regex>

#include "output/rfc5424_frame.h"
#include "output/syslog_record.h"
#include "output/syslog_target.h"
#include "qmerrlog/component.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/outputs.h"
#include "trace/trace_test_access.h"

using qm::platform::SocketTransport;

TEST(SyslogTarget, TheThreeFormsAndWhatIsRefused) {
    struct Case { const char* text; bool accepted; SocketTransport transport = SocketTransport::kLocalDatagram;
                  const char* address = "untouched"; const char* port = ""; };
    const Case cases[] = {
        {nullptr, true, SocketTransport::kLocalDatagram, "/dev/log", ""},
        {"", true, SocketTransport::kLocalDatagram, "/dev/log", ""},
        {"unix:/run/collector.sock", true, SocketTransport::kLocalDatagram, "/run/collector.sock", ""},
        {"udp://127.0.0.1:514", true, SocketTransport::kUdp, "127.0.0.1", "514"},
        {"tcp://logs.example.net:65535", true, SocketTransport::kTcp, "logs.example.net", "65535"},
        {"tcp://[::1]:6514", true, SocketTransport::kTcp, "::1", "6514"},
        {"unix:", false}, {"udp://127.0.0.1", false}, {"udp://127.0.0.1:", false}, {"tcp://:514", false},
        {"tcp://host:0", false}, {"tcp://host:0514", false}, {"tcp://host:65536", false}, {"tcp://host:51a", false},
        {"tcp://::1:514", false}, {"tcp://[::1:514", false}, {"tcp://[::1]514", false}, {"tcp://a b:514", false},
        {"http://host:80", false}, {"TCP://host:514", false}, {"/dev/log", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text != nullptr ? c.text : "(null)");
        qm::SyslogTarget target;
        target.address = "untouched";
        EXPECT_EQ(qm::ParseSyslogTarget(c.text, &target), c.accepted);
        EXPECT_TRUE(target.transport == c.transport && target.address == c.address && target.port == c.port);
    }
}

struct SyslogFrame : CQmTraceDataTestAccess {
    std::string Frame(const CQmErrLogMessage& message, bool octetCounting = false, std::size_t* start = nullptr) {
        // local0, auth, and an app name with characters a header field cannot hold
        qm::SyslogSettings settings{16, 4, "my app\xC3\xBC", "web-01", "4242", octetCounting, ""};
        qm::PrepareFixedFields(&settings);
        std::string frame;
        const std::size_t at = qm::BuildSyslogFrame(message, settings, &frame);
        if (start != nullptr) *start = at;
        return frame.substr(at);
    }
};

TEST_F(SyslogFrame, EachKindOfRecord) {
    const std::string utc = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z web-01 my_app__ 4242 )";
    const std::string local = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}\+10:30 web-01 my_app__ 4242 )";
    CQmErrLogMessage line(false), audit(true), plain(false);  // plain: no known kind, a notice
    line.FormatLogProlog("a.cpp", 3, 0);
    ASSERT_TRUE(line.FormatLogMessage(static_cast<int>(QmMessageId(1, QM_MSG_WARNING, 1)), "bad \xFF byte"));
    audit.FormatAuditMessage("user %s", "ann");
    auto master = Master("components: Log\ndata: User Message\n", QM_TRACE_BRACKETED);
    auto record = CopyOf(*master);
    record->SetFieldValue(9, "a\"b");
    record->SetFieldValue(QM_FIELD_MESSAGE, "x]y\\z");
    ASSERT_TRUE(record->Format());
    const std::pair<const CQmErrLogMessage*, std::string> frames[] = {
        {&line, "<132>1 " + utc +
                    R"re(0x01008001 - \[\d+/\d+\]\[[^\]]+\]\[a\.cpp:3\]\[WARNING\] bad \xEF\xBF\xBD byte)re"},
        {&audit, "<37>1 " + local + "- - user ann"},
        {&plain, "<133>1 " + utc + "- -"},
        {&record->GetMessage(), "<135>1 " + utc +
                                    R"re(- \[qmtrace@32473 User="a\\"b" Message="x\\]y\\\\z"\] \[a"b\]\[x\]y\\z\])re"}};
    for (const auto& [message, shape] : frames) {
        const std::string frame = Frame(*message);
        EXPECT_TRUE(std::regex_match(frame, std::regex(shape))) << frame;
    }

    // Over TCP the frame starts with its length in bytes.
    std::size_t start = 0;
    const std::string counted = Frame(audit, true, &start);
    const std::size_t blank = counted.find(' ');
    EXPECT_EQ(std::to_string(counted.size() - blank - 1), counted.substr(0, blank));
    EXPECT_GT(start, 0u);
}

TEST(SyslogOutput, RefusalsAndLifeCycle) {
    CQmSyslogOutput output;
    CQmErrLogMessage message(false);
    message.FormatAuditMessage("x");
    EXPECT_FALSE(output.Open() || output.Log(message));  // no parameters yet
    EXPECT_FALSE(output.SetParams("ftp://host:21", "app", -1, -1) ||
                 output.SetParams("udp://127.0.0.1:514", "app", 24, -1) ||
                 output.SetParams("udp://127.0.0.1:514", "app", 1, -2));
    // A UDP "connection" needs no listener: Open succeeds on any address.
    ASSERT_TRUE(output.SetParams("udp://127.0.0.1:9", nullptr, QM_SYSLOG_LOCAL7, QM_SYSLOG_AUTH) && output.Open());
    EXPECT_FALSE(output.Open() || output.SetParams("udp://127.0.0.1:9", "app", -1, -1));
    EXPECT_TRUE(output.Close());
    EXPECT_FALSE(output.Log(message));
    CQmSyslogOutput missing;
    EXPECT_FALSE(missing.SetParams("unix:/nonexistent/qmerrlog.sock", "app", -1, -1) && missing.Open());

    CQmLogOutput* created = theLogger()->NewLogOutput(QM_OUTPUT_SYSLOG, "udp://127.0.0.1:9", "app", -1, -1);
    EXPECT_EQ(created != nullptr ? created->GetType() : -1, QM_OUTPUT_SYSLOG);
    theLogger()->DeleteLogOutput(created);
    EXPECT_EQ(theLogger()->NewLogOutput(QM_OUTPUT_SYSLOG, "bogus", "app", -1, -1), nullptr);
}
