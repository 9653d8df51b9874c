// Callback outputs: what reaches the program's function, and when Open and
// Log refuse.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"

namespace {

struct Call {
    const char* text;
    int length;
    QmReleaseFunction release;
    void* user;
};
std::vector<Call> g_calls;

void Sync(const char* text, int length) { g_calls.push_back({text, length, nullptr, nullptr}); }
void SyncUser(const char* text, int length, void* user) {
    g_calls.push_back({text, length, nullptr, user});
}
void Async(const char* text, int length, QmReleaseFunction release) {
    release(const_cast<char*>(text));  // allowed, any number of times, no effect
    release(const_cast<char*>(text));
    g_calls.push_back({text, length, release, nullptr});
}
void AsyncUser(const char* text, int length, QmReleaseFunction release, void* user) {
    g_calls.push_back({text, length, release, user});
}

TEST(CallbackOutputTest, SyncOutputsCallOnTheLoggingThreadWithTheMessagesText) {
    g_calls.clear();
    int user = 0;
    CQmErrLogMessage message(false);
    message.AppendText("abc");
    CQmSyncCallbackOutput sync;
    EXPECT_EQ(sync.GetType(), 2);
    EXPECT_FALSE(sync.IsAsync());
    EXPECT_FALSE(sync.Log(message));  // no callback yet
    ASSERT_TRUE(sync.SetParams(&Sync));
    ASSERT_TRUE(sync.Open());
    EXPECT_TRUE(sync.Log(message));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].text, message.GetBuffer());  // the buffer itself, no copy
    EXPECT_EQ(g_calls[0].length, 3);
    EXPECT_TRUE(sync.Close());
    EXPECT_FALSE(sync.Log(message));

    CQmSyncParameterizedCallbackOutput syncUser;
    EXPECT_EQ(syncUser.GetType(), 4);
    EXPECT_TRUE(syncUser.SetParams(&SyncUser, nullptr));
    EXPECT_FALSE(syncUser.Open());
    EXPECT_FALSE(syncUser.Log(message));
    EXPECT_TRUE(syncUser.SetParams(nullptr, &user));
    EXPECT_FALSE(syncUser.Open());
    EXPECT_TRUE(syncUser.SetParams(&SyncUser, &user));
    ASSERT_TRUE(syncUser.Open());
    CQmSyncParameterizedCallbackOutput copy(syncUser);
    EXPECT_TRUE(syncUser.Close());
    EXPECT_FALSE(syncUser.Log(message));
    EXPECT_TRUE(copy.Log(message));
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[1].user, &user);
}

TEST(CallbackOutputTest, AsyncOutputsPassTheDoNothingReleaseAndSurviveClose) {
    g_calls.clear();
    int user = 0;
    CQmErrLogMessage message(false);
    message.AppendText("line\n");
    CQmAsyncCallbackOutput async;
    EXPECT_EQ(async.GetType(), 3);
    EXPECT_TRUE(async.IsAsync());
    EXPECT_TRUE(async.Flush());
    EXPECT_FALSE(async.IsBufferingSupported());
    EXPECT_FALSE(async.Log(message));  // no callback yet
    ASSERT_TRUE(async.SetParams(&Async));
    ASSERT_TRUE(async.Open());
    EXPECT_TRUE(async.Close());
    EXPECT_TRUE(async.Log(message));
    EXPECT_EQ(std::string(message.GetBuffer()), "line\n");  // still the message's

    CQmAsyncParameterizedCallbackOutput asyncUser;
    EXPECT_EQ(asyncUser.GetType(), 5);
    EXPECT_TRUE(asyncUser.IsAsync());
    EXPECT_TRUE(asyncUser.SetParams(&AsyncUser, nullptr));
    EXPECT_FALSE(asyncUser.Open());
    ASSERT_TRUE(asyncUser.SetParams(&AsyncUser, &user));
    ASSERT_TRUE(asyncUser.Open());
    EXPECT_TRUE(asyncUser.Close());
    EXPECT_TRUE(asyncUser.Log(message));
    ASSERT_EQ(g_calls.size(), 2u);
    for (const Call& call : g_calls) {
        EXPECT_EQ(call.text, message.GetBuffer());
        EXPECT_EQ(call.length, 5);
        EXPECT_EQ(call.release, &CQmErrLogMessage::FreeBuffer);
    }
    EXPECT_EQ(g_calls[1].user, &user);
}

}  // namespace
