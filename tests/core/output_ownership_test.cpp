// Who owns an output: one slot of one logger at most, and a refused output
// is the caller's again with nothing of the logger still using it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "qmerrlog/qmerrlog.h"
#include "support/logger_test_access.h"
#include "support/recording_output.h"
#include "support/temp_dir.h"

using qmtest::OutputEvents;
using qmtest::RecordingOutput;

namespace {

struct Slot {
    const char* name;
    std::function<bool(CQmLogger&, CQmLogOutput*)> install;
    std::function<void(CQmLogger&)> remove;
};

std::string g_config;

std::vector<Slot> Slots() {
    return {
        {"log", [](CQmLogger& l, CQmLogOutput* o) { return l.SetLogOutput(o); },
         [](CQmLogger& l) { l.DisableLog(); }},
        {"audit", [](CQmLogger& l, CQmLogOutput* o) { return l.EnableAuditLogRollover(o); },
         [](CQmLogger& l) { l.DisableAuditLog(); }},
        {"trace main",
         [](CQmLogger& l, CQmLogOutput* o) {
             return l.EnableTrace(o, 0, nullptr, g_config.c_str(), false, false, false);
         },
         [](CQmLogger& l) { l.DisableTrace(false); }},
        {"trace second",
         [](CQmLogger& l, CQmLogOutput* o) {
             RecordingOutput* main = new RecordingOutput();
             const bool installed = l.EnableTrace(main, o, 0, nullptr, g_config.c_str(), false, false, false);
             if (!installed) delete main;  // refused: the caller's again
             return installed;
         },
         [](CQmLogger& l) { l.DisableTrace(false); }},
    };
}

}  // namespace

bool IsTrace(const Slot& slot) { return std::string(slot.name).rfind("trace", 0) == 0; }

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
                OutputEvents events;
                RecordingOutput* output = new RecordingOutput(&events);
                ASSERT_TRUE(home.install(*first, output));
                const bool handedBack = sameLogger && home.name != other.name && IsTrace(home) && IsTrace(other);
                if (sameLogger && home.name == other.name) {
                    // Handed in again to its own slot: kept, still one owner.
                    EXPECT_TRUE(other.install(elsewhere, output));
                } else {
                    EXPECT_FALSE(other.install(elsewhere, output));
                }
                EXPECT_EQ(0, events.destroyed.load());
                home.remove(*first);
                if (handedBack) {
                    EXPECT_EQ(events.opened.load(), events.closed.load());
                    EXPECT_EQ(0, events.destroyed.load());
                    delete output;
                }
                EXPECT_EQ(1, events.destroyed.load());
                // Removed, a new output of the same kind may go anywhere.
                OutputEvents again;
                EXPECT_TRUE(other.install(elsewhere, new RecordingOutput(&again)));
                first.reset();
                second.reset();
                EXPECT_EQ(1, events.destroyed.load());
                EXPECT_EQ(1, again.destroyed.load());
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
        ASSERT_TRUE(logger->EnableTrace(main, 0, nullptr, good.c_str(), false, false, false));
        RecordingOutput* second = new RecordingOutput(&secondEvents, c.secondOpens);
        EXPECT_FALSE(logger->EnableTrace(main, second, 0, nullptr, c.config->c_str(), false, false, false));

        CQmErrLogMessage message(false);
        message.FormatAuditMessage("after");
        const int linesBefore = mainEvents.logged.load();
        EXPECT_FALSE(logger->LogTraceMsg(message));
        EXPECT_EQ(linesBefore, mainEvents.logged.load());
        EXPECT_EQ(mainEvents.opened.load(), mainEvents.closed.load());
        EXPECT_EQ(0, secondEvents.logged.load());
        delete main;
        delete second;
        // Both are free to go anywhere again.
        logger.reset();
        EXPECT_EQ(1, mainEvents.destroyed.load());
        EXPECT_EQ(1, secondEvents.destroyed.load());
    }
}
