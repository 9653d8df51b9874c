// Thread-end hooks of thread slots in a program linked with the static
// archive: Windows has no slot destructors, so the archive's TLS callback
// must run them for every kind of thread.
#include "platform/win32/windows_api.h"  // <windows.h> without names that clash with ours

#include <atomic>
#include <vector>

#include <gtest/gtest.h>

#include "platform/thread_slot.h"

namespace {

unsigned long g_slot = 0;
std::atomic<int> g_calls{0};
std::atomic<void*> g_lastValue{nullptr};
std::atomic<DWORD> g_hookThread{0};
std::atomic<void*> g_valueSeenInHook{nullptr};
int g_first = 0;
int g_second = 0;

// Gives the first value back and stores a second one, as a hook that needs
// one more round of clean-up would.
void Record(void* value) {
    g_valueSeenInHook = qm::platform::GetThreadSlotValue(g_slot);
    g_lastValue = value;
    g_hookThread = ::GetCurrentThreadId();
    if (++g_calls == 1) qm::platform::SetThreadSlotValue(g_slot, &g_second);
}

DWORD WINAPI SetFirst(void* id) {
    *static_cast<DWORD*>(id) = ::GetCurrentThreadId();
    qm::platform::SetThreadSlotValue(g_slot, &g_first);
    return 0;
}

DWORD WINAPI SetNothing(void*) { return 0; }

void RunThread(LPTHREAD_START_ROUTINE body, void* argument) {
    HANDLE thread = ::CreateThread(nullptr, 0, body, argument, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
}

void Ignore(void*) {}

TEST(Win32ThreadEnd, HooksRunOnTheEndingThreadForEachValueItLeaves) {
    ASSERT_TRUE(qm::platform::AllocThreadSlot(&g_slot, &Record));
    DWORD id = 0;
    RunThread(&SetFirst, &id);
    // Called on the ending thread with its value already cleared, and again
    // for the value the hook itself stored.
    EXPECT_EQ(g_calls.load(), 2);
    EXPECT_EQ(g_lastValue.load(), &g_second);
    EXPECT_EQ(g_valueSeenInHook.load(), nullptr);
    EXPECT_EQ(g_hookThread.load(), id);

    RunThread(&SetNothing, nullptr);
    EXPECT_EQ(g_calls.load(), 2);

    // A freed slot's hook never runs again.
    qm::platform::FreeThreadSlot(g_slot);
    unsigned long other = 0;
    ASSERT_TRUE(qm::platform::AllocThreadSlot(&other, nullptr));
    g_slot = other;
    RunThread(&SetFirst, &id);
    EXPECT_EQ(g_calls.load(), 2);
    qm::platform::FreeThreadSlot(other);
}

TEST(Win32ThreadEnd, SlotsWhoseHookFindsNoRowAreRefusedWithoutLeakingAnIndex) {
    std::vector<unsigned long> hooked;
    unsigned long slot = 0;
    while (hooked.size() < 1000 && qm::platform::AllocThreadSlot(&slot, &Ignore)) hooked.push_back(slot);
    ASSERT_FALSE(hooked.empty());
    ASSERT_LT(hooked.size(), 1000u);  // the hook table is full long before the slots run out

    // More refusals than Windows has slots: each must give its index back.
    for (int i = 0; i < 2000; ++i) ASSERT_FALSE(qm::platform::AllocThreadSlot(&slot, &Ignore));
    ASSERT_TRUE(qm::platform::AllocThreadSlot(&slot, nullptr));
    qm::platform::FreeThreadSlot(slot);

    qm::platform::FreeThreadSlot(hooked.back());
    hooked.pop_back();
    ASSERT_TRUE(qm::platform::AllocThreadSlot(&slot, &Ignore));  // the freed row is reused
    hooked.push_back(slot);
    for (unsigned long each : hooked) qm::platform::FreeThreadSlot(each);
}

}  // namespace
