// Outputs on the real system where Windows differs from POSIX. Files that
// another handle holds without delete sharing cannot be renamed or deleted: a
// refused rename is "access denied" and retried later, a backup that cannot
// be pruned is skipped. Standard output may be a pipe.
#include "platform/win32/windows_api.h"  // <windows.h> without names that clash with ours

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "output/file_output_disk.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"
#include "support/fake_disk.h"
#include "support/temp_dir.h"

namespace {

bool LogText(CQmLogOutput& output, const std::string& text) {
    CQmErrLogMessage message(false);
    message.AppendText(text.data(), text.size());
    return output.Log(message);
}

// Opens a file as another program reading the log would: reading and writing
// shared, deleting and renaming not.
HANDLE Hold(const std::string& path) {
    return ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string In(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<none>";
}

TEST(Win32HeldFiles, FilesHeldByAReaderPutTheRolloverOffUntilTheyAreFree) {
    qmtest::TempDir dir;
    qmtest::FakeDisk disk;
    CQmFileOutput output;
    dir.Write("a.log", "current\n");
    HANDLE reader = Hold(dir.Write("a_20090101_000000.log", "oldest\n"));
    dir.Write("a_20090102_000000.log", "older\n");
    ASSERT_TRUE(output.SetParams(dir.Path("a.log").c_str(), 4, 1, 2));
    QmFileOutputDisk::Use(output, &disk);
    // Rolling aside would prune the held backup: it is skipped, and the rollover goes on.
    ASSERT_TRUE(output.Open());
    EXPECT_EQ(In(dir.Path("a_20090101_000000.log")), "oldest\n");
    EXPECT_EQ(In(dir.Path("a_20090315_100000.log")), "current\n");
    ::CloseHandle(reader);

    // The size limit is reached while a reader holds the log: its rename is
    // refused, and lines are appended until the retry is due.
    ASSERT_TRUE(LogText(output, std::string(1048574, 'o') + "\n"));
    reader = Hold(dir.Path("a.log"));
    EXPECT_TRUE(LogText(output, "held\n"));
    disk.offsetSeconds = 300;
    EXPECT_TRUE(LogText(output, "still held\n"));
    EXPECT_EQ(In(dir.Path("a.log")).substr(1048575), "held\nstill held\n");
    ::CloseHandle(reader);
    disk.offsetSeconds = 301;
    EXPECT_TRUE(LogText(output, "free\n"));
    EXPECT_EQ(In(dir.Path("a_20090315_100501.log")).substr(1048575), "held\nstill held\n");
}

// Standard output that is a pipe, as for a service or a program whose output
// is captured: console lines arrive byte for byte.
TEST(Win32Console, PipedStandardOutputGetsTheLinesUnchanged) {
    const HANDLE saved = ::GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(::CreatePipe(&read, &write, nullptr, 1 << 16));
    ::SetStdHandle(STD_OUTPUT_HANDLE, write);
    CQmConsoleOutput output;
    EXPECT_TRUE(output.Open());
    EXPECT_TRUE(LogText(output, "first line\n"));
    EXPECT_TRUE(LogText(output, ""));  // writes nothing
    EXPECT_TRUE(LogText(output, "second line\n"));
    EXPECT_TRUE(output.Close());
    char got[64];
    DWORD count = 0;
    EXPECT_TRUE(::ReadFile(read, got, sizeof got, &count, nullptr));
    EXPECT_EQ(std::string(got, count), "first line\nsecond line\n");  // no CR added

    ::SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    EXPECT_FALSE(CQmConsoleOutput().Open());  // no standard output at all: no console
    ::SetStdHandle(STD_OUTPUT_HANDLE, saved);
    ::CloseHandle(read);
    ::CloseHandle(write);
}

}  // namespace
