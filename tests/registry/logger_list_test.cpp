// Named loggers: one logger per exact name, created on first use, removed on request.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/child_process.h"
#include "qmerrlog/qmerrlog.h"
#include "support/logger_test_access.h"
#include "support/recording_output.h"
#include "support/temp_dir.h"
#include "support/trace_steps.h"

// A list that never held a logger answers every removal with success; once
// it has held one, unknown names and null are refused.
TEST(LoggerList, RemovingFromAListThatNeverHeldALoggerSucceeds) {
    CQmLoggerList list;
    EXPECT_TRUE(list.RemoveLogger("never-made") && list.RemoveLogger(nullptr));
    ASSERT_NE(nullptr, list.AddLogger("made"));
    EXPECT_FALSE(list.RemoveLogger("never-made") || list.RemoveLogger(nullptr));
    EXPECT_TRUE(list.RemoveLogger("made"));
}

TEST(LoggerList, OneLoggerPerExactNameUntilRemoved) {
    CQmLogger* first = getMyLogger("agent");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, getMyLogger("agent"));
    EXPECT_EQ(first, theLoggerList()->GetLogger("agent"));
    EXPECT_NE(first, getMyLogger("Agent"));  // names are case-sensitive
    EXPECT_NE(theLogger(), first);
    EXPECT_TRUE(getMyLogger("") == nullptr && getMyLogger(nullptr) == nullptr);
    EXPECT_TRUE(theLoggerList()->GetLogger(nullptr) == nullptr && theLoggerList()->GetLogger("unknown") == nullptr);

    ASSERT_TRUE(first->SetLogOutput(first->NewLogOutput(2, [](const char*, int) {})));
    EXPECT_TRUE(removeMyLogger("agent"));
    EXPECT_FALSE(removeMyLogger("agent") || removeMyLogger(nullptr));
    CQmLogger* second = getMyLogger("agent");
    ASSERT_TRUE(second != nullptr && second->Inited());
    CQmErrLogMessage message(false);
    message.FormatAuditMessage("x");
    EXPECT_FALSE(second->LogErrMsg(message));  // no output carried over
    EXPECT_TRUE(theLogger()->Inited());        // the default logger is untouched
}

// Threads racing for one new name share one logger, and go on looking names
// up while another name comes and goes.
TEST(LoggerList, ConcurrentLookupsAddsAndRemovals) {
    constexpr int kThreads = 8;
    std::vector<CQmLogger*> seen(kThreads, nullptr);
    std::atomic<int> ready{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ++ready;
            while (ready < kThreads) std::this_thread::yield();
            seen[t] = getMyLogger("raced");
            while (!stop) theLoggerList()->GetLogger("churn");
        });
    }
    for (int i = 0; i < 50; ++i) EXPECT_TRUE(getMyLogger("churn") != nullptr && removeMyLogger("churn"));
    stop = true;
    for (std::thread& t : threads) t.join();
    for (CQmLogger* logger : seen) EXPECT_EQ(seen[0], logger);
}

namespace {

using Access = CQmLoggerTestAccess;

// What a logger reports and reads that is the same for every logger.
struct KnownLists {
    const char* components;
    const char* fields;
    const void* componentTable;
    const void* fieldTable;
    bool operator==(const KnownLists& o) const {
        return components == o.components && fields == o.fields && componentTable == o.componentTable &&
               fieldTable == o.fieldTable;
    }
};

KnownLists ListsOf(CQmLogger* logger) {
    return {logger->GetAvailableComponents(), logger->GetAvailableDataFields(), Access::ComponentTable(*logger),
            Access::DataFieldTable(*logger)};
}

const char kConfig[] = "components: Log/Legacy\ndata: Message, Tid\n";

}  // namespace

// Named loggers hold no copies of the component and data field tables and
// lists: every one reads the process's one copy, which outlives removed
// loggers and forks, and a trace set-up made from it keeps its answers after
// the loggers it was shared with are gone.
TEST(LoggerList, NamedLoggersShareTheProcesssOneCopyOfTheirKnownLists) {
    CQmLogger* kept = getMyLogger("shared-kept");
    const KnownLists lists = ListsOf(kept);
    ASSERT_TRUE(lists.components != nullptr && lists.fields != nullptr && lists.componentTable != nullptr &&
                lists.fieldTable != nullptr);
    const std::string components = lists.components, fields = lists.fields;
    EXPECT_EQ(components, "Log ; Log description : Legacy ; Legacy Description.");
    EXPECT_EQ(fields.substr(0, 20) + "|" + fields.substr(fields.size() - 28), "Message SrcFile Pid |"
                                                                              "CacheHits CacheSize RefCount");
    EXPECT_EQ(lists, ListsOf(theLogger()));
    for (int round = 0; round < 12; ++round) {
        const std::string name = "shared-" + std::to_string(round % 3);
        EXPECT_EQ(lists, ListsOf(getMyLogger(name.c_str()))) << name;
        if (round % 2 == 1) {
            EXPECT_TRUE(removeMyLogger(name.c_str()));
        }
    }
    for (int i = 0; i < 3; ++i) removeMyLogger(("shared-" + std::to_string(i)).c_str());

    qmtest::TempDir dir;
    ASSERT_TRUE(qmtest::TraceToRecorder(kept, dir.Write("trace.cfg", kConfig)));
    EXPECT_TRUE(kept->TraceEnabled(QmTraceComponentId(1, 1)) && kept->FieldTraced(QM_FIELD_TID));
    EXPECT_FALSE(kept->TraceEnabled(QmTraceComponentId(1, 0)) || kept->FieldTraced(QM_FIELD_PID));
    EXPECT_EQ(lists, ListsOf(kept));
    EXPECT_TRUE(components == kept->GetAvailableComponents() && fields == kept->GetAvailableDataFields());

    // A child makes its first logger after the copy: the same lists, byte for byte.
    const int child = qm::platform::ForkProcess();
    if (child < 0) GTEST_SKIP() << "processes cannot fork on this platform";
    if (child == 0) {
        CQmLogger* made = getMyLogger("shared-in-child");
        const bool same = made != nullptr && ListsOf(made) == lists && components == made->GetAvailableComponents() &&
                          fields == made->GetAvailableDataFields();
        std::_Exit(same ? 0 : 1);
    }
    EXPECT_EQ(0, qm::platform::WaitChildProcess(child, 10000));
    kept->DisableTrace(false);
    removeMyLogger("shared-kept");
}

// Loggers come and go on several threads while another switches tracing on
// a logger whose tables they all share and reads its lists: nothing is freed
// or written under a reader (ASan, TSan), every new logger sees the same lists.
TEST(LoggerListConcurrency, SharedListsHoldWhileLoggersComeAndGo) {
    CQmLogger* tracing = getMyLogger("shared-tracing");
    const KnownLists lists = ListsOf(tracing);
    qmtest::TempDir dir;
    const std::string config = dir.Write("trace.cfg", kConfig);
    std::atomic<int> differing{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 40; ++i) {
                const std::string name = "shared-churn-" + std::to_string(t) + "-" + std::to_string(i % 4);
                if (!(ListsOf(getMyLogger(name.c_str())) == lists)) ++differing;
                if (i % 3 == 0) removeMyLogger(name.c_str());
            }
        });
    }
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(qmtest::TraceToRecorder(tracing, config));
        EXPECT_TRUE(tracing->TraceEnabled(QmTraceComponentId(1, 1)));
        EXPECT_STREQ(lists.components, tracing->GetAvailableComponents());
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(0, differing.load());
    removeMyLogger("shared-tracing");
    for (int t = 0; t < 3; ++t) {
        for (int i = 0; i < 4; ++i) {
            removeMyLogger(("shared-churn-" + std::to_string(t) + "-" + std::to_string(i)).c_str());
        }
    }
}
