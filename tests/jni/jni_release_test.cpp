// Whatever path a native method takes, every string's characters and every
// array element's local reference goes back to the virtual machine. The JVM
// run (QmLoggerTest.java) checks what the methods write; these tests check
// the bookkeeping, and run under the sanitizers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "com_corvane_qmerrlog_QmLogger.h"
#include "jni/fake_jni_env.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"
#include "qmerrlog/registry.h"

namespace qmtest {
namespace {

constexpr jint kInfoMessage = 0x01004001;  // the library's own catalogue: "%1s"
constexpr jint kLegacyTrace = 0x01010000;  // Log/Legacy
constexpr jint kLogComponent = 0x01000000;

#define QM_EXPORT(name) Java_com_corvane_qmerrlog_QmLogger_##name

class Captured {
public:
    static void Callback(const char* text, int length, void* user) {
        Captured* self = static_cast<Captured*>(user);
        std::lock_guard<std::mutex> hold(self->m_lock);
        self->m_lines.emplace_back(text, static_cast<std::size_t>(length));
    }
    std::size_t Count() {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_lines.size();
    }

private:
    std::mutex m_lock;
    std::vector<std::string> m_lines;
};

class JniReleaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_dir = std::filesystem::temp_directory_path() /
                ("qmerrlog_jni_" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override {
        // The captures die with the test; no logger may keep writing to them.
        for (CQmLogger* logger : {theLogger(), getMyLogger(m_name.c_str())}) {
            logger->DisableLog();
            logger->DisableTrace(false);
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::string WriteFile(const std::string& name, const std::string& text) {
        std::ofstream(Path(name), std::ios::binary) << text;
        return Path(name);
    }
    void CaptureTrace(CQmLogger* logger, Captured& into, const std::string& configuration) {
        std::string config = WriteFile("trace.cfg", configuration);
        ASSERT_TRUE(logger->EnableTrace(
            logger->NewLogOutput(QM_OUTPUT_SYNC_PARAM_CALLBACK, &Captured::Callback, &into),
            QM_TRACE_BRACKETED, nullptr, config.c_str(), false, false, false));
    }

    // The three ways a string argument can arrive.
    std::vector<jstring> Variants(const std::string& text) {
        return {nullptr, jni.String(text), jni.UnobtainableString()};
    }
    // Arrays of every length that matters, with null and unobtainable elements.
    std::vector<jobjectArray> Arrays() {
        return {nullptr,
                jni.Array({}),
                jni.Array({nullptr}),
                jni.Array({jni.String("a"), nullptr, jni.UnobtainableString(), jni.String("d"),
                           jni.String("e")}),
                jni.StringArray({"1", "2", "3", "4", "5", "6"})};
    }

    void ExpectAllReturned(const std::string& context) {
        EXPECT_EQ(jni.CharsOutstanding(), 0) << context;
        EXPECT_EQ(jni.LocalRefsOutstanding(), 0) << context;
        EXPECT_TRUE(jni.Errors().empty()) << context << ": " << (jni.Errors().empty() ? "" : jni.Errors()[0]);
    }

    FakeJni jni;
    const std::string m_name = std::string("jni-") +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name();

private:
    std::filesystem::path m_dir;
};

// Stay readable at the call sites below.
constexpr auto LogMsgArray = &Java_com_corvane_qmerrlog_QmLogger_LogMsg__Ljava_lang_String_2Ljava_lang_String_2I_3Ljava_lang_String_2;
constexpr auto LogMsgOne = &Java_com_corvane_qmerrlog_QmLogger_LogMsg__Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2;
constexpr auto TraceMsgOne = &Java_com_corvane_qmerrlog_QmLogger_TraceMsg__Ljava_lang_String_2Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2Ljava_lang_String_2;
constexpr auto TraceMsgArray = &Java_com_corvane_qmerrlog_QmLogger_TraceMsg__Ljava_lang_String_2Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2Ljava_lang_String_2_3Ljava_lang_String_2;

TEST_F(JniReleaseTest, LogMsgGivesEverythingBack) {
    for (jstring logger : {jstring(nullptr), jni.String(""), jni.String(m_name), jni.UnobtainableString()}) {
        for (jstring source : Variants("dir/File.java")) {
            for (jstring argument : Variants("text")) {
                EXPECT_EQ(LogMsgOne(jni.env(), jni.receiver(), logger, source, kInfoMessage, argument), 1);
                ExpectAllReturned("one-string LogMsg");
            }
            for (jobjectArray arguments : Arrays()) {
                EXPECT_EQ(LogMsgArray(jni.env(), jni.receiver(), logger, source, kInfoMessage, arguments), 1);
                ExpectAllReturned("array LogMsg");
            }
        }
    }
}

TEST_F(JniReleaseTest, TraceMsgGivesEverythingBackWithTracingOnOrOff) {
    Captured traced;
    Captured warnings;
    for (bool on : {false, true}) {
        if (on) {
            CaptureTrace(getMyLogger(m_name.c_str()), traced,
                         "components: Log\ndata: Function, TransactionID, Message, SrcFile, Tid\n");
            CaptureTrace(theLogger(), warnings, "components: Log\ndata: Message\n");
        }
        for (jstring logger : {jstring(nullptr), jni.String(m_name), jni.UnobtainableString()}) {
            for (jstring text : Variants("%s and %s")) {
                for (jstring other : Variants("x")) {
                    EXPECT_EQ(TraceMsgOne(jni.env(), jni.receiver(), logger, other, other, kLegacyTrace,
                                          other, text), 1);
                    ExpectAllReturned("TraceMsg");
                    for (jobjectArray arguments : Arrays()) {
                        EXPECT_EQ(TraceMsgArray(jni.env(), jni.receiver(), logger, other, other,
                                                kLegacyTrace, other, text, arguments), 1);
                        ExpectAllReturned("array TraceMsg");
                    }
                }
            }
        }
    }
    // Otherwise the loops above could pass by tracing nothing at all.
    EXPECT_GT(traced.Count(), 0u);
    EXPECT_GT(warnings.Count(), 0u);
}

TEST_F(JniReleaseTest, ArraysAreReadInOrderAndLongOnesAreNotReadAtAll) {
    jstring name = jni.String(m_name);
    LogMsgArray(jni.env(), jni.receiver(), name, nullptr, kInfoMessage, jni.StringArray({"a", "b", "c", "d", "e"}));
    EXPECT_EQ(jni.FetchedIndices(), (std::vector<jsize>{0, 1, 2, 3, 4}));

    jni.ClearHistory();
    jobjectArray six = jni.StringArray({"a", "b", "c", "d", "e", "f"});
    LogMsgArray(jni.env(), jni.receiver(), name, nullptr, kInfoMessage, six);
    TraceMsgArray(jni.env(), jni.receiver(), name, nullptr, nullptr, kLegacyTrace, nullptr, nullptr, six);
    EXPECT_TRUE(jni.FetchedIndices().empty());
    ExpectAllReturned("refused arrays");
}

TEST_F(JniReleaseTest, InitializeAndQueriesGiveEverythingBackOnEveryResult) {
    std::string config = WriteFile("ok.cfg", "components: Log\ndata: Message\n");
    JNIEnv* env = jni.env();
    jclass self = jni.receiver();
    jstring name = jni.String(m_name);
    jstring file = jni.String(Path("out.log"));

    EXPECT_EQ(QM_EXPORT(InitializeLog)(env, self, name, QM_OUTPUT_FILE, file, 1, 0, JNI_FALSE, 0), 1);
    EXPECT_EQ(QM_EXPORT(InitializeLog)(env, self, name, QM_OUTPUT_FILE, file, 9, 0, JNI_FALSE, 0), 0);
    EXPECT_EQ(QM_EXPORT(InitializeLog)(env, self, jni.UnobtainableString(), QM_OUTPUT_FILE,
                                       jni.UnobtainableString(), 1, 0, JNI_TRUE, 0), 0);
    ExpectAllReturned("InitializeLog");

    jni.ClearHistory();
    EXPECT_EQ(QM_EXPORT(InitializeTrace)(env, self, name, 1, file, 0, 0, 0, nullptr, nullptr, JNI_FALSE, 0), 0);
    EXPECT_EQ(jni.CharsObtained(), 0) << "a null configuration ends the call before any string is read";

    jstring separator = jni.String("|");
    for (jstring refused : {jni.String(""), jni.String(Path("missing.cfg")), jni.UnobtainableString()}) {
        EXPECT_EQ(QM_EXPORT(InitializeTrace)(env, self, name, 1, file, 0, 0, 2, separator, refused, JNI_FALSE, 0), 0);
    }
    EXPECT_EQ(QM_EXPORT(InitializeTrace)(env, self, name, 1, file, 9, 0, 2, separator, jni.String(config), JNI_FALSE, 0), 0);
    EXPECT_EQ(QM_EXPORT(InitializeTrace)(env, self, name, 1, jni.String(Path("t.log")), 0, 0, 2, separator,
                                         jni.String(config), JNI_FALSE, 0), 1);
    ExpectAllReturned("InitializeTrace");

    EXPECT_EQ(QM_EXPORT(TraceEnabled)(env, self, name), JNI_TRUE);
    EXPECT_EQ(QM_EXPORT(TraceEnabled)(env, self, jni.UnobtainableString()), JNI_FALSE) << "the default logger";
    EXPECT_EQ(QM_EXPORT(TraceEnabledComponent)(env, self, name, kLogComponent), JNI_TRUE);
    ExpectAllReturned("TraceEnabled");
}

TEST_F(JniReleaseTest, ThreadsTraceAndWarnAtTheSameTime) {
    Captured records;
    Captured warnings;
    CaptureTrace(getMyLogger(m_name.c_str()), records, "components: Log/Legacy\ndata: Message, Tid\n");
    CaptureTrace(theLogger(), warnings, "components: Log\ndata: Function, Tid\n");
    constexpr int kThreads = 4;
    constexpr int kCalls = 50;

    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this] {
            FakeJni own;  // a JNIEnv belongs to one thread
            for (int i = 0; i < kCalls; ++i) {
                TraceMsgArray(own.env(), own.receiver(), own.String(m_name), nullptr, nullptr, kLegacyTrace,
                              nullptr, own.String("%s"), own.StringArray({"record"}));
                TraceMsgArray(own.env(), own.receiver(), own.String(m_name), nullptr, nullptr, kLegacyTrace,
                              nullptr, own.String("%s"), own.StringArray({"1", "2", "3", "4", "5", "6"}));
            }
            EXPECT_EQ(own.CharsOutstanding() + own.LocalRefsOutstanding(), 0);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(records.Count(), static_cast<std::size_t>(kThreads * kCalls + 2));  // + heading lines
    EXPECT_EQ(warnings.Count(), static_cast<std::size_t>(kThreads * kCalls + 2));
}

}  // namespace
}  // namespace qmtest
