// Outputs on the real system where Windows differs from POSIX. Files that
// another handle holds without delete sharing cannot be renamed or deleted: a
// refused rename is "access denied" and retried later, a backup that cannot
// be pruned is skipped. Standard output may be a pipe.
#include "platform/win32/windows_api.h"  // <windows.h> without names that clash with ours

#include <string>

#include <gtest/gtest.h>

#include "support/file_output_fixture.h"

namespace {

using Win32HeldFiles = FileOutputFixture;

// Opens a file as another program reading the log would: reading and writing
// shared, deleting and renaming not.
HANDLE Hold(const std::string& path) {
    return ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST_F(Win32HeldFiles, FilesHeldByAReaderPutTheRolloverOffUntilTheyAreFree) {
    HANDLE reader = Hold(m_dir.Write("a_20090101_000000.log", "oldest\n"));
    m_dir.Write("a_20090102_000000.log", "older\n");
    // Rolling aside would prune the held backup: it is skipped, and the rollover goes on.
    ASSERT_TRUE(Open("a.log", "current\n", 4, 1, 2));
    EXPECT_EQ(In("a_20090101_000000.log") + In("a_20090315_100000.log"), "oldest\ncurrent\n");
    ::CloseHandle(reader);

    // The size limit is reached while a reader holds the log: its rename is
    // refused, and lines are appended until the retry is due.
    ASSERT_TRUE(Log(std::string(1048574, 'o') + "\n"));
    reader = Hold(m_dir.Path("a.log"));
    EXPECT_TRUE(Log("held\n"));
    m_disk.offsetSeconds = 300;
    EXPECT_TRUE(Log("still held\n"));
    ::CloseHandle(reader);
    m_disk.offsetSeconds = 301;
    EXPECT_TRUE(Log("free\n"));
    EXPECT_EQ(In("a_20090315_100501.log").substr(1048575) + In("a.log"), "held\nstill held\nfree\n");
}

// Standard output that is a pipe, as for a service or a program whose output
// is captured: console lines arrive byte for byte, with no CR added.
TEST(Win32Console, PipedStandardOutputGetsTheLinesUnchanged) {
    const HANDLE saved = ::GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(::CreatePipe(&read, &write, nullptr, 1 << 16));
    ::SetStdHandle(STD_OUTPUT_HANDLE, write);
    CQmConsoleOutput output;
    EXPECT_TRUE(output.Open() && qmtest::LogText(output, "first line\n") && qmtest::LogText(output, "") &&
                qmtest::LogText(output, "second line\n") && output.Close());
    char got[64];
    DWORD count = 0;
    EXPECT_TRUE(::ReadFile(read, got, sizeof got, &count, nullptr));
    EXPECT_EQ(std::string(got, count), "first line\nsecond line\n");

    ::SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    EXPECT_FALSE(CQmConsoleOutput().Open());  // no standard output at all: no console
    ::SetStdHandle(STD_OUTPUT_HANDLE, saved);
    ::CloseHandle(read);
    ::CloseHandle(write);
}

}  // namespace
