// Critical sections, thread slots and thread ids.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "platform/critical_section.h"
#include "platform/process.h"
#include "platform/thread_slot.h"

namespace qm {
namespace platform {
namespace {

struct alignas(kCriticalSectionAlign) Storage {
    unsigned char bytes[kCriticalSectionBytes];
};

TEST(PlatformCriticalSection, OwnerMayEnterAgainAndOthersAreExcluded) {
    Storage cs;
    InitCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EnterCriticalSection(&cs);  // would dead-lock if not recursive
    LeaveCriticalSection(&cs);
    LeaveCriticalSection(&cs);

    long counter = 0;  // plain: only the lock orders the increments
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                EnterCriticalSection(&cs);
                ++counter;
                LeaveCriticalSection(&cs);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(counter, 40000);
    DeleteCriticalSection(&cs);
}

std::atomic<int> g_hookCalls{0};
std::atomic<void*> g_hookValue{nullptr};

void CountExit(void* value) {
    g_hookValue = value;
    ++g_hookCalls;
}

TEST(PlatformThreadSlot, ExitHookRunsOnlyForThreadsThatSetAValue) {
    unsigned long slot = 0;
    ASSERT_TRUE(AllocThreadSlot(&slot, &CountExit));
    g_hookCalls = 0;
    int marker = 0;

    std::thread([&] {
        EXPECT_EQ(GetThreadSlotValue(slot), nullptr);
        SetThreadSlotValue(slot, &marker);
        EXPECT_EQ(GetThreadSlotValue(slot), &marker);
    }).join();
    EXPECT_EQ(g_hookCalls.load(), 1);
    EXPECT_EQ(g_hookValue.load(), &marker);

    std::thread([&] { EXPECT_EQ(GetThreadSlotValue(slot), nullptr); }).join();
    std::thread([&] {
        SetThreadSlotValue(slot, &marker);
        SetThreadSlotValue(slot, nullptr);
    }).join();
    EXPECT_EQ(g_hookCalls.load(), 1);
    FreeThreadSlot(slot);
}

TEST(PlatformThreadSlot, ValuesArePerThread) {
    unsigned long slot = 0;
    ASSERT_TRUE(AllocThreadSlot(&slot, nullptr));
    int mine = 0;
    SetThreadSlotValue(slot, &mine);
    std::thread([&] { EXPECT_EQ(GetThreadSlotValue(slot), nullptr); }).join();
    EXPECT_EQ(GetThreadSlotValue(slot), &mine);
    SetThreadSlotValue(slot, nullptr);
    FreeThreadSlot(slot);
    EXPECT_FALSE(AllocThreadSlot(nullptr, nullptr));
}

TEST(PlatformProcess, ThreadIdsAreStableAndDistinct) {
    EXPECT_GT(CurrentProcessId(), 0);
    const unsigned int mine = CurrentThreadId();
    EXPECT_NE(mine, 0u);
    EXPECT_EQ(CurrentThreadId(), mine);
    // The main thread's kernel id equals the process id.
    EXPECT_EQ(static_cast<int>(mine), CurrentProcessId());

    std::set<unsigned int> ids{mine};
    std::vector<unsigned int> seen(3);
    std::vector<std::thread> threads;
    for (int i = 0; i < 3; ++i) {
        threads.emplace_back([&seen, i] { seen[i] = CurrentThreadId(); });
    }
    for (auto& thread : threads) thread.join();
    ids.insert(seen.begin(), seen.end());
    EXPECT_EQ(ids.size(), 4u);
}

}  // namespace
}  // namespace platform
}  // namespace qm
