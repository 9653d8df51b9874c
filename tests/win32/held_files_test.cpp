// Files that another handle holds without delete sharing: Windows then
// refuses to rename or delete them, and the file output must get through
// that on the real disk (a refused rename is "access denied", retried later;
// a backup that cannot be pruned stops the rollover).
#include "platform/win32/windows_api.h"  // <windows.h> without names that clash with ours

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"
#include "support/temp_dir.h"

struct CQmFileOutputTestAccess {
    static void UseFileSystem(CQmFileOutput& output, qm::FileSystem* disk) { output.m_pFileSystem = disk; }
};

namespace {

using Names = std::set<std::string>;

// Opens a file the way another program reading the log would: reading and
// writing shared, deleting and renaming not.
class Holder {
public:
    explicit Holder(const std::string& path)
        : m_handle(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
        EXPECT_NE(m_handle, INVALID_HANDLE_VALUE) << path;
    }
    ~Holder() {
        if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
    }

private:
    HANDLE m_handle;
};

// The real disk with a clock that reads 2009-03-15 10:00:00 plus offsetSeconds.
class RealDiskFakeClock : public qm::FileSystem {
public:
    long long offsetSeconds = 0;

    int Open(const char* path, int kind) override { return m_real->Open(path, kind); }
    void Close(int fd) override { m_real->Close(fd); }
    long long Write(int fd, const char* data, unsigned int n) override { return m_real->Write(fd, data, n); }
    bool FileSize(int fd, long long* size) override { return m_real->FileSize(fd, size); }
    bool Exists(const char* path) override { return m_real->Exists(path); }
    bool ListDirectory(const char* directory, std::vector<std::string>* names) override {
        return m_real->ListDirectory(directory, names);
    }
    qm::RenameResult RenameNoReplace(const char* from, const char* to) override {
        return m_real->RenameNoReplace(from, to);
    }
    bool Remove(const char* path) override { return m_real->Remove(path); }
    long long Now() override { return 1237111200 + offsetSeconds; }
    void LocalTime(qm::platform::CalendarTime* out) override {
        const int s = static_cast<int>(offsetSeconds);
        *out = qm::platform::CalendarTime{2009, 3, 15, 10 + s / 3600, s / 60 % 60, s % 60, 0, 0, 0};
    }

private:
    qm::FileSystem* m_real = qm::RealFileSystem();
};

bool LogText(CQmLogOutput& output, const std::string& text) {
    CQmErrLogMessage message(false);
    message.AppendText(text.data(), text.size());
    return output.Log(message);
}

class HeldFilesTest : public testing::Test {
protected:
    std::string In(const std::string& name) const {
        std::ifstream in(m_dir.Path(name), std::ios::binary);
        return in ? std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())
                  : "<none>";
    }
    Names Entries() const {
        Names names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
    bool OpenOutput(const std::string& name, int mode, int maxSizeMb, int maxBackups) {
        EXPECT_TRUE(m_output.SetParams(m_dir.Path(name).c_str(), mode, maxSizeMb, maxBackups));
        CQmFileOutputTestAccess::UseFileSystem(m_output, &m_disk);
        return m_output.Open();
    }

    qmtest::TempDir m_dir;
    RealDiskFakeClock m_disk;
    CQmFileOutput m_output;
};

TEST_F(HeldFilesTest, RolloverRefusedByAReaderAppendsUntilTheRetryIsDue) {
    ASSERT_TRUE(OpenOutput("a.log", 3, 1, 0));
    ASSERT_TRUE(LogText(m_output, std::string(1048574, 'o') + "\n"));
    {
        Holder reader(m_dir.Path("a.log"));
        EXPECT_TRUE(LogText(m_output, "held\n"));  // reaches the limit: the rename is refused
        m_disk.offsetSeconds = 300;
        EXPECT_TRUE(LogText(m_output, "still held\n"));  // not yet due: past the limit
        EXPECT_EQ(Entries(), (Names{"a.log"}));
    }
    m_disk.offsetSeconds = 301;
    EXPECT_TRUE(LogText(m_output, "free\n"));
    EXPECT_EQ(Entries(), (Names{"a.log", "a_20090315_100501.log"}));
    EXPECT_EQ(In("a.log"), "free\n");
    EXPECT_EQ(In("a_20090315_100501.log").substr(1048575), "held\nstill held\n");
    EXPECT_TRUE(m_output.Close());
}

TEST_F(HeldFilesTest, BackupThatCannotBeDeletedStopsTheRolloverUntilItIsFree) {
    m_dir.Write("a.log", "current\n");
    m_dir.Write("a_20090101_000000.log", "oldest\n");
    m_dir.Write("a_20090102_000000.log", "older\n");
    {
        Holder reader(m_dir.Path("a_20090101_000000.log"));
        // Pruning to two backups would delete the held one: nothing moves.
        EXPECT_FALSE(OpenOutput("a.log", 4, 1, 2));
        EXPECT_FALSE(LogText(m_output, "lost\n"));
        EXPECT_EQ(Entries(), (Names{"a.log", "a_20090101_000000.log", "a_20090102_000000.log"}));
        EXPECT_EQ(In("a.log"), "current\n");
    }
    ASSERT_TRUE(m_output.Open());
    EXPECT_TRUE(LogText(m_output, "new\n"));
    EXPECT_EQ(Entries(), (Names{"a.log", "a_20090102_000000.log", "a_20090315_100000.log"}));
    EXPECT_EQ(In("a_20090315_100000.log"), "current\n");
    EXPECT_EQ(In("a.log"), "new\n");
    EXPECT_TRUE(m_output.Close());
}

}  // namespace
