// The logger object: its output slots (installing, refusing, replacing, who
// owns an output), dispatch results, and outputs replaced while many threads
// log. An output belongs to one slot of one logger at most, and a refused
// output is the caller's again with nothing of the logger still using it.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "qmerrlog/qmerrlog.h"
#include "support/eventually.h"
#include "support/logger_test_access.h"
#include "support/recording_output.h"
#include "support/trace_steps.h"
#include "support/temp_dir.h"

using qmtest::OutputEvents;
using qmtest::RecordingOutput;

namespace {

CQmErrLogMessage& Text(CQmErrLogMessage& message, const char* text) {
    message.FormatAuditMessage("%s", text);
    return message;
}

std::string g_config;  // the trace slots' configuration file

// Every slot of a logger: how an output goes in, how a line is written to it
// and how the slot is emptied.
struct Slot {
    const char* name;
    std::function<bool(CQmLogger&, CQmLogOutput*)> install;
    bool (CQmLogger::*log)(CQmErrLogMessage&);
    std::function<void(CQmLogger&)> remove;
    bool IsTrace() const { return log == &CQmLogger::LogTraceMsg; }
};

std::vector<Slot> Slots() {
    return {
        {"log", [](CQmLogger& l, CQmLogOutput* o) { return l.SetLogOutput(o); }, &CQmLogger::LogErrMsg,
         [](CQmLogger& l) { l.DisableLog(); }},
        {"audit", [](CQmLogger& l, CQmLogOutput* o) { return l.EnableAuditLogRollover(o); },
         &CQmLogger::LogAuditMsg, [](CQmLogger& l) { l.DisableAuditLog(); }},
        {"trace main", [](CQmLogger& l, CQmLogOutput* o) { return qmtest::TraceTo(&l, o, g_config); },
         &CQmLogger::LogTraceMsg, [](CQmLogger& l) { l.DisableTrace(false); }},
        {"trace second",
         [](CQmLogger& l, CQmLogOutput* o) {
             RecordingOutput* main = new RecordingOutput();
             const bool installed = l.EnableTrace(main, o, 0, nullptr, g_config.c_str(), false, false, false);
             if (!installed) delete main;  // refused: the caller's again
             return installed;
         },
         &CQmLogger::LogTraceMsg, [](CQmLogger& l) { l.DisableTrace(false); }},
    };
}

// Blocks inside Log until released, to hold the read side of a guard.
class GateOutput : public RecordingOutput {
public:
    using RecordingOutput::RecordingOutput;
    bool Log(CQmErrLogMessage& message) override {
        inside = true;
        while (!release) std::this_thread::yield();
        return RecordingOutput::Log(message);
    }
    std::atomic<bool> inside{false}, release{false};
};

}  // namespace

// Null, or an output that fails to open, is refused: the slot's previous
// output is gone and the refused one is the caller's. An installed output is
// not the caller's to delete.
TEST(Logger, ARefusedOutputIsTheCallersAndEmptiesTheSlot) {
    for (const Slot& slot : Slots()) {
        if (slot.IsTrace()) continue;  // refused trace set-ups hand everything back (below)
        SCOPED_TRACE(slot.name);
        std::unique_ptr<CQmLogger> logger(CQmLoggerTestAccess::Make());
        CQmErrLogMessage message(false);
        auto log = [&] { return (logger.get()->*slot.log)(Text(message, "x")); };
        OutputEvents first, refused;
        RecordingOutput* output = new RecordingOutput(&first);
        ASSERT_TRUE(slot.install(*logger, output));
        EXPECT_FALSE(slot.install(*logger, nullptr));
        logger->DeleteLogOutput(output);
        EXPECT_TRUE(log());
        RecordingOutput* bad = new RecordingOutput(&refused, /*openResult=*/false);
        EXPECT_FALSE(slot.install(*logger, bad));
        EXPECT_EQ(2, first.closed + first.destroyed);
        EXPECT_FALSE(log());
        logger->DeleteLogOutput(bad);
        EXPECT_EQ(1, refused.destroyed);
    }
}

TEST(Logger, LocalTimeFlagReachesNewMessages) {
    const bool before = theLogger()->ShouldUseLocalTime();
    theLogger()->UseLocalTime(true);
    EXPECT_TRUE(CQmErrLogMessage().UsesLocalTime());
    theLogger()->UseLocalTime(false);
    EXPECT_FALSE(CQmErrLogMessage().UsesLocalTime());
    theLogger()->UseLocalTime(before);
}

TEST(LogAuditSwitching, DisableWaitsForAuditCallInProgress) {
    std::unique_ptr<CQmLogger> logger(CQmLoggerTestAccess::Make());
    OutputEvents events;
    GateOutput* gate = new GateOutput(&events);
    ASSERT_TRUE(logger->EnableAuditLogRollover(gate));
    std::thread writer([&] {
        CQmErrLogMessage message(false);
        EXPECT_TRUE(logger->LogAuditMsg(Text(message, "in flight")));
    });
    EXPECT_TRUE(qmtest::Eventually([&] { return gate->inside.load(); }));
    std::atomic<bool> disabled{false};
    std::thread switcher([&] { logger->DisableAuditLog(), disabled = true; });
    // While the audit call is inside Log, the error log is not held up.
    EXPECT_TRUE(logger->SetLogOutput(new RecordingOutput()));
    EXPECT_FALSE(disabled);
    EXPECT_EQ(0, events.closed);
    gate->release = true;
    writer.join(), switcher.join();
    EXPECT_TRUE(disabled && events.closed == 1 && events.destroyed == 1);
}

TEST(LoggerConcurrency, OutputsReplacedWhileThreadsLogLoseNothing) {
    std::unique_ptr<CQmLogger> logger(CQmLoggerTestAccess::Make());
    OutputEvents events;
    ASSERT_TRUE(logger->SetLogOutput(new RecordingOutput(&events)));
    std::atomic<int> accepted{0};
    std::atomic<bool> done{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            CQmErrLogMessage message(false);
            Text(message, "line");
            for (int i = 0; i < 2000; ++i) accepted += logger->LogErrMsg(message);
        });
    }
    std::thread replacer([&] {
        for (int replaced = 0; !done || replaced < 20; ++replaced) {
            if (replaced % 5 == 4) logger->DisableLog();
            logger->SetLogOutput(new RecordingOutput(&events));
        }
    });
    for (std::thread& t : threads) t.join();
    done = true;
    replacer.join();
    logger.reset();
    // Every accepted line reached exactly one output; every output was closed
    // and deleted exactly once, never while a Log call ran on it (ASan, TSan).
    EXPECT_EQ(accepted.load(), events.logged.load());
    EXPECT_TRUE(events.opened == events.closed && events.opened == events.destroyed);
}

// An output installed in any slot of any logger is refused by every other
// slot of that logger and of another one, stays where it is, and is deleted
// exactly once, by the slot that holds it. The one exception: handed to the
// other trace slot of its own logger, the refusal hands it back (a refused
// EnableTrace leaves nothing handed in with the logger).
TEST(OutputOwnership, AnInstalledOutputIsRefusedEverywhereElseUntilRemoved) {
    qmtest::TempDir dir;
    g_config = dir.Write("trace.cfg", "components: Log\ndata: Message\n");
    for (const Slot& home : Slots()) {
        for (const Slot& other : Slots()) {
            for (bool sameLogger : {true, false}) {
                SCOPED_TRACE(std::string(home.name) + " then " + other.name + (sameLogger ? " (same)" : " (other)"));
                std::unique_ptr<CQmLogger> first(CQmLoggerTestAccess::Make());
                std::unique_ptr<CQmLogger> second(CQmLoggerTestAccess::Make());
                CQmLogger& elsewhere = sameLogger ? *first : *second;
                OutputEvents events, again;
                RecordingOutput* output = new RecordingOutput(&events);
                ASSERT_TRUE(home.install(*first, output));
                const bool sameSlot = sameLogger && home.name == other.name;
                // Handed in again to its own slot: kept, still one owner.
                EXPECT_EQ(other.install(elsewhere, output), sameSlot);
                EXPECT_EQ(0, events.destroyed.load());
                home.remove(*first);
                if (sameLogger && !sameSlot && home.IsTrace() && other.IsTrace()) {
                    EXPECT_TRUE(events.opened == events.closed && events.destroyed == 0);
                    delete output;
                }
                EXPECT_EQ(1, events.destroyed.load());
                // Removed, a new output of the same kind may go anywhere.
                EXPECT_TRUE(other.install(elsewhere, new RecordingOutput(&again)));
                first.reset(), second.reset();
                EXPECT_TRUE(events.destroyed == 1 && again.destroyed == 1);
            }
        }
    }
}

// A refused EnableTrace hands every output back: the installed main output
// comes out closed, not deleted, and the caller may delete both.
TEST(OutputOwnership, RefusedEnableTraceHandsEveryOutputBack) {
    qmtest::TempDir dir;
    const std::string good = dir.Write("trace.cfg", "components: Log\ndata: Message\n");
    const std::string missing = dir.Path("missing.cfg");
    const struct { const char* name; bool secondOpens; const std::string* config; } cases[] = {
        {"second output fails to open", false, &good}, {"configuration refused", true, &missing}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CQmLogger> logger(CQmLoggerTestAccess::Make());
        OutputEvents mainEvents, secondEvents;
        RecordingOutput* main = new RecordingOutput(&mainEvents);
        ASSERT_TRUE(qmtest::TraceTo(logger.get(), main, good));
        RecordingOutput* second = new RecordingOutput(&secondEvents, c.secondOpens);
        EXPECT_FALSE(logger->EnableTrace(main, second, 0, nullptr, c.config->c_str(), false, false, false));

        CQmErrLogMessage message(false);
        EXPECT_FALSE(logger->LogTraceMsg(Text(message, "after")));
        EXPECT_EQ(mainEvents.opened.load(), mainEvents.closed.load());
        delete main, delete second, logger.reset();
        EXPECT_TRUE(mainEvents.destroyed == 1 && secondEvents.destroyed == 1);
    }
}
