// The process around the loggers: exit while detached threads log, and fork
// while threads log. Both run real processes.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/logger_lifecycle.h"
#include "platform/child_process.h"
#include "qmerrlog/qmerrlog.h"
#include "support/temp_dir.h"
#include "support/trace_steps.h"

constexpr unsigned int kChildTimeoutMs = 10000;

// A thread-sanitizer program takes about a second to start and end.
#if defined(__SANITIZE_THREAD__)
constexpr int kExitRunsPerCase = 15;
#else
constexpr int kExitRunsPerCase = 100;
#endif

static bool LogTagged(CQmLogger* logger, int code) {
    CQmErrLogMessage message(false);
    message.FormatLogProlog("fork", code, code);
    message.FormatLogMessage(static_cast<int>(QmMessageId(1, QM_MSG_INFO, 1)), "child line");
    return logger->LogErrMsg(message);
}

// Detached threads log through the default logger, a named one or both while
// main returns: every run ends with 0 (a crash or sanitizer report would not).
TEST(ProcessExit, ThreadsStillLoggingWhileMainReturnsNeverCrashTheProcess) {
    qmtest::TempDir dir;
    const struct { const char* loggers; int runs; } cases[] = {
        {"default", kExitRunsPerCase}, {"named", kExitRunsPerCase}, {"both", kExitRunsPerCase / 5}};
    for (const auto& c : cases) {
        for (int run = 0; run < c.runs; ++run) {
            const std::string where = dir.Path("exit");
            const char* const arguments[] = {c.loggers, where.c_str(), nullptr};
            const int child = qm::platform::StartProgram(QM_EXIT_HELPER, arguments);
            ASSERT_GT(child, 0);
            const int outcome = qm::platform::WaitChildProcess(child, kChildTimeoutMs);
#if defined(_WIN32)
            // Under Wine a process whose threads were ended mid-write now and then
            // never finishes its teardown: a time-out there says nothing about us.
            if (outcome == qm::platform::kChildTimedOut) continue;
#endif
            EXPECT_EQ(0, outcome) << c.loggers << " run " << run;
        }
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
        if (qmtest::TraceTo(logger, late, dir.Write("t.cfg", "components: Log\n"))) failed |= 16;
        if (dir.Read("late.log") != "before\n") failed |= 32;
        std::_Exit(failed);
    }
    EXPECT_EQ(0, qm::platform::WaitChildProcess(child, kChildTimeoutMs));
}

// Threads log hard through the default and a named logger (a size-limited file
// keeps the file lock busy, tracing uses the pool, outputs are swapped) while
// the process forks 40 times: every child logs at once, with its own ids.
TEST(Fork, ChildrenLogWithTheirOwnIdsWhileParentThreadsLogHard) {
    qmtest::TempDir dir;
    CQmLogger* main = theLogger();
    CQmLogger* named = getMyLogger("fork-named");
    const auto file = [&dir](CQmLogger* logger, const char* name, int mode, int size = 0, int backups = 0) {
        return logger->NewLogOutput(QM_OUTPUT_FILE, dir.Path(name).c_str(), mode, size, backups);
    };
    ASSERT_TRUE(main->SetLogOutput(file(main, "main.log", 1)));
    ASSERT_TRUE(named->SetLogOutput(file(named, "named.log", 3, 1000, 2)));
    ASSERT_TRUE(qmtest::TraceTo(main, file(main, "trace.log", 1),
                                dir.Write("trace.cfg", "components: Log\ndata: Message\n")));

    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    const auto running = [&stop] { return !stop.load(std::memory_order_relaxed); };
    for (CQmLogger* logger : {main, named, main, named}) {
        threads.emplace_back([logger, running] { while (running()) LogTagged(logger, 1); });
    }
    threads.emplace_back([main, running] { while (running()) qmtest::TraceOnce(main, "traced"); });
    // Writers queue on the guards while others read: forks meet them too.
    threads.emplace_back([&] {
        while (running()) named->EnableAuditLogRollover(file(named, "audit.log", 1)), named->DisableAuditLog();
    });

    std::vector<int> children;
    int hungOrFailed = 0;
    for (int i = 0; i < 40; ++i) {
        const int child = qm::platform::ForkProcess();
        if (child < 0) {
            stop = true;
            for (std::thread& thread : threads) thread.join();
            GTEST_SKIP() << "processes cannot fork on this platform";
        }
        if (child == 0) {
            const bool logged = LogTagged(main, 7777) && LogTagged(named, 7777);
            std::_Exit(logged ? 0 : 1);
        }
        children.push_back(child);
        const int outcome = qm::platform::WaitChildProcess(child, kChildTimeoutMs);
        EXPECT_EQ(0, outcome) << "child " << i;
        // A hung child is killed at the time limit; a few are proof enough.
        if (outcome != 0 && ++hungOrFailed == 3) break;
    }
    stop = true;
    for (std::thread& thread : threads) thread.join();

    // A child's only thread is the one that forked, whose kernel id on Linux
    // is the process id: "[pid/pid]" names the child itself, not the parent.
    const std::string mainText = dir.Read("main.log");
    for (int child : children) {
        const std::string ids = "[" + std::to_string(child) + "/" + std::to_string(child) + "]";
        EXPECT_NE(std::string::npos, mainText.find(ids)) << ids;
    }
    main->DisableLog(), main->DisableTrace(false);
    removeMyLogger("fork-named");
}
