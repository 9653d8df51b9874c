// The DLL gives a thread's working copy of the default logger's trace
// configuration back to the pool when the thread ends: its entry point sees
// the thread leave. Public API only, as any program using qmerrlog.dll.
#include <cstdio>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "qmerrlog/qmerrlog.h"

namespace {

CQmTraceData* CopyOfThisThread() {
    CQmTraceData* record = nullptr;
    theLogger()->ShouldTraceAlloc(QmTraceComponentId(1, 0), &record);
    return record;
}

TEST(Win32Dll, EndingThreadsGiveTheirTraceCopyBack) {
    const char* const config = "dll_thread_end_test.cfg";  // in the test's own working directory
    std::ofstream(config, std::ios::binary) << "components: Log\ndata: Message\n";
    ASSERT_TRUE(theLogger()->EnableTrace(new CQmSyncCallbackOutput(), 0, nullptr, config, false, false, false));
    std::remove(config);

    CQmTraceData* first = nullptr;
    CQmTraceData* later = nullptr;
    std::thread([&] { first = CopyOfThisThread(); }).join();
    std::thread([&] { later = CopyOfThisThread(); }).join();
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(later, first);  // the first thread's copy was free again
    // While a thread lives, its copy stays its own.
    CQmTraceData* const mine = CopyOfThisThread();
    std::thread([&] { later = CopyOfThisThread(); }).join();
    EXPECT_NE(later, mine);
    theLogger()->DisableTrace(false);
}

}  // namespace
