// Switching tracing on and off, the selection answers, and working copies
// while the configuration changes under many threads.
#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/thread_trace_pool.h"
#include "qmerrlog/qmerrlog.h"
#include "support/eventually.h"
#include "support/recording_output.h"
#include "support/trace_steps.h"
#include "support/temp_dir.h"

using qmtest::RecordingOutput;

namespace {

const unsigned int kLegacy = QmTraceComponentId(1, 1);  // "Log/Legacy"
const unsigned int kLogComponent = QmTraceComponentId(1, 0);
const unsigned int kUnknown = QmTraceComponentId(9, 3);

class TraceSwitching : public testing::Test {
protected:
    void SetUp() override { logger = getMyLogger(LoggerName().c_str()); }
    void TearDown() override { removeMyLogger(LoggerName().c_str()); }
    static std::string LoggerName() {
        return std::string("trace-") + testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    std::string Config(const std::string& text) { return dir.Write("trace.cfg", text); }
    bool Enable(CQmLogOutput* main, const std::string& config, int format = 0, CQmLogOutput* second = nullptr,
                bool mainOnly = false) {
        return logger->EnableTrace(main, second, format, "|", config.c_str(), false, mainOnly, false);
    }

    qmtest::TempDir dir;
    CQmLogger* logger = nullptr;
};

std::atomic<int> g_records{0}, g_malformed{0};

// Configuration a lays out "[msg][tid]", configuration b "tid,msg" (headings
// included): a record mixing the two came from a half-old configuration.
void CheckRecord(const char* text, int length) {
    static const std::regex kWhole(
        R"((\[[mn]\]\[\d*\]|\d*,[mn]|\[Message\]\[Tid\]|\[=+\]\[=+\]|Tid,Message|=+,=+)\n)");
    ++g_records;
    if (!std::regex_match(std::string(text, static_cast<std::size_t>(length)), kWhole)) ++g_malformed;
}

}  // namespace

TEST_F(TraceSwitching, RefusalsChangeNothing) {
    const std::string config = Config("components: Log/Legacy\ndata: Message\n");
    EXPECT_FALSE(qmtest::TraceTo(logger, nullptr, config));

    // An asynchronous main output takes no second output, before any file is read.
    CQmLogOutput* async = logger->NewLogOutput(3, [](const char*, int, QmReleaseFunction) {});
    RecordingOutput second;
    EXPECT_FALSE(logger->EnableTrace(async, &second, 0, nullptr, "/no/such/file", false, false, false));
    logger->DeleteLogOutput(async);

    RecordingOutput* main = new RecordingOutput();
    ASSERT_TRUE(Enable(main, config, QM_TRACE_JSON_LINES));
    EXPECT_TRUE(main->Lines().empty());  // JSON lines have no heading
    RecordingOutput refused;
    EXPECT_FALSE(Enable(&refused, dir.Path("missing.cfg")) || Enable(&refused, config, /*format=*/5));
    EXPECT_TRUE(logger->TraceEnabled(kLegacy));  // the earlier set-up is still in force
}

// A record kept across switches gets the answers of the master in force, not
// the answers cached for the one it was copied from; a thread's working copy
// takes each new layout, also when the new master is again the first one
// after a switch-off.
TEST_F(TraceSwitching, AnswersAndWorkingCopiesFollowEachNewMaster) {
    CQmTraceData kept;
    CQmTraceData* copy = nullptr;
    EXPECT_FALSE(logger->TraceEnabled(0));
    const std::string tid = std::to_string(qm::platform::CurrentThreadId());
    const struct { const char* config; int format; bool log; std::string record; } rounds[] = {
        {"components: Log/Legacy\ndata: Message\n", 0, false, "[one]\n"},  // a trace component alone
        {"components: Log\ndata: Message, Tid\n", 2, true, "one|" + tid + "\n"},  // with its component
        {"components: Log/Legacy\ndata: Message\n", 0, false, "[one]\n"}};
    for (const auto& r : rounds) {
        SCOPED_TRACE(r.config);
        if (&r == &rounds[1]) logger->DisableTrace(false);
        RecordingOutput* output = new RecordingOutput();
        ASSERT_TRUE(Enable(output, Config(r.config), r.format));
        for (int ask = 0; ask < 3; ++ask) {  // the first asks fill the cache, the later ones read it
            EXPECT_TRUE(logger->TraceEnabled(kLegacy) && logger->ShouldTrace(kLegacy, &kept));
            EXPECT_EQ(logger->ShouldTrace(kLogComponent, &kept), r.log);
            EXPECT_EQ(logger->TraceEnabled(kLogComponent), r.log);
            EXPECT_TRUE(logger->TraceEnabled(0));
            EXPECT_FALSE(logger->TraceEnabled(kUnknown) || logger->ShouldTrace(kUnknown, &kept));
            // Once the thread's copy is up to date these come from the cache.
            CQmTraceData* asked = nullptr;
            EXPECT_TRUE(logger->ShouldTraceAlloc(kLegacy, &asked));
            asked = nullptr;
            EXPECT_EQ(logger->ShouldTraceAlloc(kLogComponent, &asked), r.log);
            EXPECT_EQ(asked != nullptr, r.log);
        }
        CQmTraceData* again = nullptr;
        ASSERT_TRUE(logger->ShouldTraceAlloc(kLegacy, &again));
        EXPECT_TRUE(copy == nullptr || copy == again);  // the thread keeps its entry
        copy = again;
        EXPECT_EQ(logger, copy->GetLogger());
        copy->SetFieldValue(QM_FIELD_MESSAGE, "one"), copy->SetFieldValue(QM_FIELD_TID, 0), copy->Format();
        EXPECT_TRUE(copy->Log());
        EXPECT_EQ(r.record, output->Lines().back());
        copy->LeaveNoBody();
    }
    EXPECT_TRUE(logger->FieldTraced(QM_FIELD_MESSAGE));
    EXPECT_FALSE(logger->FieldTraced(9) || logger->FieldTraced(64));  // User: not on the data line
    EXPECT_FALSE(logger->ShouldTrace(kLegacy, nullptr));
    CQmTraceData* held = &kept;
    EXPECT_FALSE(logger->ShouldTraceAlloc(kLegacy, &held));  // the caller's pointer must be null
    EXPECT_EQ(&kept, held);

    logger->DisableTrace(false);
    EXPECT_FALSE(logger->TraceEnabled(0) || logger->TraceEnabled(kLegacy) || logger->ShouldTrace(kLegacy, &kept));
}

TEST_F(TraceSwitching, MainOnlyKeepsSecondOutputAndMaster) {
    // Without a master in force there is nothing to keep: it switches on fully.
    RecordingOutput* first = new RecordingOutput();
    ASSERT_TRUE(Enable(first, Config("components: Log\ndata: Tid\n"), 0, nullptr, /*mainOnly=*/true));
    logger->DisableTrace(false);

    // A line goes to both outputs; it counts as written only if both took it.
    RecordingOutput* main = new RecordingOutput(nullptr, true, /*logResult=*/false);
    RecordingOutput* second = new RecordingOutput();
    ASSERT_TRUE(Enable(main, Config("components: Log\ndata: Message\n"), 0, second));
    CQmErrLogMessage message(false);
    message.FormatAuditMessage("both");
    EXPECT_FALSE(logger->LogTraceMsg(message));
    EXPECT_EQ("both", main->Lines().back());
    logger->DisableTrace(/*mainOnly=*/true);
    EXPECT_TRUE(logger->TraceEnabled(0));
    EXPECT_FALSE(logger->FieldTraced(QM_FIELD_MESSAGE));  // needs the main output
    EXPECT_TRUE(logger->LogTraceMsg(message));

    RecordingOutput* newMain = new RecordingOutput();
    ASSERT_TRUE(Enable(newMain, Config("components: Log\ndata: Tid\n"), 0, nullptr, /*mainOnly=*/true));
    EXPECT_TRUE(logger->FieldTraced(QM_FIELD_MESSAGE));  // the master in force stayed
    EXPECT_TRUE(logger->LogTraceMsg(message));
    EXPECT_EQ((std::vector<std::string>{"[Message]\n", "[=======]\n", "both", "both", "both"}), second->Lines());
    EXPECT_EQ("both", newMain->Lines().back());
}

// The questions answer "off" in the caller while no master is in force and
// ask the library otherwise; with a master kept but no output left (the main
// output switched off alone, no second output) the library's answer is off too.
TEST_F(TraceSwitching, EveryQuestionIsOffWhenNoOutputTakesRecords) {
    const std::string config = Config("components: Log, Log/Legacy\ndata: Message\n");
    CQmTraceData kept;
    auto anyOn = [&] {
        CQmTraceData* copy = nullptr;
        return logger->TraceEnabled(0) || logger->TraceEnabled(kLegacy) || logger->ShouldTrace(kLegacy, &kept) ||
               logger->ShouldTraceAlloc(kLegacy, &copy) || logger->FieldTraced(QM_FIELD_MESSAGE);
    };
    const struct { const char* step; bool on; } steps[] = {
        {"new logger", false}, {"main and second", true}, {"main off alone", true},
        {"main only", true},   {"main off alone again", false}, {"all off", false}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        const std::string name = step.step;
        if (name == "main and second") {
            ASSERT_TRUE(Enable(new RecordingOutput(), config, 0, new RecordingOutput()));
        } else if (name == "main only") {
            logger->DisableTrace(false);
            ASSERT_TRUE(Enable(new RecordingOutput(), config));
        } else if (name == "all off") {
            logger->DisableTrace(false);
        } else if (name != "new logger") {
            logger->DisableTrace(/*mainOnly=*/true);
        }
        // Asked twice: the second ask may read what the first one cached.
        EXPECT_EQ(step.on, anyOn());
        EXPECT_EQ(step.on, anyOn());
    }
}

TEST(ThreadTracePool, GrowsByThirtyFirstFit) {
    qmtest::TempDir dir;
    const std::string config = dir.Write("trace.cfg", "components: Log\ndata: Message\n");
    ASSERT_TRUE(qmtest::TraceToRecorder(theLogger(), config));
    // Every free entry and one more: the pool grows by one block of thirty.
    const int before = qm::ThreadTracePoolSize();
    const int wanted = before - qm::ThreadTraceEntriesInUse() + 1;
    std::vector<ThreadTraceData*> taken;
    for (int i = 0; i < wanted; ++i) taken.push_back(GetThreadTraceData());
    EXPECT_EQ(before + 30, qm::ThreadTracePoolSize());
    EXPECT_EQ(std::set<ThreadTraceData*>(taken.begin(), taken.end()).size(), taken.size());
    qm::ReturnThreadTraceData(taken[wanted / 2]);
    EXPECT_EQ(taken[wanted / 2], GetThreadTraceData());
    for (ThreadTraceData* entry : taken) qm::ReturnThreadTraceData(entry);  // back for the tests after this one
    theLogger()->DisableTrace(false);
}

TEST(TraceSwitchingConcurrency, TracersNeverSeeAHalfOldConfiguration) {
    qmtest::TempDir dir;
    const std::string bracketed = dir.Write("a.cfg", "components: Log\ndata: Message, Tid\n");
    const std::string delimited = dir.Write("b.cfg", "components: Log\ndata: Tid, Message\n");
    CQmLogger* logger = getMyLogger("concurrency");
    std::atomic<bool> stop{false};
    std::atomic<int> written{0};
    std::vector<std::thread> tracers;
    for (int t = 0; t < 3; ++t) {
        tracers.emplace_back([&] {
            // Kept across switches: up to date, it takes the unguarded path.
            CQmTraceData kept;
            while (!stop) {
                if (qmtest::TraceOnce(logger)) ++written;
                CQmTraceData own;
                if (logger->ShouldTrace(kLogComponent, &own)) qmtest::TraceRecord(own);
                for (int again = 0; again < 2; ++again) {
                    if (!logger->TraceEnabled(kLogComponent) || !logger->ShouldTrace(kLogComponent, &kept)) break;
                    qmtest::TraceRecord(kept);
                }
            }
        });
    }
    for (int round = 0; round < 200; ++round) {
        const bool even = round % 2 == 0;
        CQmLogOutput* out = logger->NewLogOutput(2, &CheckRecord);
        if (!logger->EnableTrace(out, even ? 0 : 2, ",", (even ? bracketed : delimited).c_str(), false, false,
                                 false)) {
            logger->DeleteLogOutput(out);
        }
        if (round % 10 == 9) logger->DisableTrace(false);
    }
    // On a loaded machine the switching can end before a tracer was scheduled:
    // leave one configuration in force until some record went through it.
    CQmLogOutput* out = logger->NewLogOutput(2, &CheckRecord);
    const bool enabled = logger->EnableTrace(out, 0, ",", bracketed.c_str(), false, false, false);
    if (!enabled) logger->DeleteLogOutput(out);
    EXPECT_TRUE(enabled && qmtest::Eventually([&] { return written.load() > 0; }));
    stop = true;
    for (std::thread& t : tracers) t.join();
    EXPECT_TRUE(removeMyLogger("concurrency"));
    EXPECT_TRUE(written > 0 && g_records > 0);
    EXPECT_EQ(0, g_malformed.load());
}
