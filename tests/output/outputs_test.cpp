// The outputs other than files: the one console they share, what reaches a
// program's callback, and what NewLogOutput makes and DeleteLogOutput deletes.
#include <filesystem>
#include <tuple>
#include <vector>

#include "output/console_manager.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"
#include "support/temp_dir.h"

namespace {

// Text, length, release function and parameter of every callback call.
std::vector<std::tuple<const char*, int, QmReleaseFunction, void*>> g_calls;

void SyncUser(const char* text, int length, void* user) { g_calls.emplace_back(text, length, nullptr, user); }
void AsyncUser(const char* t, int n, QmReleaseFunction r, void* user) { g_calls.emplace_back(t, n, r, user); }
void Sync(const char* text, int length) { SyncUser(text, length, nullptr); }
void Async(const char* text, int length, QmReleaseFunction release) { AsyncUser(text, length, release, nullptr); }

// A program's own output under a code of its own, which the library must never delete.
struct ProgramOutput : CQmConsoleOutput {
    explicit ProgramOutput(int type) { SetType(type); }
};

// Each step opens (true) or closes an output: its result, and the console's
// count afterwards.
TEST(OutputsTest, ConsoleOutputsShareTheConsoleUntilTheLastCloses) {
    CQmConsoleOutput first, second;
    const struct { CQmConsoleOutput* output; bool open, result; int count; } steps[] = {
        {&first, false, false, 0}, {&first, true, true, 1},   {&second, true, true, 2}, {&first, true, false, 2},
        {&first, false, true, 1},  {&second, false, true, 0}, {&second, false, false, 0}};
    for (const auto& s : steps) {
        EXPECT_EQ(s.open ? s.output->Open() : s.output->Close(), s.result);
        EXPECT_EQ(qm::CQmConsoleManager::Instance().ReferenceCount(), s.count);
    }
}

// The type argument of NewLogOutput is only the caller's note; the overload
// decides the class.
TEST(OutputsTest, NewLogOutputPicksTheClassByOverloadAndCallbacksGetTheBufferItself) {
    CQmLogger* logger = theLogger();
    qmtest::TempDir dir;
    int user = 0;
    const std::string path = dir.Path("a.log");
    CQmLogOutput* outputs[] = {logger->NewLogOutput(7), logger->NewLogOutput(0, path.c_str(), 1, 0, 0),
                               logger->NewLogOutput(0, &Sync), logger->NewLogOutput(0, &Async),
                               logger->NewLogOutput(0, &SyncUser, &user),
                               logger->NewLogOutput(0, &AsyncUser, &user)};
    EXPECT_FALSE(std::filesystem::exists(path));  // created, not opened
    CQmErrLogMessage message(false);
    message.AppendText("line\n");
    for (int type = QM_OUTPUT_CONSOLE; type <= QM_OUTPUT_ASYNC_PARAM_CALLBACK; ++type) {
        SCOPED_TRACE(type);
        CQmLogOutput* output = outputs[type];
        ASSERT_EQ(output != nullptr ? output->GetType() : -1, type);
        g_calls.clear();
        EXPECT_TRUE(output->Open() && output->Log(message) && output->Close());
        const bool async = type == QM_OUTPUT_ASYNC_CALLBACK || type == QM_OUTPUT_ASYNC_PARAM_CALLBACK;
        // Only asynchronous callbacks still deliver once closed.
        EXPECT_EQ(output->Log(message), async);
        EXPECT_EQ(g_calls.size(), type < QM_OUTPUT_SYNC_CALLBACK ? 0u : async ? 2u : 1u);
        for (const auto& [text, length, release, parameter] : g_calls) {
            EXPECT_EQ(text, message.GetBuffer());  // no copy
            EXPECT_EQ(length, 5);
            EXPECT_EQ(release, async ? &CQmErrLogMessage::FreeBuffer : nullptr);
            EXPECT_EQ(parameter, type >= QM_OUTPUT_SYNC_PARAM_CALLBACK ? &user : nullptr);
            if (async) release(const_cast<char*>(text));  // allowed, with no effect
        }
        logger->DeleteLogOutput(output);
    }
    EXPECT_STREQ(message.GetBuffer(), "line\n");

    EXPECT_FALSE(logger->NewLogOutput(1, nullptr, 1, 0, 0) || logger->NewLogOutput(1, path.c_str(), 9, 0, 0));
    CQmSyncParameterizedCallbackOutput noFunction;  // both function and parameter are needed
    EXPECT_FALSE(noFunction.SetParams(nullptr, &user) && noFunction.Open());
    CQmAsyncParameterizedCallbackOutput noParameter;
    EXPECT_FALSE(noParameter.SetParams(&AsyncUser, nullptr) && noParameter.Open());

    ProgramOutput foreign(6), unset(-1);  // deleting these stack objects would crash
    for (CQmLogOutput* output : {&foreign, &unset, static_cast<ProgramOutput*>(nullptr)})
        logger->DeleteLogOutput(output);
}

}  // namespace
