// The DLL gives a thread's working copy of the default logger's trace
// configuration back to the pool when the thread ends: its entry point sees
// the thread leave. Public API only, as any program using qmerrlog.dll.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "qmerrlog/qmerrlog.h"

namespace {

class DiscardingOutput : public CQmLogOutput {
public:
    DiscardingOutput() { SetType(QM_OUTPUT_SYNC_CALLBACK); }
    bool Open() override { return true; }
    bool Log(CQmErrLogMessage&) override { return true; }
    bool Close() override { return true; }
};

const unsigned int kLogComponent = QmTraceComponentId(1, 0);

TEST(Win32Dll, EndingThreadsGiveTheirTraceCopyBack) {
    const std::filesystem::path config = std::filesystem::temp_directory_path() /
        ("qmerrlog_dll_thread_end_" + std::to_string(::GetCurrentProcessId()) + ".cfg");
    std::ofstream(config, std::ios::binary) << "components: Log\ndata: Message\n";
    CQmLogger* logger = theLogger();
    ASSERT_TRUE(logger->EnableTrace(new DiscardingOutput(), 0, nullptr, config.string().c_str(), false,
                                    false, false));
    std::filesystem::remove(config);

    CQmTraceData* first = nullptr;
    std::thread([&] { ASSERT_TRUE(logger->ShouldTraceAlloc(kLogComponent, &first)); }).join();
    CQmTraceData* second = nullptr;
    std::thread([&] { ASSERT_TRUE(logger->ShouldTraceAlloc(kLogComponent, &second)); }).join();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);  // the first thread's copy was free again

    // While a thread lives, its copy stays its own.
    CQmTraceData* mine = nullptr;
    ASSERT_TRUE(logger->ShouldTraceAlloc(kLogComponent, &mine));
    CQmTraceData* other = nullptr;
    std::thread([&] { ASSERT_TRUE(logger->ShouldTraceAlloc(kLogComponent, &other)); }).join();
    EXPECT_NE(mine, other);
    logger->DisableTrace(false);
}

}  // namespace
