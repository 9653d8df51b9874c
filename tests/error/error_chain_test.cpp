// The error chain writing through the default logger, observed by a callback
// output installed on it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qmerrlog/error.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/outputs.h"

namespace {

typedef std::vector<std::string> Lines;

int g_liveEntries = 0;

// An entry that counts itself, so the tests see which entries the chain deletes.
class CountedEntry : public CQmErrData {
public:
    CountedEntry(const char* text, unsigned int code) {
        ++g_liveEntries;
        GetErrLogMessage().AppendText(text);
        SetErrorCode(code);
    }
    ~CountedEntry() override { --g_liveEntries; }
};

void Collect(const char* text, int length, void* user) {
    static_cast<std::vector<std::string>*>(user)->emplace_back(text, static_cast<std::size_t>(length));
}

class ErrorChain : public ::testing::Test {
protected:
    void SetUp() override {
        g_liveEntries = 0;
        InstallOutput();
    }
    void InstallOutput() {
        CQmLogOutput* output = theLogger()->NewLogOutput(QM_OUTPUT_SYNC_PARAM_CALLBACK, &Collect, &lines);
        ASSERT_NE(nullptr, output);
        ASSERT_TRUE(theLogger()->SetLogOutput(output));
    }
    void TearDown() override {
        theLogger()->DisableLog();
        EXPECT_EQ(0, g_liveEntries) << "entries left behind";
    }
    // The lines written since the last call.
    Lines Written() {
        Lines written;
        written.swap(lines);
        return written;
    }
    Lines lines;
};

TEST_F(ErrorChain, EmptyChainWritesNothing) {
    CQmError chain;
    EXPECT_EQ(0u, chain.GetLastError());
    EXPECT_TRUE(chain.LogMessages());
    EXPECT_TRUE(chain.LogLastMessage());
    EXPECT_TRUE(Written().empty());
}

TEST_F(ErrorChain, LogMessagesWritesEachNewEntryOnceInOrder) {
    CQmError chain;
    chain.AddError(new CountedEntry("one", 7));
    EXPECT_EQ(7u, chain.GetLastError());
    chain.AddError(new CountedEntry("two", 8));
    chain.AddError(new CountedEntry("three", 9));
    EXPECT_EQ(9u, chain.GetLastError());

    EXPECT_TRUE(chain.LogMessages());
    EXPECT_EQ((Lines{"one", "two", "three"}), Written());
    EXPECT_TRUE(chain.LogMessages());
    EXPECT_TRUE(Written().empty());

    chain.AddError(new CountedEntry("four", 10));
    EXPECT_TRUE(chain.LogMessages());
    EXPECT_EQ((Lines{"four"}), Written());
}

TEST_F(ErrorChain, LogLastMessageWritesTheLastEntryAndFlagsEveryEntry) {
    CQmError chain;
    chain.AddError(new CountedEntry("first", 1));
    chain.AddError(new CountedEntry("last", 2));
    EXPECT_TRUE(chain.LogLastMessage());
    EXPECT_EQ((Lines{"last"}), Written());
    EXPECT_TRUE(chain.LogMessages());
    EXPECT_TRUE(Written().empty());
    // Flagged or not, the last entry is written again.
    EXPECT_TRUE(chain.LogLastMessage());
    EXPECT_EQ((Lines{"last"}), Written());
}

// A refused entry is not offered again, even once the log is back.
TEST_F(ErrorChain, RefusedEntriesAreFlaggedAnyway) {
    CQmError chain;
    chain.AddError(new CountedEntry("lost", 1));
    theLogger()->DisableLog();
    EXPECT_FALSE(chain.LogMessages());
    EXPECT_TRUE(chain.LogLastMessage());  // its refusal is not reported

    InstallOutput();
    EXPECT_TRUE(chain.LogMessages());
    EXPECT_TRUE(Written().empty());
}

TEST_F(ErrorChain, SetErrorAndClearDeleteEveryEntry) {
    CQmError chain;
    for (unsigned int code = 1; code <= 3; ++code) chain.AddError(new CountedEntry("old", code));
    chain.SetError(new CountedEntry("new", 42));
    EXPECT_EQ(1, g_liveEntries);
    EXPECT_EQ(42u, chain.GetLastError());
    EXPECT_TRUE(chain.LogMessages());
    EXPECT_EQ((Lines{"new"}), Written());

    chain.Clear();
    EXPECT_EQ(0, g_liveEntries);
    EXPECT_EQ(0u, chain.GetLastError());
    chain.SetError(new CountedEntry("again", 5));
    EXPECT_EQ(5u, chain.GetLastError());
}

TEST_F(ErrorChain, CopyingTakesTheEntriesOver) {
    CQmError source;
    source.AddError(new CountedEntry("x", 1));
    source.AddError(new CountedEntry("y", 2));
    CQmError copy(source);
    EXPECT_EQ(0u, source.GetLastError());
    EXPECT_EQ(2u, copy.GetLastError());
    EXPECT_TRUE(source.LogMessages());
    EXPECT_TRUE(Written().empty());
    EXPECT_TRUE(copy.LogMessages());
    EXPECT_EQ((Lines{"x", "y"}), Written());
    EXPECT_EQ(2, g_liveEntries);  // moved, not duplicated
}

TEST_F(ErrorChain, AssignmentDeletesOwnEntriesAndTakesTheOthersOver) {
    CQmError target;
    target.AddError(new CountedEntry("replaced", 1));
    CQmError source;
    source.AddError(new CountedEntry("kept", 2));
    target = source;
    EXPECT_EQ(1, g_liveEntries);
    EXPECT_EQ(0u, source.GetLastError());
    EXPECT_EQ(2u, target.GetLastError());
    EXPECT_TRUE(target.LogMessages());
    EXPECT_EQ((Lines{"kept"}), Written());
}

TEST_F(ErrorChain, SelfAssignmentEmptiesTheChain) {
    CQmError chain;
    chain.AddError(new CountedEntry("gone", 1));
    CQmError& same = chain;
    chain = same;
    EXPECT_EQ(0, g_liveEntries);
    EXPECT_EQ(0u, chain.GetLastError());
    EXPECT_TRUE(chain.LogMessages());
    EXPECT_TRUE(Written().empty());
}

TEST_F(ErrorChain, NewEntryStartsEmptyAndKeepsTheLocalTimeSettingOfItsBirth) {
    CQmLogger* logger = theLogger();
    const bool before = logger->ShouldUseLocalTime();
    logger->UseLocalTime(true);
    CQmErrData* local = CQmError::NewErrData();
    logger->UseLocalTime(false);
    CQmErrData* utc = CQmError::NewErrData();
    logger->UseLocalTime(true);
    ASSERT_NE(nullptr, local);
    ASSERT_NE(nullptr, utc);
    EXPECT_TRUE(local->GetErrLogMessage().UsesLocalTime());
    EXPECT_FALSE(utc->GetErrLogMessage().UsesLocalTime());
    logger->UseLocalTime(before);

    EXPECT_EQ(nullptr, local->GetNext());
    EXPECT_EQ(0u, local->GetErrorCode());
    EXPECT_FALSE(local->IsLogged());
    EXPECT_EQ(0, local->GetErrLogMessage().GetBufferLen());

    CQmError chain;
    chain.AddError(local);
    chain.AddError(utc);
    EXPECT_EQ(utc, local->GetNext());
}

// An entry that went through another chain's hands starts over with no successor.
TEST_F(ErrorChain, AddErrorCutsTheEntryLoose) {
    CQmErrData* stray = new CountedEntry("stray", 3);
    CountedEntry neighbour("neighbour", 4);
    stray->SetNext(&neighbour);
    CQmError chain;
    chain.AddError(stray);
    EXPECT_EQ(nullptr, stray->GetNext());
    EXPECT_TRUE(chain.LogMessages());
    EXPECT_EQ((Lines{"stray"}), Written());
    chain.Clear();
    EXPECT_EQ(1, g_liveEntries);  // only the neighbour, which the test owns
}

}  // namespace
