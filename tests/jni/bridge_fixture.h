// Shared set-up of the bridge tests: short names for the exports, loggers
// whose outputs land in memory, and trace configuration files in a private
// temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "com_corvane_qmerrlog_QmLogger.h"
#include "jni/fake_jni_env.h"
#include "qmerrlog/logger.h"

namespace qmtest {

// Component 1 (the library's own catalogue), type information, message 1: "%1s".
constexpr jint kInfoMessage = 0x01004001;
// Trace component Log/Legacy, and the Log component as a whole.
constexpr jint kLegacyTrace = 0x01010000;
constexpr jint kLogComponent = 0x01000000;

// Lines written to an in-memory output.
class Captured {
public:
    static void Callback(const char* text, int length, void* user);
    std::vector<std::string> Lines();
    void Clear();

private:
    std::mutex m_lock;
    std::vector<std::string> m_lines;
};

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A named logger private to the running test.
    CQmLogger* TestLogger(const std::string& suffix = "");
    std::string TestLoggerName(const std::string& suffix = "");
    // Sends the logger's log lines, or its trace records, to `into`; the
    // trace heading lines are dropped.
    void CaptureLog(CQmLogger* logger, Captured& into);
    void CaptureTrace(CQmLogger* logger, Captured& into, const std::string& configuration);
    std::string WriteFile(const std::string& name, const std::string& text);
    std::string Path(const std::string& name) const;

    // Every string and element handed out has been given back, without misuse.
    void ExpectAllReturned(const std::string& context);

    jint LogMsg(jstring name, jstring source, jint id, jstring argument) {
        return Java_com_corvane_qmerrlog_QmLogger_LogMsg__Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2(
            jni.env(), jni.receiver(), name, source, id, argument);
    }
    jint LogMsg(jstring name, jstring source, jint id, jobjectArray arguments) {
        return Java_com_corvane_qmerrlog_QmLogger_LogMsg__Ljava_lang_String_2Ljava_lang_String_2I_3Ljava_lang_String_2(
            jni.env(), jni.receiver(), name, source, id, arguments);
    }
    jint TraceMsg(jstring name, jstring source, jstring function, jint id, jstring transaction,
                  jstring text) {
        return Java_com_corvane_qmerrlog_QmLogger_TraceMsg__Ljava_lang_String_2Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2Ljava_lang_String_2(
            jni.env(), jni.receiver(), name, source, function, id, transaction, text);
    }
    jint TraceMsg(jstring name, jstring source, jstring function, jint id, jstring transaction,
                  jstring text, jobjectArray arguments) {
        return Java_com_corvane_qmerrlog_QmLogger_TraceMsg__Ljava_lang_String_2Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2Ljava_lang_String_2_3Ljava_lang_String_2(
            jni.env(), jni.receiver(), name, source, function, id, transaction, text, arguments);
    }
    bool TraceEnabled(jstring name) {
        return Java_com_corvane_qmerrlog_QmLogger_TraceEnabled(jni.env(), jni.receiver(), name) ==
               JNI_TRUE;
    }
    bool TraceEnabledComponent(jstring name, jint id) {
        return Java_com_corvane_qmerrlog_QmLogger_TraceEnabledComponent(jni.env(), jni.receiver(),
                                                                         name, id) == JNI_TRUE;
    }
    jint InitializeLog(jstring name, jint type, jstring file, jint mode, jint sizeMb,
                       bool localTime, jint backups) {
        return Java_com_corvane_qmerrlog_QmLogger_InitializeLog(
            jni.env(), jni.receiver(), name, type, file, mode, sizeMb,
            localTime ? JNI_TRUE : JNI_FALSE, backups);
    }
    jint InitializeTrace(jstring name, jint type, jstring file, jint mode, jint sizeMb, jint format,
                         jstring separator, jstring config, bool localTime, jint backups) {
        return Java_com_corvane_qmerrlog_QmLogger_InitializeTrace(
            jni.env(), jni.receiver(), name, type, file, mode, sizeMb, format, separator, config,
            localTime ? JNI_TRUE : JNI_FALSE, backups);
    }

    FakeJni jni;

private:
    std::filesystem::path m_dir;
    std::vector<CQmLogger*> m_touched;
};

}  // namespace qmtest
