// The error chain writing through the default logger, observed by a callback
// output installed on it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "qmerrlog/error.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/outputs.h"

namespace {

using Lines = std::vector<std::string>;

int g_liveEntries = 0;  // every test ends with none left

// An entry that counts itself, so the tests see which entries the chain deletes.
class CountedEntry : public CQmErrData {
public:
    CountedEntry(const char* text, unsigned int code) {
        ++g_liveEntries, GetErrLogMessage().AppendText(text), SetErrorCode(code);
    }
    ~CountedEntry() override { --g_liveEntries; }
};

void Collect(const char* text, int length, void* user) {
    static_cast<Lines*>(user)->emplace_back(text, static_cast<std::size_t>(length));
}

class ErrorChain : public ::testing::Test {
protected:
    // Also called again by a test that brings the log back.
    void SetUp() override {
        ASSERT_TRUE(theLogger()->SetLogOutput(
            theLogger()->NewLogOutput(QM_OUTPUT_SYNC_PARAM_CALLBACK, &Collect, &m_lines)));
    }
    void TearDown() override { theLogger()->DisableLog(); EXPECT_EQ(0, g_liveEntries); }
    // The lines written since the last call.
    Lines Written() { return std::exchange(m_lines, Lines()); }

    Lines m_lines;
};

TEST_F(ErrorChain, EntriesAreWrittenOnceInOrderAndFlaggedEvenWhenRefused) {
    CQmError chain;
    EXPECT_TRUE(chain.LogMessages() && chain.LogLastMessage());  // empty: nothing to write
    chain.AddError(new CountedEntry("one", 7));
    chain.AddError(new CountedEntry("two", 8));
    EXPECT_EQ(8u, chain.GetLastError());
    EXPECT_TRUE(chain.LogMessages() && chain.LogMessages());  // the second writes nothing
    EXPECT_EQ((Lines{"one", "two"}), Written());

    chain.AddError(new CountedEntry("three", 9));
    chain.AddError(new CountedEntry("last", 10));
    // Writes the last entry each time, and flags "three" as well.
    EXPECT_TRUE(chain.LogLastMessage() && chain.LogLastMessage() && chain.LogMessages());
    EXPECT_EQ((Lines{"last", "last"}), Written());

    // A refused entry is not offered again, even once the log is back.
    chain.AddError(new CountedEntry("lost", 1));
    theLogger()->DisableLog();
    EXPECT_FALSE(chain.LogMessages());
    EXPECT_TRUE(chain.LogLastMessage());  // its refusal is not reported
    SetUp();
    EXPECT_TRUE(chain.LogMessages() && Written().empty());
}

TEST_F(ErrorChain, EntriesBelongToOneChainAtATime) {
    CQmError source;
    for (unsigned int code = 1; code <= 3; ++code) source.AddError(new CountedEntry("old", code));
    source.SetError(new CountedEntry("x", 42));
    source.AddError(new CountedEntry("y", 43));
    CQmError copy(source), target;
    target.AddError(new CountedEntry("replaced", 1));
    target = copy;
    EXPECT_EQ(2, g_liveEntries);  // moved on, never duplicated
    EXPECT_TRUE(source.LogMessages() && copy.LogMessages() && target.LogMessages());
    EXPECT_EQ((Lines{"x", "y"}), Written());
    target.Clear();
    EXPECT_EQ(0, g_liveEntries);

    // An entry that went through another chain's hands starts over with no
    // successor; deleting the stale one would free a stack object.
    CQmErrData stale;
    CQmErrData* stray = new CountedEntry("stray", 5);
    stray->SetNext(&stale);
    target.AddError(stray);
    EXPECT_EQ(nullptr, stray->GetNext());
    CQmError& same = target;
    target = same;  // empties the chain
    EXPECT_EQ(0, g_liveEntries);
}

}  // namespace
