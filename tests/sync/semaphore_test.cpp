#include <gtest/gtest.h>

#include <thread>

#include "qmerrlog/locks.h"

namespace {

TEST(Semaphore, TimedWaitRunsOutOnZeroAndSucceedsAfterRelease) {
    CQmErrLogSemaphore semaphore(0, 10, true);
    EXPECT_EQ(semaphore.Wait(10), 1);
    EXPECT_FALSE(semaphore.Test());
    semaphore.Release(1);
    EXPECT_EQ(semaphore.Wait(10), 0);
    EXPECT_EQ(semaphore.Wait(0), 1);
}

TEST(Semaphore, InitRefusesWhenAHandleIsHeldAndKeepsIt) {
    CQmErrLogSemaphore semaphore(1, 1, true);
    EXPECT_FALSE(semaphore.Init(5, 10));
    // Still the first semaphore: one unit, and a maximum of one.
    semaphore.Release(1);
    EXPECT_TRUE(semaphore.Test());
    EXPECT_FALSE(semaphore.Test());
}

TEST(Semaphore, WithoutTheCreationFlagOrWithBadCountsThereIsNoHandle) {
    CQmErrLogSemaphore semaphore;
    EXPECT_EQ(semaphore.Wait(0), -1);
    EXPECT_FALSE(semaphore.Test());
    semaphore.Release(1);
    EXPECT_FALSE(semaphore.Init(-1, 2));
    EXPECT_TRUE(semaphore.Init(2, 5));
    EXPECT_TRUE(semaphore.Test());
    EXPECT_TRUE(semaphore.Test());
    EXPECT_FALSE(semaphore.Test());

    CQmErrLogSemaphore overfull(3, 2, true);
    EXPECT_EQ(overfull.Wait(0), -1);
}

TEST(Semaphore, InfiniteWaitReturnsWhenAnotherThreadReleases) {
    CQmErrLogSemaphore semaphore(0, 1, true);
    std::thread releaser([&] { semaphore.Release(1); });
    EXPECT_EQ(semaphore.Wait(QM_INFINITE), 0);
    releaser.join();
}

}  // namespace
