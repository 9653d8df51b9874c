// Whatever path a native method takes, every string's characters and every
// array element's local reference goes back to the virtual machine.
#include <string>
#include <vector>

#include "jni/bridge_fixture.h"
#include "qmerrlog/message.h"

namespace qmtest {
namespace {

class JniReleaseTest : public BridgeTest {
protected:
    // The three ways a string argument can arrive.
    std::vector<jstring> Variants(const std::string& text) {
        return {nullptr, jni.String(text), jni.UnobtainableString()};
    }
    // Arrays of every length that matters, with null and unobtainable elements.
    std::vector<jobjectArray> Arrays() {
        return {nullptr,
                jni.Array({}),
                jni.Array({jni.String("a")}),
                jni.Array({nullptr}),
                jni.Array({jni.String("a"), nullptr, jni.UnobtainableString(), jni.String("d"),
                           jni.String("e")}),
                jni.StringArray({"1", "2", "3", "4", "5", "6"}),
                jni.Array({nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr})};
    }
};

TEST_F(JniReleaseTest, LogMsgGivesEverythingBackWhateverItsArguments) {
    std::string name = TestLoggerName();
    Captured lines;
    CaptureLog(TestLogger(), lines);
    for (jstring logger : {jstring(nullptr), jni.String(""), jni.String(name), jni.UnobtainableString()}) {
        for (jstring source : Variants("dir/File.java")) {
            for (jstring argument : Variants("text")) {
                EXPECT_EQ(LogMsg(logger, source, kInfoMessage, argument), 1);
                ExpectAllReturned("one-string LogMsg");
            }
            for (jobjectArray arguments : Arrays()) {
                EXPECT_EQ(LogMsg(logger, source, kInfoMessage, arguments), 1);
                ExpectAllReturned("array LogMsg");
            }
        }
    }
}

TEST_F(JniReleaseTest, TraceMsgGivesEverythingBackWithTracingOnOrOff) {
    std::string name = TestLoggerName();
    Captured traced;
    Captured warnings;
    for (bool on : {false, true}) {
        if (on) {
            CaptureTrace(TestLogger(), traced,
                         "components: Log\ndata: Function, TransactionID, Message, SrcFile, Tid\n");
            CaptureTrace(theLogger(), warnings, "components: Log\ndata: Message\n");
        }
        for (jstring logger : {jstring(nullptr), jni.String(name), jni.UnobtainableString()}) {
            for (jstring text : Variants("%s and %s")) {
                for (jstring other : Variants("x")) {
                    EXPECT_EQ(TraceMsg(logger, other, other, kLegacyTrace, other, text), 1);
                    ExpectAllReturned("TraceMsg");
                    for (jobjectArray arguments : Arrays()) {
                        EXPECT_EQ(TraceMsg(logger, other, other, kLegacyTrace, other, text, arguments), 1);
                        ExpectAllReturned("array TraceMsg");
                    }
                }
            }
        }
    }
    // Without this the loops above could pass by tracing nothing at all.
    EXPECT_FALSE(traced.Lines().empty());
    EXPECT_FALSE(warnings.Lines().empty());
}

TEST_F(JniReleaseTest, ArraysAreReadInOrderAndLongOnesAreNotReadAtAll) {
    TestLogger();
    jstring name = jni.String(TestLoggerName());
    jni.ClearHistory();
    LogMsg(name, nullptr, kInfoMessage, jni.StringArray({"a", "b", "c", "d", "e"}));
    EXPECT_EQ(jni.FetchedIndices(), (std::vector<jsize>{0, 1, 2, 3, 4}));

    jni.ClearHistory();
    LogMsg(name, nullptr, kInfoMessage, jni.StringArray({"a", "b", "c", "d", "e", "f"}));
    TraceMsg(name, nullptr, nullptr, kLegacyTrace, nullptr, nullptr,
             jni.StringArray({"a", "b", "c", "d", "e", "f"}));
    EXPECT_TRUE(jni.FetchedIndices().empty());
    ExpectAllReturned("refused arrays");
}

TEST_F(JniReleaseTest, InitializeGivesEverythingBackOnEveryResult) {
    std::string config = WriteFile("ok.cfg", "components: Log\ndata: Message\n");
    jstring name = jni.String(TestLoggerName());
    jstring file = jni.String(Path("out.log"));
    TestLogger();

    EXPECT_EQ(InitializeLog(name, QM_OUTPUT_FILE, file, 1, 0, false, 0), 1);
    EXPECT_EQ(InitializeLog(name, QM_OUTPUT_FILE, file, 9, 0, false, 0), 0);
    EXPECT_EQ(InitializeLog(name, QM_OUTPUT_FILE, nullptr, 1, 0, true, 0), 0);
    EXPECT_EQ(InitializeLog(jni.UnobtainableString(), QM_OUTPUT_FILE, jni.UnobtainableString(), 1, 0,
                            false, 0), 0);
    ExpectAllReturned("InitializeLog");

    jni.ClearHistory();
    EXPECT_EQ(InitializeTrace(name, QM_OUTPUT_FILE, file, 0, 0, 0, nullptr, nullptr, false, 0), 0);
    EXPECT_EQ(jni.CharsObtained(), 0) << "a null configuration ends the call before any string is read";

    jstring separator = jni.String("|");
    EXPECT_EQ(InitializeTrace(name, QM_OUTPUT_FILE, file, 0, 0, 2, separator, jni.String(""), false, 0), 0);
    EXPECT_EQ(InitializeTrace(name, QM_OUTPUT_FILE, file, 0, 0, 2, separator,
                              jni.String(Path("missing.cfg")), false, 0), 0);
    EXPECT_EQ(InitializeTrace(name, QM_OUTPUT_FILE, file, 0, 0, 2, separator,
                              jni.UnobtainableString(), false, 0), 0);
    EXPECT_EQ(InitializeTrace(name, QM_OUTPUT_FILE, file, 9, 0, 2, separator, jni.String(config), false, 0), 0);
    EXPECT_EQ(InitializeTrace(name, QM_OUTPUT_FILE, jni.String(Path("t.log")), 0, 0, 2, separator,
                              jni.String(config), false, 0), 1);
    ExpectAllReturned("InitializeTrace");

    EXPECT_TRUE(TraceEnabled(name));
    EXPECT_FALSE(TraceEnabled(jni.UnobtainableString()));
    EXPECT_TRUE(TraceEnabledComponent(name, kLogComponent));
    ExpectAllReturned("TraceEnabled");
}

}  // namespace
}  // namespace qmtest
