// Thread-end hooks of thread slots in a program linked with the static
// archive: Windows has no slot destructors, so the archive's TLS callback
// must run them.
#include "platform/win32/windows_api.h"  // <windows.h> without names that clash with ours

#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/thread_slot.h"

namespace {

unsigned long g_slot = 0;
int g_first = 0, g_second = 0;  // only their addresses matter
DWORD g_threadId = 0;
std::string g_calls;  // touched by ending threads only, read after they are joined

// Notes each call and whether it runs on the ending thread with the slot
// already cleared; on the first it stores a second value, as a hook that
// needs one more round of clean-up would.
void Record(void* value) {
    const bool clean = ::GetCurrentThreadId() == g_threadId && qm::platform::GetThreadSlotValue(g_slot) == nullptr;
    g_calls += std::string(value == &g_first ? "first" : "second") + (clean ? " " : "! ");
    if (value == &g_first) qm::platform::SetThreadSlotValue(g_slot, &g_second);
}

void SetFirst() {
    g_threadId = ::GetCurrentThreadId();
    qm::platform::SetThreadSlotValue(g_slot, &g_first);
}

TEST(Win32ThreadEnd, HooksRunOnTheEndingThreadForEachValueItLeaves) {
    ASSERT_TRUE(qm::platform::AllocThreadSlot(&g_slot, &Record));
    std::thread(SetFirst).join();
    std::thread([] {}).join();  // leaves no value: no call
    EXPECT_EQ(g_calls, "first second ");

    // A freed slot's hook never runs again, though its index may come back.
    qm::platform::FreeThreadSlot(g_slot);
    ASSERT_TRUE(qm::platform::AllocThreadSlot(&g_slot, nullptr));
    std::thread(SetFirst).join();
    qm::platform::FreeThreadSlot(g_slot);
    EXPECT_EQ(g_calls, "first second ");
}

}  // namespace
