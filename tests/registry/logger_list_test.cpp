// Named loggers: one logger per exact name, created on first use, removed on request.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "qmerrlog/qmerrlog.h"

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
