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
    EXPECT_TRUE(list.RemoveLogger("never-made"));
    EXPECT_TRUE(list.RemoveLogger(nullptr));
    ASSERT_NE(nullptr, list.AddLogger("made"));
    EXPECT_FALSE(list.RemoveLogger("never-made"));
    EXPECT_FALSE(list.RemoveLogger(nullptr));
    EXPECT_TRUE(list.RemoveLogger("made"));
}

TEST(LoggerList, OneLoggerPerExactName) {
    CQmLogger* server = getMyLogger("server");
    ASSERT_NE(nullptr, server);
    EXPECT_TRUE(server->Inited());
    EXPECT_EQ(server, getMyLogger("server"));
    EXPECT_EQ(server, theLoggerList()->GetLogger("server"));
    EXPECT_NE(server, getMyLogger("Server"));  // names are case-sensitive
    EXPECT_NE(theLogger(), server);
    EXPECT_EQ(nullptr, getMyLogger(""));
    EXPECT_EQ(nullptr, getMyLogger(nullptr));
    EXPECT_EQ(nullptr, theLoggerList()->GetLogger(nullptr));
    EXPECT_EQ(nullptr, theLoggerList()->GetLogger("unknown"));
}

TEST(LoggerList, RemovedNameGetsAFreshLogger) {
    CQmLogger* first = getMyLogger("agent");
    ASSERT_TRUE(first->SetLogOutput(first->NewLogOutput(2, [](const char*, int) {})));
    EXPECT_TRUE(removeMyLogger("agent"));
    EXPECT_FALSE(removeMyLogger("agent"));
    EXPECT_FALSE(removeMyLogger(nullptr));
    CQmLogger* second = getMyLogger("agent");
    ASSERT_NE(nullptr, second);
    EXPECT_TRUE(second->Inited());
    CQmErrLogMessage message(false);
    message.FormatAuditMessage("x");
    EXPECT_FALSE(second->LogErrMsg(message));  // no output carried over
    EXPECT_TRUE(theLogger()->Inited());        // the default logger is untouched
}

TEST(LoggerList, ThreadsRacingForOneNewNameShareOneLogger) {
    constexpr int kThreads = 8;
    std::vector<CQmLogger*> seen(kThreads, nullptr);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ++ready;
            while (ready < kThreads) std::this_thread::yield();
            seen[t] = getMyLogger("raced");
        });
    }
    for (std::thread& t : threads) t.join();
    for (CQmLogger* logger : seen) EXPECT_EQ(seen[0], logger);
}

TEST(LoggerList, AddAndRemoveUnderConcurrentLookups) {
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop) {
            theLoggerList()->GetLogger("churn");
            getMyLogger("stable");
        }
    });
    for (int i = 0; i < 50; ++i) {
        ASSERT_NE(nullptr, getMyLogger("churn"));
        ASSERT_TRUE(removeMyLogger("churn"));
    }
    stop = true;
    reader.join();
}
