// The logger object: initial state, installing outputs, dispatch results, and
// outputs replaced while many threads log.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "qmerrlog/qmerrlog.h"
#include "support/logger_test_access.h"
#include "support/recording_output.h"
#include "support/temp_dir.h"

using qmtest::OutputEvents;
using qmtest::RecordingOutput;

namespace {

CQmErrLogMessage& Text(CQmErrLogMessage& message, const char* text) {
    message.FormatAuditMessage("%s", text);
    return message;
}

// The error-log and audit slots follow the same rules.
struct Slot {
    const char* name;
    bool (CQmLogger::*install)(CQmLogOutput*);
    bool (CQmLogger::*log)(CQmErrLogMessage&);
    void (CQmLogger::*disable)();
};
const Slot kSlots[] = {
    {"log", &CQmLogger::SetLogOutput, &CQmLogger::LogErrMsg, &CQmLogger::DisableLog},
    {"audit", &CQmLogger::EnableAuditLogRollover, &CQmLogger::LogAuditMsg, &CQmLogger::DisableAuditLog},
};

}  // namespace

// A new logger is ready and has no output: every kind of line is refused.
TEST(Logger, OutputSlotsInstallRefuseReplaceAndSwitchOff) {
    EXPECT_EQ(theLogger(), theLogger());
    for (const Slot& slot : kSlots) {
        SCOPED_TRACE(slot.name);
        std::unique_ptr<CQmLogger> logger(CQmLoggerTestAccess::Make());
        EXPECT_TRUE(logger->Inited());
        auto install = [&](CQmLogOutput* output) { return (logger.get()->*slot.install)(output); };
        CQmErrLogMessage message(false);
        auto log = [&] { return (logger.get()->*slot.log)(Text(message, "x")); };
        EXPECT_FALSE(log() || logger->LogTraceMsg(message));
        (logger.get()->*slot.disable)();  // nothing installed: nothing happens

        OutputEvents first, refused;
        RecordingOutput* output = new RecordingOutput(&first);
        ASSERT_TRUE(install(output));
        EXPECT_FALSE(install(nullptr));
        EXPECT_TRUE(install(output));  // handed in again: stays installed and open
        logger->DeleteLogOutput(output);  // installed: the slot still owns it
        EXPECT_EQ(0, first.closed + first.destroyed);
        EXPECT_TRUE(log());

        // A refused output stays the caller's; the previous one is gone.
        RecordingOutput* bad = new RecordingOutput(&refused, /*openResult=*/false);
        EXPECT_FALSE(install(bad));
        EXPECT_EQ(1, first.closed);
        EXPECT_EQ(1, first.destroyed);
        EXPECT_FALSE(log());
        logger->DeleteLogOutput(bad);
        EXPECT_EQ(1, refused.destroyed);

        ASSERT_TRUE(install(new RecordingOutput(&first)));
        (logger.get()->*slot.disable)();
        EXPECT_FALSE(log());
        EXPECT_EQ(2, first.destroyed);
    }
}

TEST(Logger, TraceDispatchCombinesBothOutputs) {
    std::unique_ptr<CQmLogger> logger(CQmLoggerTestAccess::Make());
    qmtest::TempDir dir;
    const std::string config = dir.Write("trace.cfg", "components: Log\ndata: Message\n");
    RecordingOutput* main = new RecordingOutput(nullptr, true, /*logResult=*/false);
    RecordingOutput* second = new RecordingOutput();
    ASSERT_TRUE(logger->EnableTrace(main, second, 0, nullptr, config.c_str(), false, false, false));
    CQmErrLogMessage message(false);
    EXPECT_FALSE(logger->LogTraceMsg(Text(message, "both")));
    EXPECT_EQ("both", main->Lines().back());
    EXPECT_EQ("both", second->Lines().back());

    logger->DisableTrace(/*mainOnly=*/true);
    EXPECT_TRUE(logger->LogTraceMsg(Text(message, "second only")));
    EXPECT_EQ("second only", second->Lines().back());
}

TEST(Logger, LocalTimeFlagReachesNewMessages) {
    const bool before = theLogger()->ShouldUseLocalTime();
    theLogger()->UseLocalTime(true);
    EXPECT_TRUE(CQmErrLogMessage().UsesLocalTime());
    theLogger()->UseLocalTime(false);
    EXPECT_FALSE(CQmErrLogMessage().UsesLocalTime());
    theLogger()->UseLocalTime(before);
}

namespace {

// Blocks inside Log until released, to hold the read side of a guard.
class GateOutput : public RecordingOutput {
public:
    using RecordingOutput::RecordingOutput;
    bool Log(CQmErrLogMessage& message) override {
        inside = true;
        while (!release) std::this_thread::yield();
        return RecordingOutput::Log(message);
    }
    std::atomic<bool> inside{false};
    std::atomic<bool> release{false};
};

void WaitFor(const std::atomic<bool>& flag) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!flag && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    ASSERT_TRUE(flag);
}

}  // namespace

TEST(LogAuditSwitching, DisableWaitsForAuditCallInProgress) {
    std::unique_ptr<CQmLogger> logger(CQmLoggerTestAccess::Make());
    OutputEvents events;
    GateOutput* gate = new GateOutput(&events);
    ASSERT_TRUE(logger->EnableAuditLogRollover(gate));
    std::thread writer([&] {
        CQmErrLogMessage message(false);
        EXPECT_TRUE(logger->LogAuditMsg(Text(message, "in flight")));
    });
    WaitFor(gate->inside);
    std::atomic<bool> disabled{false};
    std::thread switcher([&] {
        logger->DisableAuditLog();
        disabled = true;
    });
    // While the audit call is inside Log, the error log is not held up.
    RecordingOutput* log = new RecordingOutput();
    EXPECT_TRUE(logger->SetLogOutput(log));
    EXPECT_FALSE(disabled);
    EXPECT_EQ(0, events.closed);
    gate->release = true;
    writer.join();
    switcher.join();
    EXPECT_TRUE(disabled);
    EXPECT_EQ(1, events.closed);
    EXPECT_EQ(1, events.destroyed);
}

TEST(LoggerConcurrency, OutputsReplacedWhileThreadsLogLoseNothing) {
    std::unique_ptr<CQmLogger> logger(CQmLoggerTestAccess::Make());
    OutputEvents events;
    ASSERT_TRUE(logger->SetLogOutput(new RecordingOutput(&events)));
    constexpr int kThreads = 4;
    constexpr int kLines = 2000;
    std::atomic<int> accepted{0};
    std::atomic<bool> done{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            CQmErrLogMessage message(false);
            Text(message, "line");
            for (int i = 0; i < kLines; ++i) {
                if (logger->LogErrMsg(message)) ++accepted;
            }
        });
    }
    std::thread replacer([&] {
        int replaced = 0;
        while (!done || replaced < 20) {
            if (replaced % 5 == 4) logger->DisableLog();
            logger->SetLogOutput(new RecordingOutput(&events));
            ++replaced;
        }
    });
    for (std::thread& t : threads) t.join();
    done = true;
    replacer.join();
    logger.reset();
    // Every accepted line reached exactly one output; every output was closed
    // and deleted exactly once, never while a Log call ran on it (ASan, TSan).
    EXPECT_EQ(accepted.load(), events.logged.load());
    EXPECT_EQ(events.opened.load(), events.closed.load());
    EXPECT_EQ(events.opened.load(), events.destroyed.load());
}
