// Callback outputs: what reaches the program's function, and when Open and
// Log refuse.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "output/file_system_fake.h"

using qmtest::LogText;

namespace {

struct Call {
    const char* text;
    std::string copy;
    int length;
    QmReleaseFunction release;
    void* user;
};

thread_local std::vector<Call> g_calls;

void Sync(const char* text, int length) { g_calls.push_back({text, text, length, nullptr, nullptr}); }
void SyncUser(const char* text, int length, void* user) {
    g_calls.push_back({text, text, length, nullptr, user});
}
void Async(const char* text, int length, QmReleaseFunction release) {
    // Releasing is allowed, any number of times, and changes nothing.
    release(const_cast<char*>(text));
    release(const_cast<char*>(text));
    g_calls.push_back({text, text, length, release, nullptr});
}
void AsyncUser(const char* text, int length, QmReleaseFunction release, void* user) {
    g_calls.push_back({text, text, length, release, user});
}

class CallbackOutputTest : public testing::Test {
protected:
    void SetUp() override { g_calls.clear(); }
    int m_user = 0;
};

TEST_F(CallbackOutputTest, EachClassHasItsTypeCodeAndAsyncFlag) {
    CQmSyncCallbackOutput sync;
    CQmSyncParameterizedCallbackOutput syncUser;
    CQmAsyncCallbackOutput async;
    CQmAsyncParameterizedCallbackOutput asyncUser;
    const std::vector<std::pair<CQmLogOutput*, int>> outputs = {
        {&sync, 2}, {&syncUser, 4}, {&async, 3}, {&asyncUser, 5}};
    for (const auto& [output, type] : outputs) {
        EXPECT_EQ(output->GetType(), type);
        EXPECT_EQ(output->IsAsync(), type == 3 || type == 5);
        EXPECT_TRUE(output->Flush());
        EXPECT_FALSE(output->IsBufferingSupported());
        output->EnableBuffering(true);
        EXPECT_FALSE(output->IsBufferingEnabled());
        // Nothing stored yet: nothing is called.
        EXPECT_FALSE(LogText(*output, "x")) << type;
    }
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(CallbackOutputTest, SyncCallbackGetsTheMessagesOwnTextBeforeLogReturns) {
    CQmSyncCallbackOutput output;
    ASSERT_TRUE(output.SetParams(&Sync));
    ASSERT_TRUE(output.Open());
    CQmErrLogMessage message(false);
    message.AppendText("abc");
    EXPECT_TRUE(output.Log(message));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].text, message.GetBuffer());
    EXPECT_EQ(g_calls[0].copy, "abc");
    EXPECT_EQ(g_calls[0].length, 3);

    EXPECT_TRUE(output.Close());
    EXPECT_FALSE(output.Log(message));
    EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(CallbackOutputTest, SyncParameterizedNeedsCallbackAndUserPointer) {
    CQmSyncParameterizedCallbackOutput output;
    EXPECT_TRUE(output.SetParams(&SyncUser, nullptr));
    EXPECT_FALSE(output.Open());
    EXPECT_FALSE(LogText(output, "abc"));
    EXPECT_TRUE(output.SetParams(nullptr, &m_user));
    EXPECT_FALSE(output.Open());

    EXPECT_TRUE(output.SetParams(&SyncUser, &m_user));
    ASSERT_TRUE(output.Open());
    CQmSyncParameterizedCallbackOutput copy(output);
    EXPECT_EQ(copy.GetType(), 4);
    EXPECT_TRUE(LogText(copy, "ab"));
    EXPECT_TRUE(output.Close());
    EXPECT_FALSE(LogText(output, "abc"));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].copy, "ab");
    EXPECT_EQ(g_calls[0].length, 2);
    EXPECT_EQ(g_calls[0].user, &m_user);
}

TEST_F(CallbackOutputTest, AsyncCallbacksGetTheDoNothingReleaseAndSurviveClose) {
    CQmAsyncCallbackOutput async;
    ASSERT_TRUE(async.SetParams(&Async));
    ASSERT_TRUE(async.Open());
    CQmErrLogMessage message(false);
    message.AppendText("line\n");
    EXPECT_TRUE(async.Log(message));
    EXPECT_EQ(std::string(message.GetBuffer()), "line\n");  // released twice, still the message's
    EXPECT_TRUE(async.Close());
    EXPECT_TRUE(async.Log(message));

    CQmAsyncParameterizedCallbackOutput asyncUser;
    EXPECT_TRUE(asyncUser.SetParams(&AsyncUser, nullptr));
    EXPECT_FALSE(asyncUser.Open());
    ASSERT_TRUE(asyncUser.SetParams(&AsyncUser, &m_user));
    ASSERT_TRUE(asyncUser.Open());
    EXPECT_TRUE(asyncUser.Log(message));
    EXPECT_TRUE(asyncUser.Close());
    EXPECT_TRUE(asyncUser.Log(message));

    ASSERT_EQ(g_calls.size(), 4u);
    for (const Call& call : g_calls) {
        EXPECT_EQ(call.text, message.GetBuffer());
        EXPECT_EQ(call.length, 5);
        EXPECT_EQ(call.release, &CQmErrLogMessage::FreeBuffer);
    }
    EXPECT_EQ(g_calls[2].user, &m_user);
}

}  // namespace
