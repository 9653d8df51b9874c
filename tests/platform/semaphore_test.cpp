#include "platform/semaphore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace qm {
namespace platform {
namespace {

class SemaphoreHandle {
public:
    SemaphoreHandle(long initial, long maximum) : handle_(CreateSemaphore(initial, maximum)) {}
    ~SemaphoreHandle() { CloseSemaphore(handle_); }
    void* get() const { return handle_; }

private:
    void* handle_;
};

TEST(PlatformSemaphore, RefusesImpossibleCounts) {
    EXPECT_EQ(CreateSemaphore(0, 0), nullptr);
    EXPECT_EQ(CreateSemaphore(-1, 5), nullptr);
    EXPECT_EQ(CreateSemaphore(6, 5), nullptr);
}

TEST(PlatformSemaphore, TimedWaitOnEmptyRunsOutThenSucceedsAfterRelease) {
    SemaphoreHandle semaphore(0, 10);
    ASSERT_NE(semaphore.get(), nullptr);
    EXPECT_EQ(WaitSemaphore(semaphore.get(), 0), kWaitTimedOut);
    EXPECT_EQ(WaitSemaphore(semaphore.get(), 10), kWaitTimedOut);
    EXPECT_TRUE(ReleaseSemaphore(semaphore.get(), 1));
    EXPECT_EQ(WaitSemaphore(semaphore.get(), 10), kWaitSignalled);
    EXPECT_EQ(WaitSemaphore(semaphore.get(), 0), kWaitTimedOut);
}

TEST(PlatformSemaphore, ReleasePastMaximumIsRefusedAndKeepsCount) {
    SemaphoreHandle semaphore(1, 3);
    EXPECT_FALSE(ReleaseSemaphore(semaphore.get(), 3));
    EXPECT_TRUE(ReleaseSemaphore(semaphore.get(), 2));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(WaitSemaphore(semaphore.get(), 0), kWaitSignalled);
    EXPECT_EQ(WaitSemaphore(semaphore.get(), 0), kWaitTimedOut);
}

TEST(PlatformSemaphore, NullHandleFailsQuietly) {
    EXPECT_EQ(WaitSemaphore(nullptr, 0), kWaitFailed);
    EXPECT_FALSE(ReleaseSemaphore(nullptr, 1));
    CloseSemaphore(nullptr);
}

TEST(PlatformSemaphore, OneReleaseOfThreeWakesThreeBlockedWaiters) {
    SemaphoreHandle semaphore(0, 0x7FFFFFFF);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            if (WaitSemaphore(semaphore.get(), kInfiniteWait) == kWaitSignalled) ++woken;
        });
    }
    EXPECT_TRUE(ReleaseSemaphore(semaphore.get(), 3));
    for (auto& waiter : waiters) waiter.join();
    EXPECT_EQ(woken.load(), 3);
    EXPECT_EQ(WaitSemaphore(semaphore.get(), 0), kWaitTimedOut);
}

}  // namespace
}  // namespace platform
}  // namespace qm
