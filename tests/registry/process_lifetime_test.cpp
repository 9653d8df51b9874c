// The process around the loggers: exit while detached threads log, and fork
// while threads log. Both run real processes.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/logger_lifecycle.h"
#include "platform/child_process.h"
#include "qmerrlog/qmerrlog.h"
#include "support/temp_dir.h"

namespace {

constexpr unsigned int kChildTimeoutMs = 20000;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

// Detached threads log through the default logger, a named logger or both
// while main returns: every run ends normally (no crash, no sanitizer report,
// which would end it with a failure code).
TEST(ProcessExit, ThreadsStillLoggingWhileMainReturnsNeverCrashTheProcess) {
    qmtest::TempDir dir;
    const struct {
        const char* loggers;
        int runs;
    } cases[] = {{"default", 100}, {"named", 100}, {"both", 20}};
    for (const auto& c : cases) {
        int failures = 0;
        for (int run = 0; run < c.runs; ++run) {
            const std::string where = dir.Path();
            const char* const arguments[] = {c.loggers, where.c_str(), nullptr};
            const int child = qm::platform::StartProgram(QM_EXIT_HELPER, arguments);
            ASSERT_GT(child, 0);
            const int outcome = qm::platform::WaitChildProcess(child, kChildTimeoutMs);
            if (outcome != 0) ++failures;
            EXPECT_EQ(0, outcome) << c.loggers << " run " << run;
        }
        EXPECT_EQ(0, failures) << c.loggers;
    }
}

// The exit handler closes (and so flushes) every output of every logger;
// lines after it are refused and nothing can be installed any more. Run in
// a child, since the handler's work cannot be undone.
TEST(ProcessExit, AfterTheExitHandlerLinesAndInstallsAreRefused) {
    qmtest::TempDir dir;
    const std::string path = dir.Path("late.log");
    const int child = qm::platform::ForkProcess();
    if (child < 0) GTEST_SKIP() << "processes cannot fork on this platform";
    if (child == 0) {
        CQmLogger* logger = getMyLogger("exit-late");
        int failed = 0;
        if (!logger->SetLogOutput(logger->NewLogOutput(QM_OUTPUT_FILE, path.c_str(), 1, 0, 0))) failed |= 1;
        CQmErrLogMessage message(false);
        message.FormatAuditMessage("before\n");
        if (!logger->LogErrMsg(message)) failed |= 2;
        qm::CloseOutputsForExit();
        if (logger->LogErrMsg(message) || theLogger()->LogErrMsg(message)) failed |= 4;
        CQmLogOutput* late = logger->NewLogOutput(QM_OUTPUT_FILE, path.c_str(), 1, 0, 0);
        if (logger->SetLogOutput(late) || logger->EnableAuditLogRollover(late)) failed |= 8;
        if (logger->EnableTrace(late, 0, nullptr, nullptr, false, false, false)) failed |= 16;
        if (ReadAll(path) != "before\n") failed |= 32;
        std::_Exit(failed);
    }
    EXPECT_EQ(0, qm::platform::WaitChildProcess(child, kChildTimeoutMs));
}
