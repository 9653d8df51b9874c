// Per-thread slots and thread ids. (Semaphore counts: the semaphore class
// and the guards, which wake several waiters with one release.)
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/process.h"
#include "platform/thread_slot.h"

namespace qm::platform {

static std::atomic<int> g_exits{0};
static void CountExit(void* value) { g_exits += value == &g_exits; }

TEST(PlatformThreadSlot, ValuesArePerThreadAndTheExitHookSeesOnlyNonNullOnes) {
    unsigned long slot = 0;
    g_exits = 0;  // counted afresh when the test is repeated
    ASSERT_TRUE(AllocThreadSlot(&slot, &CountExit));
    SetThreadSlotValue(slot, &g_exits);
    std::thread([&] {
        EXPECT_EQ(GetThreadSlotValue(slot), nullptr);
        SetThreadSlotValue(slot, &g_exits);
    }).join();
    std::thread([&] { SetThreadSlotValue(slot, &g_exits); SetThreadSlotValue(slot, nullptr); }).join();
    EXPECT_TRUE(g_exits == 1 && GetThreadSlotValue(slot) == &g_exits);
    SetThreadSlotValue(slot, nullptr);
    FreeThreadSlot(slot);
}

TEST(PlatformProcess, EachThreadKeepsItsOwnId) {
    const unsigned int mine = CurrentThreadId();
    unsigned int other = 0;
    std::thread([&] { other = CurrentThreadId(); }).join();
    EXPECT_TRUE(other != mine && CurrentThreadId() == mine);
}

}  // namespace qm::platform
