#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "qmerrlog/locks.h"

// Plain counters bumped from several threads under locks their holders enter
// twice: a gap in exclusion shows as a lost update (and a race under TSan), a
// lock that is not recursive as a hang.
TEST(CriticalSection, BothKindsExcludeOtherThreadsAndLetTheOwnerReenter) {
    CQmErrLogCriticalSection embedded;
    CQmErrLogCS heap;
    long underEmbedded = 0, underHeap = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 5000; ++i) {
                if (t % 2 == 0) {
                    CQmErrLogPrivAutoCS outer(embedded), inner(embedded);
                    ++underEmbedded;
                } else {
                    CQmErrLogAutoCS outer(heap), inner(heap);
                    ++underHeap;
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(std::to_string(underEmbedded) + " " + std::to_string(underHeap), "10000 10000");
}

// The counting itself is the platform semaphore's; what the class adds is
// its answers (0, 1, -1) and refusing a second handle or bad counts.
TEST(Semaphore, AnswersAndRefusesWhenAHandleIsHeldOrTheCountsAreBad) {
    CQmErrLogSemaphore held(1, 1, true);
    EXPECT_FALSE(held.Init(5, 10));
    held.Release(1);  // still the first semaphore: one unit at most
    EXPECT_TRUE(held.Test() && !held.Test());

    CQmErrLogSemaphore none;  // not created: every operation fails quietly
    EXPECT_EQ(none.Wait(0), -1);
    none.Release(1);
    EXPECT_FALSE(none.Init(-1, 2) || none.Init(3, 2));
    EXPECT_TRUE(none.Init(1, 5));
    EXPECT_EQ(none.Wait(0), 0);
    EXPECT_EQ(none.Wait(10), 1);
}
