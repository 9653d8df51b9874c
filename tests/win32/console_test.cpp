// Standard output that is a pipe, as for a service or a program whose output
// is captured: console lines must still arrive, byte for byte, and a broken
// or missing standard output must fail quietly.
#include "platform/win32/windows_api.h"  // <windows.h> without names that clash with ours

#include <string>

#include <gtest/gtest.h>

#include "platform/console.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"

namespace {

bool LogText(CQmLogOutput& output, const std::string& text) {
    CQmErrLogMessage message(false);
    message.AppendText(text.data(), text.size());
    return output.Log(message);
}

TEST(Win32Console, PipedStandardOutputGetsTheLinesUnchangedAndABrokenOneFailsQuietly) {
    const HANDLE saved = ::GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    ASSERT_TRUE(::CreatePipe(&read, &write, nullptr, 1 << 16));
    ::SetStdHandle(STD_OUTPUT_HANDLE, write);
    {
        CQmConsoleOutput output;
        ASSERT_TRUE(output.Open());
        EXPECT_TRUE(LogText(output, "first line\n"));
        EXPECT_TRUE(LogText(output, ""));
        EXPECT_TRUE(LogText(output, std::string(3000, 'w') + "\n"));
        EXPECT_TRUE(output.Close());
    }
    const std::string expected = "first line\n" + std::string(3000, 'w') + "\n";  // no CR added
    std::string got(expected.size() + 1, '\0');
    DWORD count = 0;
    EXPECT_TRUE(::ReadFile(read, &got[0], static_cast<DWORD>(expected.size()), &count, nullptr));
    got.resize(count);
    EXPECT_EQ(got, expected);

    // Nobody reads the pipe any more: the write fails, nothing is printed.
    ::CloseHandle(read);
    unsigned int written = 0;
    EXPECT_FALSE(qm::platform::WriteConsole(qm::platform::GetConsoleOutputHandle(), "lost", 4, &written));

    // No standard output at all: no console for the outputs.
    ::SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    CQmConsoleOutput output;
    EXPECT_FALSE(output.Open());
    ::SetStdHandle(STD_OUTPUT_HANDLE, saved);
    ::CloseHandle(write);
}

}  // namespace
