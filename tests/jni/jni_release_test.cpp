// Whatever path a native method takes, every string's characters and every
// array element's local reference go back to the virtual machine. The JVM
// run (QmLoggerTest.java) checks what the methods write; this test checks
// the books, and runs under the sanitizers. The bridge never looks at the
// class a static method is called on, so the calls pass none.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "com_corvane_qmerrlog_QmLogger.h"
#include "jni/fake_jni_env.h"
#include "support/temp_dir.h"
#include "support/trace_steps.h"

namespace qmtest {
namespace {

constexpr jint kInfoMessage = 0x01004001;  // the library's own catalogue: "%1s"
constexpr jint kLegacyTrace = 0x01010000;  // Log/Legacy
#define QM_EXPORT(name) Java_com_corvane_qmerrlog_QmLogger_##name
constexpr auto LogMsgOne = &QM_EXPORT(LogMsg__Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2);
constexpr auto LogMsgArray = &QM_EXPORT(LogMsg__Ljava_lang_String_2Ljava_lang_String_2I_3Ljava_lang_String_2);
constexpr auto TraceMsgOne = &QM_EXPORT(
    TraceMsg__Ljava_lang_String_2Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2Ljava_lang_String_2);
constexpr auto TraceMsgArray = &QM_EXPORT(
    TraceMsg__Ljava_lang_String_2Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2Ljava_lang_String_2_3Ljava_lang_String_2);

void Count(const char*, int, void* counter) { ++*static_cast<std::atomic<int>*>(counter); }
void CountTrace(CQmLogger* logger, std::atomic<int>& counter, const std::string& file) {
    ASSERT_TRUE(TraceTo(logger, logger->NewLogOutput(QM_OUTPUT_SYNC_PARAM_CALLBACK, &Count, &counter), file));
}

// Every logger that counts into these counters is set up anew from files
// before the test ends, so none keeps them.
TEST(JniRelease, EveryNativeMethodGivesEverythingBackOnEveryPath) {
    FakeJni jni;
    TempDir dir;
    // The three ways a string can arrive, and arrays of every length that matters.
    const auto strings = [&jni](const std::string& text) {
        return std::vector<jstring>{nullptr, jni.String(text), jni.Unobtainable()};
    };
    const auto s = [&jni](const char* text) { return jni.String(text); };
    const std::vector<jobjectArray> arrays = {nullptr, jni.Array({}), jni.Array({nullptr}),
                                              jni.Array({s("a"), nullptr, jni.Unobtainable(), s("d"), s("e")}),
                                              jni.Array({s("1"), s("2"), s("3"), s("4"), s("5"), s("6")})};
    std::atomic<int> traced{0}, warnings{0};
    for (bool on : {false, true}) {
        if (on) {
            CountTrace(getMyLogger("jni"), traced,
                       dir.Write("jni.cfg", "components: Log\ndata: Function, TransactionID, Message, SrcFile\n"));
            CountTrace(theLogger(), warnings, dir.Write("default.cfg", "components: Log\ndata: Message\n"));
        }
        for (jstring logger : {jstring(nullptr), jni.String(""), jni.String("jni"), jni.Unobtainable()}) {
            for (jstring text : strings("%s and %s")) {
                for (jstring other : strings("dir/File.java")) {
                    EXPECT_EQ(LogMsgOne(&jni, nullptr, logger, other, kInfoMessage, text), 1);
                    EXPECT_EQ(TraceMsgOne(&jni, nullptr, logger, other, other, kLegacyTrace, other, text), 1);
                    for (jobjectArray arguments : arrays) {
                        EXPECT_EQ(LogMsgArray(&jni, nullptr, logger, other, kInfoMessage, arguments), 1);
                        EXPECT_EQ(TraceMsgArray(&jni, nullptr, logger, other, other, kLegacyTrace, other,
                                                text, arguments), 1);
                    }
                    ASSERT_EQ(jni.Books(), "0 0 0");
                }
            }
        }
    }
    // Otherwise the loops above could pass by tracing nothing at all.
    EXPECT_GT(traced.load(), 2);
    EXPECT_GT(warnings.load(), 2);

    const std::string config = dir.Write("ok.cfg", "components: Log\ndata: Message\n");
    const std::vector<jstring> configs = {nullptr, jni.String(""), jni.String(dir.Path("missing.cfg")),
                                          jni.String(config), jni.Unobtainable()};
    for (jstring name : strings("jni")) {
        for (jstring file : strings(dir.Path("out.log"))) {
            for (jint mode : {1, 9}) {  // accepted and refused
                QM_EXPORT(InitializeLog)(&jni, nullptr, name, QM_OUTPUT_FILE, file, mode, 0, JNI_FALSE, 0);
                for (jstring cfg : configs) {
                    QM_EXPORT(InitializeTrace)(&jni, nullptr, name, QM_OUTPUT_FILE, file, mode, 0,
                                               QM_TRACE_DELIMITED, jni.String("|"), cfg, JNI_FALSE, 0);
                }
            }
        }
        QM_EXPORT(TraceEnabled)(&jni, nullptr, name);
        QM_EXPORT(TraceEnabledComponent)(&jni, nullptr, name, kLegacyTrace);
        ASSERT_EQ(jni.Books(), "0 0 0");
    }
    // Otherwise the loops above could pass by refusing everything.
    EXPECT_EQ(QM_EXPORT(TraceEnabledComponent)(&jni, nullptr, jni.String("jni"), kLegacyTrace), JNI_TRUE);
}

}  // namespace
}  // namespace qmtest
