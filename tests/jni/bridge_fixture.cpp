#include "jni/bridge_fixture.h"

#include <fstream>
#include <random>

#include "qmerrlog/message.h"
#include "qmerrlog/registry.h"

namespace qmtest {

void Captured::Callback(const char* text, int length, void* user) {
    Captured* self = static_cast<Captured*>(user);
    std::lock_guard<std::mutex> hold(self->m_lock);
    self->m_lines.emplace_back(text, static_cast<std::size_t>(length));
}

std::vector<std::string> Captured::Lines() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_lines;
}

void Captured::Clear() {
    std::lock_guard<std::mutex> hold(m_lock);
    m_lines.clear();
}

void BridgeTest::SetUp() {
    std::random_device random;
    m_dir = std::filesystem::temp_directory_path() /
            ("qmerrlog_jni_" + std::to_string(random()) + "_" + std::to_string(random()));
    std::filesystem::create_directories(m_dir);
}

void BridgeTest::TearDown() {
    // The captures die with the test; no logger may keep writing to them.
    m_touched.push_back(theLogger());
    for (CQmLogger* logger : m_touched) {
        logger->DisableLog();
        logger->DisableTrace(false);
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

std::string BridgeTest::TestLoggerName(const std::string& suffix) {
    return std::string("jni-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
           suffix;
}

CQmLogger* BridgeTest::TestLogger(const std::string& suffix) {
    CQmLogger* logger = getMyLogger(TestLoggerName(suffix).c_str());
    m_touched.push_back(logger);
    return logger;
}

void BridgeTest::CaptureLog(CQmLogger* logger, Captured& into) {
    m_touched.push_back(logger);
    ASSERT_TRUE(logger->SetLogOutput(logger->NewLogOutput(QM_OUTPUT_SYNC_PARAM_CALLBACK,
                                                          &Captured::Callback, &into)));
}

void BridgeTest::CaptureTrace(CQmLogger* logger, Captured& into, const std::string& configuration) {
    m_touched.push_back(logger);
    std::string config = WriteFile("trace" + std::to_string(m_touched.size()) + ".cfg", configuration);
    CQmLogOutput* output =
        logger->NewLogOutput(QM_OUTPUT_SYNC_PARAM_CALLBACK, &Captured::Callback, &into);
    ASSERT_TRUE(logger->EnableTrace(output, QM_TRACE_BRACKETED, nullptr, config.c_str(), false,
                                    false, false));
    into.Clear();
}

std::string BridgeTest::Path(const std::string& name) const { return (m_dir / name).string(); }

std::string BridgeTest::WriteFile(const std::string& name, const std::string& text) {
    std::string path = Path(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

void BridgeTest::ExpectAllReturned(const std::string& context) {
    EXPECT_EQ(jni.CharsOutstanding(), 0) << context;
    EXPECT_EQ(jni.LocalRefsOutstanding(), 0) << context;
    EXPECT_TRUE(jni.Errors().empty()) << context << ": " << (jni.Errors().empty() ? "" : jni.Errors()[0]);
}

}  // namespace qmtest
