// File output: what each mode does with an existing file, when a rollover
// happens, how backups are named and pruned, how disk failures surface, and
// that no line is lost when many threads share one output.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using Names = std::set<std::string>;

namespace {

// The real disk, with switches that fail a rename or a delete the way a busy or
// broken disk would, and a clock that reads 2009-03-15 10:00:00 plus
// offsetSeconds, local and UTC alike.
class FakeFileSystem : public qm::FileSystem {
public:
    std::atomic<long long> offsetSeconds{0};
    std::atomic<bool> refuseRenames{false};  // as when another process holds the file
    std::atomic<bool> failRemoves{false};

    int Open(const char* path, int kind) override { return m_real->Open(path, kind); }
    void Close(int fd) override { m_real->Close(fd); }
    long long Write(int fd, const char* data, unsigned int n) override { return m_real->Write(fd, data, n); }
    bool FileSize(int fd, long long* size) override { return m_real->FileSize(fd, size); }
    bool Exists(const char* path) override { return m_real->Exists(path); }
    bool ListDirectory(const char* d, std::vector<std::string>* n) override { return m_real->ListDirectory(d, n); }
    qm::RenameResult RenameNoReplace(const char* from, const char* to) override {
        return refuseRenames ? qm::RenameResult::kAccessDenied : m_real->RenameNoReplace(from, to);
    }
    bool Remove(const char* path) override { return !failRemoves && m_real->Remove(path); }
    long long Now() override { return 1237111200 + offsetSeconds; }
    void LocalTime(qm::platform::CalendarTime* out) override {
        const int s = static_cast<int>(offsetSeconds.load());
        *out = qm::platform::CalendarTime{2009, 3, 15, 10 + s / 3600, s / 60 % 60, s % 60, 0, 0, 0};
    }

private:
    qm::FileSystem* m_real = qm::RealFileSystem();
};

}  // namespace

// The fixture reaches the output's disk and backup test.
struct CQmFileOutputTestAccess : testing::Test {
    // Opens the output on a file of the directory, first writing content there unless it is null.
    bool Open(const std::string& name, const char* content, int mode, int maxSizeMb, int maxBackups) {
        const std::string path = content != nullptr ? m_dir.Write(name, content) : m_dir.Path(name);
        EXPECT_TRUE(m_output.SetParams(path.c_str(), mode, maxSizeMb, maxBackups));
        m_output.m_pFileSystem = &m_disk;
        return m_output.Open();
    }
    bool Log(const std::string& text) {
        CQmErrLogMessage message(false);
        message.AppendText(text.data(), text.size());
        return m_output.Log(message);
    }
    // What a file of the directory holds, or "<none>".
    std::string In(const std::string& name) const {
        std::ifstream in(m_dir.Path(name), std::ios::binary);
        return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<none>";
    }
    Names Entries() const {
        Names names;
        for (const auto& entry : fs::directory_iterator(m_dir.Path())) names.insert(entry.path().filename().string());
        return names;
    }
    bool IsBackedUpFile(const char* entry, const char* base) { return m_output.IsBackedUpFile(entry, base); }

    qmtest::TempDir m_dir;
    FakeFileSystem m_disk;
    CQmFileOutput m_output;
};

using FileOutputTest = CQmFileOutputTestAccess;

TEST_F(FileOutputTest, EachModeTreatsAnExistingFileItsOwnWay) {
    // By mode: the file after Open and "x\n", and the backup of "old\n".
    const std::pair<const char*, const char*> expected[] = {
        {"x\n", "<none>"}, {"old\nx\n", "<none>"}, {"x\n", "old\n"}, {"old\nx\n", "<none>"}, {"x\n", "old\n"}};
    for (int mode = 0; mode <= 4; ++mode) {
        SCOPED_TRACE(mode);
        const std::string name = "m" + std::to_string(mode);
        ASSERT_TRUE(Open(name + ".log", "old\n", mode, 1, 0));
        EXPECT_TRUE(Log("x\n"));
        EXPECT_EQ(In(name + ".log"), expected[mode].first);
        EXPECT_EQ(In(name + "_20090315_100000.log"), expected[mode].second);
    }
    ASSERT_TRUE(Open("new.log", nullptr, 4, 1, 0));  // for its owner alone
    // Compared with a file given exactly that, as the platform shows it
    // (Windows knows only read-only or not and repeats the owner's bits).
    const std::string owned = m_dir.Write("owned", "");
    fs::permissions(owned, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(m_dir.Path("new.log")).permissions(), fs::status(owned).permissions());
}

TEST_F(FileOutputTest, LineThatWouldReachTheLimitStartsTheNextFile) {
    ASSERT_TRUE(Open("a.log", std::string(1048000, 'o').c_str(), 3, 1, 0));
    EXPECT_TRUE(Log(std::string(500, 's')));
    EXPECT_TRUE(Log(std::string(75, 'f')));  // limit - 1: appended
    m_disk.offsetSeconds = 7;
    EXPECT_TRUE(Log("x"));  // would reach the limit exactly
    EXPECT_EQ(In("a.log"), "x");
    EXPECT_EQ(fs::file_size(m_dir.Path("a_20090315_100007.log")), 1048575u);
}

// Three backups kept: the oldest go, so that the new one makes three. A backup that
// cannot be deleted closes the output until its owner opens it again.
TEST_F(FileOutputTest, PruningKeepsTheNewestBackupsOrClosesTheOutput) {
    for (const char* name : {"a_20090315_100003.log", "a_20090315_100001_01.log", "a_20090315_100001.log",
                             "a_20090315_100002.log", "a_20090315_143005.txt"})
        m_dir.Write(name, name);
    m_disk.offsetSeconds = 10;
    ASSERT_TRUE(Open("a.log", "live\n", 4, 0, 3));
    EXPECT_EQ(Entries(), (Names{"a.log", "a_20090315_143005.txt", "a_20090315_100002.log",
                                "a_20090315_100003.log", "a_20090315_100010.log"}));
    EXPECT_EQ(In("a_20090315_100010.log"), "live\n");
    m_disk.failRemoves = true;
    EXPECT_FALSE(Log("x\n"));
    m_disk.failRemoves = false;
    EXPECT_FALSE(Log("y\n"));
    EXPECT_EQ(In("a.log"), "");
}

TEST_F(FileOutputTest, RolloversWithinOneSecondAddACounter) {
    ASSERT_TRUE(Open("trace", "0\n", 4, 4096, 0));  // 4096 MB wraps to a zero limit
    for (const char* line : {"1\n", "2\n", "3\n"}) EXPECT_TRUE(Log(line));
    std::string files;  // the backups in turn, then the live file
    for (const char* counter : {"", "_01", "_02", "_03"})
        files += In(std::string("trace_20090315_100000") + counter) + "|";
    EXPECT_EQ(files + In("trace"), "0\n||1\n|2\n|3\n");

    m_dir.Write("b_20090315_100000.log", "");
    m_dir.Write("b_20090315_100000_11.log", "");
    ASSERT_TRUE(Open("b.log", "b\n", 2, 0, 0));  // counts on from the highest
    EXPECT_EQ(In("b_20090315_100000_12.log"), "b\n");
}

TEST_F(FileOutputTest, RecognisesOnlyItsOwnBackups) {
    const struct { const char* base; bool backup; std::vector<const char*> entries; } cases[] = {
        {"a.log", true, {"a_20090315_143005.log", "a_20090315_143005_7.log", "a_20090315_143005_123.log",
                         "a_20090315_143005_.log", "a_20090315_143005.old.log"}},
        {"a.log", false, {"a.log", "a_2009031_143005.log", "a_20090315-143005.log", "a_20090315_143005x.log",
                          "a_20090315_143005.txt", "a_20090315_143005_1x.log", "A_20090315_143005.log",
                          "a_2009031x_143005.log", "a_20090315_143005.LOG"}},
        {"trace", true, {"trace_20090315_143005_02"}}, {"trace", false, {"trace_20090315_143005.txt"}},
        {"x.y.log", true, {"x.y_20090315_143005.log"}}};
    for (const auto& c : cases)
        for (const char* entry : c.entries) EXPECT_EQ(IsBackedUpFile(entry, c.base), c.backup) << entry;
}

// A refused rename keeps the lines in the held file; the next try comes only
// more than 300 s after the refusal. In mode 2 the refusal at Open is retried
// by the first line, and refused again.
TEST_F(FileOutputTest, RefusedRenameKeepsAppendingUntilMoreThan300Seconds) {
    for (int mode : {2, 3}) {
        SCOPED_TRACE(mode);
        const std::string name = "m" + std::to_string(mode);
        m_disk.refuseRenames = true;
        m_disk.offsetSeconds = 0;
        ASSERT_TRUE(Open(name + ".log", "held\n", mode, 0, 0));
        m_disk.offsetSeconds = 602;
        EXPECT_TRUE(Log("1\n"));
        m_disk.refuseRenames = false;
        for (int at : {902, 903}) {
            m_disk.offsetSeconds = at;
            EXPECT_TRUE(Log(std::to_string(at) + "\n"));
        }
        EXPECT_EQ(In(name + "_20090315_101503.log"), "held\n1\n902\n");
        EXPECT_EQ(In(name + ".log"), "903\n");
    }
}

// Many threads write at once into 1 MB files within one second, so the
// counters are exercised too; a torn or mixed line would not match any line
// written, as each thread has its own filler.
TEST_F(FileOutputTest, ManyThreadsLoseNoLineAcrossManyRollovers) {
    const auto line = [](int t, int n) { return std::to_string(n) + std::string(9990, char('a' + t)) + "\n"; };
    ASSERT_TRUE(Open("busy.log", nullptr, 3, 1, 0));
    std::multiset<std::string> expected, written;
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        for (int n = 0; n < 300; ++n) expected.insert(line(t, n));
        threads.emplace_back([&, t] {
            for (int n = 0; n < 300; ++n) EXPECT_TRUE(Log(line(t, n)));
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (const std::string& name : Entries()) {
        std::istringstream in(In(name));
        EXPECT_LT(in.str().size(), 1048576u) << name;
        for (std::string text; std::getline(in, text);) written.insert(text + "\n");
    }
    EXPECT_TRUE(written == expected) << written.size() << " lines read back of " << expected.size();
}
