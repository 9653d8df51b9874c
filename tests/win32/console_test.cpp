// Standard output that is a pipe or a file, as for a service or a program
// whose output is captured: console lines must still arrive, byte for byte.
#include "platform/win32/windows_api.h"  // <windows.h> without names that clash with ours

#include <string>

#include <gtest/gtest.h>

#include "platform/console.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"

namespace {

// Points standard output at a fresh pipe for one test.
class PipedStandardOutput {
public:
    PipedStandardOutput() : m_saved(::GetStdHandle(STD_OUTPUT_HANDLE)) {
        EXPECT_TRUE(::CreatePipe(&m_read, &m_write, nullptr, 1 << 16));
        ::SetStdHandle(STD_OUTPUT_HANDLE, m_write);
    }
    ~PipedStandardOutput() {
        ::SetStdHandle(STD_OUTPUT_HANDLE, m_saved);
        ::CloseHandle(m_write);
        ::CloseHandle(m_read);
    }
    // Everything written so far.
    std::string Drain() {
        std::string text;
        DWORD available = 0;
        while (::PeekNamedPipe(m_read, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            std::string chunk(available, '\0');
            DWORD got = 0;
            if (!::ReadFile(m_read, &chunk[0], available, &got, nullptr)) break;
            text.append(chunk, 0, got);
        }
        return text;
    }

private:
    HANDLE m_saved;
    HANDLE m_read = nullptr;
    HANDLE m_write = nullptr;
};

bool LogText(CQmLogOutput& output, const std::string& text) {
    CQmErrLogMessage message(false);
    message.AppendText(text.data(), text.size());
    return output.Log(message);
}

TEST(Win32Console, LinesReachStandardOutputThatIsAPipeUnchanged) {
    PipedStandardOutput pipe;
    CQmConsoleOutput output;
    ASSERT_TRUE(output.Open());
    EXPECT_TRUE(LogText(output, "first line\n"));
    EXPECT_TRUE(LogText(output, ""));
    EXPECT_TRUE(LogText(output, std::string(3000, 'w') + "\n"));
    EXPECT_TRUE(output.Close());
    EXPECT_EQ(pipe.Drain(), "first line\n" + std::string(3000, 'w') + "\n");  // no carriage returns added
}

TEST(Win32Console, BrokenStandardOutputFailsTheWriteQuietly) {
    std::string drained;
    {
        PipedStandardOutput pipe;
        void* handle = qm::platform::GetConsoleOutputHandle();
        ASSERT_NE(handle, nullptr);
        unsigned int written = 7;
        EXPECT_TRUE(qm::platform::WriteConsole(handle, "", 0, &written));
        EXPECT_EQ(written, 0u);
        EXPECT_TRUE(qm::platform::WriteConsole(handle, "ok", 2, &written));
        EXPECT_EQ(written, 2u);
        EXPECT_FALSE(qm::platform::WriteConsole(nullptr, "x", 1, &written));
        EXPECT_FALSE(qm::platform::WriteConsole(handle, nullptr, 1, &written));
        drained = pipe.Drain();
    }
    EXPECT_EQ(drained, "ok");

    // A pipe nobody reads any more: the write fails, nothing is thrown or printed.
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    ASSERT_TRUE(::CreatePipe(&read, &write, nullptr, 0));
    ::CloseHandle(read);
    unsigned int written = 0;
    EXPECT_FALSE(qm::platform::WriteConsole(write, "lost", 4, &written));
    ::CloseHandle(write);

    // No standard output at all: no console for the outputs.
    const HANDLE saved = ::GetStdHandle(STD_OUTPUT_HANDLE);
    ::SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    EXPECT_EQ(qm::platform::GetConsoleOutputHandle(), nullptr);
    CQmConsoleOutput output;
    EXPECT_FALSE(output.Open());
    ::SetStdHandle(STD_OUTPUT_HANDLE, saved);
}

}  // namespace
