// Console outputs share the one console of the process, counted by the
// manager.
#include <gtest/gtest.h>

#include "output/console_manager.h"
#include "output/file_system_fake.h"

using qm::CQmConsoleManager;
using qmtest::LogText;

namespace {

int Holders() { return CQmConsoleManager::Instance().ReferenceCount(); }

TEST(ConsoleOutputTest, OutputsShareTheConsoleUntilTheLastCloses) {
    CQmConsoleOutput first;
    CQmConsoleOutput second;
    EXPECT_EQ(first.GetType(), 0);
    EXPECT_TRUE(first.SetParams());
    const int before = Holders();

    ASSERT_TRUE(first.Open());
    EXPECT_FALSE(first.Open());  // already open: no second hold
    EXPECT_EQ(Holders(), before + 1);
    ASSERT_TRUE(second.Open());
    EXPECT_EQ(Holders(), before + 2);

    EXPECT_TRUE(first.Close());
    EXPECT_EQ(Holders(), before + 1);
    EXPECT_TRUE(LogText(second, "console line from ConsoleOutputTest\n"));
    EXPECT_FALSE(LogText(first, "closed\n"));
    EXPECT_TRUE(second.Close());
    EXPECT_EQ(Holders(), before);

    // The console comes back for the next output after the last one closed.
    ASSERT_TRUE(first.Open());
    EXPECT_EQ(Holders(), before + 1);
    EXPECT_TRUE(first.Close());
    EXPECT_EQ(Holders(), before);
}

TEST(ConsoleOutputTest, CloseWithoutOpenIsRefusedAndCountsNothing) {
    CQmConsoleOutput output;
    const int before = Holders();
    EXPECT_FALSE(output.Close());
    EXPECT_FALSE(LogText(output, "x"));
    EXPECT_EQ(Holders(), before);
    ASSERT_TRUE(output.Open());
    EXPECT_TRUE(output.Close());
    EXPECT_FALSE(output.Close());
    EXPECT_EQ(Holders(), before);
}

TEST(ConsoleOutputTest, EmptyLineCountsAsFullyWritten) {
    CQmConsoleOutput output;
    ASSERT_TRUE(output.Open());
    EXPECT_TRUE(LogText(output, ""));
    EXPECT_TRUE(output.Close());
}

}  // namespace
