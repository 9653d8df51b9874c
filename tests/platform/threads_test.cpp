// Semaphore counts, per-thread slots and thread ids.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/process.h"
#include "platform/semaphore.h"
#include "platform/thread_slot.h"

namespace qm::platform {

TEST(PlatformSemaphore, CountStaysWithinItsMaximumAndOneReleaseWakesSeveralWaiters) {
    EXPECT_EQ(CreateSemaphore(6, 5), nullptr);
    EXPECT_EQ(WaitSemaphore(nullptr, 0), kWaitFailed);
    void* semaphore = CreateSemaphore(1, 3);
    EXPECT_FALSE(ReleaseSemaphore(semaphore, 3));  // 1 + 3 > 3: refused, count kept
    EXPECT_EQ(WaitSemaphore(semaphore, 0), kWaitSignalled);
    EXPECT_EQ(WaitSemaphore(semaphore, 10), kWaitTimedOut);

    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] { woken += WaitSemaphore(semaphore, kInfiniteWait) == kWaitSignalled; });
    }
    EXPECT_TRUE(ReleaseSemaphore(semaphore, 3));
    for (auto& waiter : waiters) waiter.join();
    EXPECT_EQ(woken.load(), 3);
    CloseSemaphore(semaphore);
}

static std::atomic<int> g_exits{0};
static void CountExit(void* value) { g_exits += value == &g_exits; }

TEST(PlatformThreadSlot, ValuesArePerThreadAndTheExitHookSeesOnlyNonNullOnes) {
    unsigned long slot = 0;
    ASSERT_TRUE(AllocThreadSlot(&slot, &CountExit));
    SetThreadSlotValue(slot, &g_exits);
    std::thread([&] {
        EXPECT_EQ(GetThreadSlotValue(slot), nullptr);
        SetThreadSlotValue(slot, &g_exits);
    }).join();
    std::thread([&] { SetThreadSlotValue(slot, &g_exits); SetThreadSlotValue(slot, nullptr); }).join();
    EXPECT_EQ(g_exits.load(), 1);
    EXPECT_EQ(GetThreadSlotValue(slot), &g_exits);
    SetThreadSlotValue(slot, nullptr);
    FreeThreadSlot(slot);
}

TEST(PlatformProcess, EachThreadKeepsItsOwnId) {
    const unsigned int mine = CurrentThreadId();
    unsigned int other = 0;
    std::thread([&] { other = CurrentThreadId(); }).join();
    EXPECT_NE(other, mine);
    EXPECT_EQ(CurrentThreadId(), mine);
}

}  // namespace qm::platform
