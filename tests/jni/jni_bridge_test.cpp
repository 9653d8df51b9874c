// What Java callers see through the native methods: which logger is used,
// what the log lines and trace records hold, and what is refused.
#include <atomic>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>

#include "jni/bridge_fixture.h"
#include "qmerrlog/message.h"
#include "qmerrlog/registry.h"

namespace qmtest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;
using ::testing::SizeIs;

constexpr char kRecordFields[] = "components: Log/Legacy\ndata: Function, Message, TransactionID, SrcFile\n";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class JniBridgeTest : public BridgeTest {};

TEST_F(JniBridgeTest, LogMsgWritesPrologAndCatalogueTextToTheNamedLogger) {
    Captured named;
    Captured fallback;
    CaptureLog(TestLogger(), named);
    CaptureLog(theLogger(), fallback);
    jstring name = jni.String(TestLoggerName());

    LogMsg(name, jni.String("src/app/Orders.java"), kInfoMessage, jni.String("disk full"));
    LogMsg(name, nullptr, kInfoMessage, jstring(nullptr));
    ASSERT_THAT(named.Lines(), SizeIs(2));
    EXPECT_THAT(named.Lines()[0],
                MatchesRegex("\\[[0-9]+/[0-9]+\\]\\[[A-Z][a-z]{2} [A-Z][a-z]{2} [0-9]{2} [0-9]{4} "
                             "[0-9]{2}:[0-9]{2}:[0-9]{2}\\]\\[Orders\\.java\\]\\[INFO\\] disk full\n"));
    // The catalogue text "%1s" pads an empty argument to one blank.
    EXPECT_THAT(named.Lines()[1], MatchesRegex(".*\\]\\[\\]\\[INFO\\]  \n"));

    // Null, empty and unreadable names all mean the default logger.
    for (jstring other : {jstring(nullptr), jni.String(""), jni.UnobtainableString()}) {
        LogMsg(other, jni.String("F.java"), kInfoMessage, jni.String("to default"));
    }
    EXPECT_THAT(fallback.Lines(), SizeIs(3));
    EXPECT_THAT(named.Lines(), SizeIs(2));
}

TEST_F(JniBridgeTest, LogMsgArrayTakesUpToFiveArgumentsAndNullsAsEmpty) {
    Captured lines;
    CaptureLog(TestLogger(), lines);
    jstring name = jni.String(TestLoggerName());

    LogMsg(name, nullptr, kInfoMessage, jni.StringArray({"one", "two", "three", "four", "five"}));
    LogMsg(name, nullptr, kInfoMessage, jni.Array({nullptr, jni.String("second")}));
    LogMsg(name, nullptr, kInfoMessage, jni.Array({}));
    LogMsg(name, nullptr, kInfoMessage, jobjectArray(nullptr));
    LogMsg(name, nullptr, kInfoMessage, jni.StringArray({"1", "2", "3", "4", "5", "6"}));
    std::vector<std::string> written = lines.Lines();
    ASSERT_THAT(written, SizeIs(2));
    EXPECT_THAT(written[0], MatchesRegex(".*\\[INFO\\] one\n"));
    EXPECT_THAT(written[1], MatchesRegex(".*\\[INFO\\]  \n"));
}

TEST_F(JniBridgeTest, TooManyLogArgumentsAreTracedAsAWarningByTheDefaultLogger) {
    Captured lines;
    Captured warnings;
    CaptureLog(TestLogger(), lines);
    CaptureTrace(theLogger(), warnings, "components: Log\ndata: Function, Message, SrcFile\n");

    LogMsg(jni.String(TestLoggerName()), nullptr, kInfoMessage,
           jni.StringArray({"1", "2", "3", "4", "5", "6"}));
    EXPECT_THAT(lines.Lines(), IsEmpty());
    ASSERT_THAT(warnings.Lines(), SizeIs(1));
    EXPECT_THAT(warnings.Lines()[0],
                MatchesRegex("\\[QmJNIEntryPoint::LogMsg\\]\\[WARNING!!! Too many arguments in "
                             "message\\.  Message not logged\\.  Message ID is: 16793601\\]"
                             "\\[QmJNIEntryPoint:[0-9]+\\]\n"));

    // The warning is traced under the message's component, which this
    // configuration does not select for component 2.
    LogMsg(jstring(nullptr), nullptr, 0x02004001, jni.StringArray({"1", "2", "3", "4", "5", "6"}));
    EXPECT_THAT(warnings.Lines(), SizeIs(1));
}

TEST_F(JniBridgeTest, TraceMsgFillsTheConfiguredFields) {
    Captured records;
    CaptureTrace(TestLogger(), records, kRecordFields);
    jstring name = jni.String(TestLoggerName());
    jstring function = jni.String("submit");

    TraceMsg(name, jni.String("src/app/Trace.java"), function, kLegacyTrace, jni.String("T9"),
             jni.String("100% sure: %s %d"));
    TraceMsg(name, jni.String("Plain.java"), function, kLegacyTrace, nullptr,
             jni.String("%s-%s"), jni.Array({jni.String("x"), nullptr}));
    TraceMsg(name, nullptr, nullptr, kLegacyTrace, nullptr, nullptr);
    EXPECT_THAT(records.Lines(),
                ElementsAre("[submit][100% sure: %s %d][T9][Trace.java]\n",
                            "[submit][x-][][Plain.java]\n",
                            "[][][][]\n"));
}

TEST_F(JniBridgeTest, TraceMsgFormatsOnlyWithStringConversionsForItsArguments) {
    Captured records;
    CaptureTrace(TestLogger(), records, "components: Log/Legacy\ndata: Message\n");
    jstring name = jni.String(TestLoggerName());
    auto trace = [&](const char* text, jobjectArray arguments) {
        TraceMsg(name, nullptr, nullptr, kLegacyTrace, nullptr, jni.String(text), arguments);
    };

    trace("%2$s before %1$s", jni.StringArray({"a", "b"}));
    trace("<%-3s|%.2s>", jni.StringArray({"a", "bcd"}));
    trace("%s%s%s%s%s", jni.StringArray({"1", "2", "3", "4", "5"}));
    // Anything that would read a number, write through %n or go past the
    // fifth string is traced as it stands.
    trace("%d items", jni.StringArray({"a"}));
    trace("%n", jni.StringArray({"a"}));
    trace("%s%s%s%s%s%s", jni.StringArray({"1"}));
    trace("%s 100%", jni.StringArray({"a"}));
    // No argument fetched: the text is always verbatim.
    trace("%s as is", jni.Array({}));
    EXPECT_THAT(records.Lines(), ElementsAre("[b before a]\n", "[<a  |bc>]\n", "[12345]\n",
                                             "[%d items]\n", "[%n]\n", "[%s%s%s%s%s%s]\n",
                                             "[%s 100%]\n", "[%s as is]\n"));
}

TEST_F(JniBridgeTest, TraceMsgWritesNothingWhenNotSelectedOrFilteredOut) {
    Captured records;
    CaptureTrace(TestLogger(), records, std::string(kRecordFields) + "TransactionID ==T1\n");
    jstring name = jni.String(TestLoggerName());

    TraceMsg(name, nullptr, nullptr, kLegacyTrace, jni.String("T1"), jni.String("kept"));
    TraceMsg(name, nullptr, nullptr, kLegacyTrace, jni.String("T2"), jni.String("filtered"));
    TraceMsg(name, nullptr, nullptr, kLegacyTrace, nullptr, jni.String("no transaction"));
    TraceMsg(name, nullptr, nullptr, kLogComponent, jni.String("T1"), jni.String("other component"));
    TraceMsg(jni.String(TestLoggerName("-untraced")), nullptr, nullptr, kLegacyTrace,
             jni.String("T1"), jni.String("untraced logger"));
    EXPECT_THAT(records.Lines(), ElementsAre("[][kept][T1][]\n"));
}

TEST_F(JniBridgeTest, TooManyTraceArgumentsTraceOnlyTheWarning) {
    Captured records;
    Captured warnings;
    CaptureTrace(TestLogger(), records, kRecordFields);
    CaptureTrace(theLogger(), warnings, "components: Log\ndata: Message, Function\n");

    TraceMsg(jni.String(TestLoggerName()), nullptr, nullptr, kLegacyTrace, nullptr,
             jni.String("%s unformatted"), jni.StringArray({"1", "2", "3", "4", "5", "6"}));
    EXPECT_THAT(records.Lines(), IsEmpty());
    EXPECT_THAT(warnings.Lines(),
                ElementsAre("[WARNING!!! Too many arguments in message - Message not logged.  "
                            "Unformatted message is: %s unformatted][QmJNIEntryPoint::LogMsg]\n"));
}

TEST_F(JniBridgeTest, TraceEnabledAsksWhetherTracingIsOnAndComponentAsksForTheComponent) {
    Captured records;
    CaptureTrace(TestLogger(), records, kRecordFields);
    jstring name = jni.String(TestLoggerName());

    EXPECT_TRUE(TraceEnabled(name));
    EXPECT_TRUE(TraceEnabledComponent(name, kLegacyTrace));
    EXPECT_FALSE(TraceEnabledComponent(name, kLogComponent));
    EXPECT_FALSE(TraceEnabledComponent(name, 0x02010000));
    EXPECT_FALSE(TraceEnabled(jstring(nullptr)));
    EXPECT_FALSE(TraceEnabled(jni.String(TestLoggerName("-untraced"))));
    EXPECT_FALSE(TraceEnabledComponent(jni.String(TestLoggerName("-untraced")), kLegacyTrace));
}

TEST_F(JniBridgeTest, InitializeTraceWritesHeadingToTheNamedFileAndKeepsItOnRefusal) {
    TestLogger();
    jstring name = jni.String(TestLoggerName());
    jstring file = jni.String(Path("trace.log"));
    jstring config = jni.String(WriteFile("trace.cfg", kRecordFields));

    EXPECT_EQ(InitializeTrace(name, QM_OUTPUT_FILE, file, 0, 0, QM_TRACE_DELIMITED, jni.String("|"),
                              config, false, 0), 1);
    TraceMsg(name, nullptr, jni.String("f"), kLegacyTrace, jni.String("T"), jni.String("m"));
    EXPECT_EQ(ReadFile(Path("trace.log")),
              "Function|Message|TransactionID|SrcFile\n"
              "========|=======|=============|=======\n"
              "f|m|T|\n");

    EXPECT_EQ(InitializeTrace(name, QM_OUTPUT_FILE, jni.String(Path("other.log")), 0, 0, 0, nullptr,
                              jni.String(Path("missing.cfg")), false, 0), 0);
    EXPECT_TRUE(TraceEnabled(name)) << "a refused configuration leaves the earlier one in force";
    EXPECT_EQ(InitializeTrace(name, QM_OUTPUT_FILE, file, 0, 0, 0, nullptr, nullptr, false, 0), 0);
    EXPECT_EQ(InitializeTrace(name, QM_OUTPUT_FILE, file, 0, 0, 0, nullptr, jni.String(""), false, 0), 0);
}

TEST_F(JniBridgeTest, InitializeLogReplacesTheOutputOnlyWhenTheNewOneWorks) {
    Captured lines;
    CaptureLog(TestLogger(), lines);
    jstring name = jni.String(TestLoggerName());

    EXPECT_EQ(InitializeLog(name, QM_OUTPUT_FILE, jni.String(Path("bad.log")), 9, 0, false, 0), 0);
    LogMsg(name, nullptr, kInfoMessage, jni.String("still captured"));
    EXPECT_THAT(lines.Lines(), SizeIs(1));

    EXPECT_EQ(InitializeLog(name, QM_OUTPUT_FILE, jni.String(Path("good.log")), 0, 0, true, 0), 1);
    EXPECT_TRUE(getMyLogger(TestLoggerName().c_str())->ShouldUseLocalTime());
    EXPECT_EQ(InitializeLog(name, QM_OUTPUT_FILE, jni.String(Path("good.log")), 1, 0, false, 0), 1);
    EXPECT_TRUE(getMyLogger(TestLoggerName().c_str())->ShouldUseLocalTime()) << "false keeps local time";
    LogMsg(name, jni.String("G.java"), kInfoMessage, jni.String("to file"));
    EXPECT_THAT(ReadFile(Path("good.log")), MatchesRegex(".*\\[G\\.java\\]\\[INFO\\] to file\n"));
    EXPECT_THAT(lines.Lines(), SizeIs(1));
}

TEST_F(JniBridgeTest, ThreadsTraceAndWarnAtTheSameTime) {
    Captured records;
    Captured warnings;
    CaptureTrace(TestLogger(), records, "components: Log/Legacy\ndata: Message, Tid\n");
    CaptureTrace(theLogger(), warnings, "components: Log\ndata: Function, Tid\n");
    std::string name = TestLoggerName();
    constexpr int kThreads = 4;
    constexpr int kCalls = 50;

    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&name] {
            FakeJni own;  // a JNIEnv belongs to one thread
            auto call = Java_com_corvane_qmerrlog_QmLogger_TraceMsg__Ljava_lang_String_2Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2Ljava_lang_String_2_3Ljava_lang_String_2;
            for (int i = 0; i < kCalls; ++i) {
                call(own.env(), own.receiver(), own.String(name), nullptr, nullptr, kLegacyTrace,
                     nullptr, own.String("%s"), own.StringArray({"record"}));
                call(own.env(), own.receiver(), own.String(name), nullptr, nullptr, kLegacyTrace,
                     nullptr, own.String("%s"), own.StringArray({"1", "2", "3", "4", "5", "6"}));
            }
            EXPECT_EQ(own.CharsOutstanding() + own.LocalRefsOutstanding(), 0);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::vector<std::string> written = records.Lines();
    ASSERT_THAT(written, SizeIs(kThreads * kCalls));
    for (const std::string& line : written) {
        EXPECT_THAT(line, MatchesRegex("\\[record\\]\\[[0-9]+\\]\n"));
    }
    std::vector<std::string> warned = warnings.Lines();
    ASSERT_THAT(warned, SizeIs(kThreads * kCalls));
    for (const std::string& line : warned) {
        EXPECT_THAT(line, MatchesRegex("\\[QmJNIEntryPoint::LogMsg\\]\\[[0-9]+\\]\n"));
    }
}

}  // namespace
}  // namespace qmtest
