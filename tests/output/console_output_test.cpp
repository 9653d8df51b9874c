// Console outputs share the one console of the process, counted by the manager.
#include <gtest/gtest.h>

#include "output/console_manager.h"
#include "output/file_system_fake.h"

using qmtest::LogText;

namespace {

int Holders() { return qm::CQmConsoleManager::Instance().ReferenceCount(); }

TEST(ConsoleOutputTest, OutputsShareTheConsoleUntilTheLastCloses) {
    CQmConsoleOutput first;
    CQmConsoleOutput second;
    EXPECT_EQ(first.GetType(), 0);
    EXPECT_TRUE(first.SetParams());
    EXPECT_FALSE(first.Close());  // never opened: refused, nothing counted
    EXPECT_FALSE(LogText(first, "x"));
    EXPECT_EQ(Holders(), 0);

    ASSERT_TRUE(first.Open());
    EXPECT_FALSE(first.Open());
    ASSERT_TRUE(second.Open());
    EXPECT_EQ(Holders(), 2);
    EXPECT_TRUE(first.Close());
    EXPECT_EQ(Holders(), 1);
    EXPECT_TRUE(LogText(second, "console line from ConsoleOutputTest\n"));
    EXPECT_TRUE(LogText(second, ""));
    EXPECT_FALSE(LogText(first, "closed\n"));
    EXPECT_TRUE(second.Close());
    EXPECT_FALSE(second.Close());
    EXPECT_EQ(Holders(), 0);

    ASSERT_TRUE(first.Open());  // the console comes back after the last close
    EXPECT_EQ(Holders(), 1);
    EXPECT_TRUE(first.Close());
}

}  // namespace
