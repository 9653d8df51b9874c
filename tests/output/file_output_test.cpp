// File output: what each mode does with an existing file, when a rollover
// happens, how backups are named and pruned, and how disk failures surface.
#include <filesystem>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "output/file_system_fake.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using qmtest::LogText;
using qmtest::ReadFile;
using Access = CQmFileOutputTestAccess;
using Names = std::set<std::string>;

namespace {

class FileOutputTest : public testing::Test {
protected:
    // Opens an output on dir/name (previous content given, unless null) with the fake disk.
    bool Open(const char* name, const char* content, int mode, int maxSizeMb, int maxBackups) {
        m_path = content != nullptr ? m_dir.Write(name, content) : m_dir.Path(name);
        EXPECT_TRUE(m_output.SetParams(m_path.c_str(), mode, maxSizeMb, maxBackups));
        Access::UseFileSystem(m_output, &m_disk);
        return m_output.Open();
    }
    std::string Backup(const std::string& name) const { return ReadFile(m_dir.Path(name)); }
    Names Entries() const {
        Names names;
        for (const auto& entry : fs::directory_iterator(m_dir.Path())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    qmtest::TempDir m_dir;
    qmtest::FakeFileSystem m_disk;
    CQmFileOutput m_output;
    std::string m_path;
};

TEST_F(FileOutputTest, EachModeTreatsAnExistingFileItsOwnWay) {
    // mode -> (content after Open + "x\n", backup of the old content?)
    const std::pair<const char*, bool> expected[] = {
        {"x\n", false}, {"old\nx\n", false}, {"x\n", true}, {"old\nx\n", false}, {"x\n", true}};
    for (int mode = 0; mode <= 4; ++mode) {
        CQmFileOutput output;
        const std::string dir = m_dir.Path(std::to_string(mode));
        fs::create_directory(dir);
        const std::string path = dir + "/a.log";
        std::ofstream(path) << "old\n";
        ASSERT_TRUE(output.SetParams(path.c_str(), mode, 1, 0));
        Access::UseFileSystem(output, &m_disk);
        ASSERT_TRUE(output.Open()) << mode;
        EXPECT_TRUE(LogText(output, "x\n"));
        EXPECT_EQ(ReadFile(path), expected[mode].first) << mode;
        EXPECT_EQ(ReadFile(dir + "/a_20090315_100000.log"), expected[mode].second ? "old\n" : "");
    }
    // A missing file is created, owner read and write only, without a backup.
    ASSERT_TRUE(Open("new.log", nullptr, 4, 1, 0));
    EXPECT_EQ(fs::status(m_path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(Open("empty.log", "", 2, 0, 0));  // set aside even when empty
    EXPECT_EQ(Entries(), (Names{"0", "1", "2", "3", "4", "new.log", "empty.log",
                                "empty_20090315_100000.log"}));
}

TEST_F(FileOutputTest, LineThatWouldReachTheLimitStartsTheNextFile) {
    ASSERT_TRUE(Open("a.log", std::string(1048000, 'o').c_str(), 3, 1, 0));
    EXPECT_TRUE(LogText(m_output, std::string(500, 's')));  // 1,048,500: appended
    EXPECT_TRUE(LogText(m_output, std::string(75, 'f')));   // limit - 1: appended
    EXPECT_EQ(Entries(), Names{"a.log"});
    m_disk.offsetSeconds = 7;
    EXPECT_TRUE(LogText(m_output, "x"));  // would reach the limit exactly
    EXPECT_EQ(ReadFile(m_path), "x");
    EXPECT_EQ(fs::file_size(m_dir.Path("a_20090315_100007.log")), 1048575u);

    // The example of a full file and a 1,000-byte line.
    ASSERT_TRUE(Open("b.log", std::string(1048000, 'o').c_str(), 3, 1, 0));
    EXPECT_TRUE(LogText(m_output, std::string(1000, 'k')));
    EXPECT_EQ(ReadFile(m_path), std::string(1000, 'k'));
}

TEST_F(FileOutputTest, ZeroLimitRollsBeforeEveryLineAndKeepsAllBackups) {
    m_disk.advancePerStamp = true;
    ASSERT_TRUE(Open("a.log", "before\n", 4, 0, 0));
    EXPECT_TRUE(LogText(m_output, "1\n"));
    EXPECT_TRUE(LogText(m_output, "2\n"));
    EXPECT_EQ(Backup("a_20090315_100000.log"), "before\n");
    EXPECT_EQ(Backup("a_20090315_100001.log"), "");
    EXPECT_EQ(Backup("a_20090315_100002.log"), "1\n");
    EXPECT_EQ(ReadFile(m_path), "2\n");
    EXPECT_EQ(Entries().size(), 4u);
}

TEST_F(FileOutputTest, PruningKeepsTheNewestBackupsAndIgnoresLookAlikes) {
    for (const char* name : {"a_20090315_100003.log", "a_20090315_100001_01.log",
                             "a_20090315_100001.log", "a_20090315_100002.log"}) {
        m_dir.Write(name, name);
    }
    const Names foreign = {"a_2009031_143005.log", "a_20090315-143005.log",
                           "a_20090315_143005x.log", "a_20090315_143005.txt"};
    for (const std::string& name : foreign) m_dir.Write(name, "keep");
    m_disk.offsetSeconds = 10;
    ASSERT_TRUE(Open("a.log", "live\n", 4, 1, 3));
    Names expected = foreign;
    expected.insert({"a.log", "a_20090315_100002.log", "a_20090315_100003.log",
                     "a_20090315_100010.log"});
    EXPECT_EQ(Entries(), expected);
    EXPECT_EQ(Backup("a_20090315_100010.log"), "live\n");
}

TEST_F(FileOutputTest, RolloversWithinOneSecondAddACounter) {
    ASSERT_TRUE(Open("a.log", "0\n", 4, 4096, 0));  // 4096 MB wraps to a zero limit
    for (const char* line : {"1\n", "2\n", "3\n"}) EXPECT_TRUE(LogText(m_output, line));
    EXPECT_EQ(Backup("a_20090315_100000.log"), "0\n");
    EXPECT_EQ(Backup("a_20090315_100000_01.log"), "");
    EXPECT_EQ(Backup("a_20090315_100000_02.log"), "1\n");
    EXPECT_EQ(Backup("a_20090315_100000_03.log"), "2\n");
    EXPECT_EQ(ReadFile(m_path), "3\n");

    m_dir.Write("b_20090315_100000.log", "");
    m_dir.Write("b_20090315_100000_11.log", "");
    ASSERT_TRUE(Open("b.log", "b\n", 2, 0, 0));  // counts on from the highest
    EXPECT_EQ(Backup("b_20090315_100000_12.log"), "b\n");

    // Taken stamp, but the newest backup is of a later second: no counter.
    m_dir.Write("c_20090315_100000.log", "");
    m_dir.Write("c_20090315_110000.log", "");
    EXPECT_FALSE(Open("c.log", "c\n", 2, 0, 0));
    EXPECT_FALSE(Access::IsOpen(m_output));
    EXPECT_EQ(ReadFile(m_path), "c\n");
}

TEST_F(FileOutputTest, FileWithoutExtensionGetsBackupsWithoutExtension) {
    m_dir.Write("trace_20090315_090000", "oldest");
    m_dir.Write("trace_20090315_143005.txt", "not a backup");
    ASSERT_TRUE(Open("trace", "old\n", 4, 0, 2));
    EXPECT_TRUE(LogText(m_output, "x\n"));  // prunes the 09:00 backup, then counts
    EXPECT_EQ(Entries(), (Names{"trace", "trace_20090315_100000", "trace_20090315_100000_01",
                                "trace_20090315_143005.txt"}));
    EXPECT_EQ(Backup("trace_20090315_100000"), "old\n");
}

TEST_F(FileOutputTest, RecognisesOnlyItsOwnBackups) {
    for (const char* name : {"a_20090315_143005.log", "a_20090315_143005_7.log",
                             "a_20090315_143005_123.log", "a_20090315_143005_.log",
                             "a_20090315_143005.old.log"}) {
        EXPECT_TRUE(Access::IsBackedUpFile(m_output, name, "a.log")) << name;
    }
    for (const char* name : {"a.log", "a_2009031_143005.log", "a_20090315-143005.log",
                             "a_20090315_143005x.log", "a_20090315_143005.txt",
                             "a_20090315_143005_1x.log", "A_20090315_143005.log",
                             "a_2009031x_143005.log", "a_20090315_143005.LOG"}) {
        EXPECT_FALSE(Access::IsBackedUpFile(m_output, name, "a.log")) << name;
    }
    EXPECT_TRUE(Access::IsBackedUpFile(m_output, "trace_20090315_143005_02", "trace"));
    EXPECT_FALSE(Access::IsBackedUpFile(m_output, "trace_20090315_143005.txt", "trace"));
    EXPECT_TRUE(Access::IsBackedUpFile(m_output, "x.y_20090315_143005.log", "x.y.log"));
}

TEST_F(FileOutputTest, RefusedRenameKeepsAppendingUntilMoreThan300Seconds) {
    m_disk.refuseRenames = true;
    ASSERT_TRUE(Open("a.log", "held\n", 3, 0, 0));
    EXPECT_TRUE(LogText(m_output, "1\n"));  // rollover refused, appended anyway
    m_disk.refuseRenames = false;
    m_disk.offsetSeconds = 300;
    EXPECT_TRUE(LogText(m_output, "2\n"));
    EXPECT_EQ(m_disk.renameAttempts, 1);
    m_disk.offsetSeconds = 301;
    EXPECT_TRUE(LogText(m_output, "3\n"));
    EXPECT_EQ(m_disk.renameAttempts, 2);
    EXPECT_EQ(Backup("a_20090315_100501.log"), "held\n1\n2\n");
    EXPECT_EQ(ReadFile(m_path), "3\n");

    // Unlimited mode: a refusal at Open is retried by Log, and a refused
    // retry starts the wait again.
    m_disk.refuseRenames = true;
    ASSERT_TRUE(Open("b.log", "held\n", 2, 0, 0));
    m_disk.offsetSeconds = 602;
    EXPECT_TRUE(LogText(m_output, "1\n"));
    EXPECT_EQ(m_disk.renameAttempts, 4);
    m_disk.refuseRenames = false;
    m_disk.offsetSeconds = 902;
    EXPECT_TRUE(LogText(m_output, "2\n"));
    m_disk.offsetSeconds = 903;
    EXPECT_TRUE(LogText(m_output, "3\n"));
    EXPECT_EQ(Backup("b_20090315_101503.log"), "held\n1\n2\n");
    EXPECT_EQ(ReadFile(m_path), "3\n");
}

TEST_F(FileOutputTest, DiskFailuresShowOnlyInTheResult) {
    m_dir.Write("a_20090315_090000.log", "old");
    ASSERT_TRUE(Open("a.log", "live\n", 3, 0, 1));
    m_disk.failRemoves = true;
    EXPECT_FALSE(LogText(m_output, "x\n"));  // pruning failed: closed for good
    m_disk.failRemoves = false;
    EXPECT_FALSE(LogText(m_output, "y\n"));
    EXPECT_EQ(ReadFile(m_path), "live\n");
    EXPECT_EQ(m_disk.renameAttempts, 0);

    ASSERT_TRUE(m_output.Open());  // the owner's reopen recovers
    EXPECT_TRUE(LogText(m_output, "z\n"));
    EXPECT_EQ(Backup("a_20090315_100000.log"), "live\n");
    EXPECT_EQ(ReadFile(m_path), "z\n");
    m_disk.failWrites = true;
    EXPECT_FALSE(LogText(m_output, "lost\n"));
    m_disk.failWrites = false;
    EXPECT_TRUE(m_output.Close());
    EXPECT_FALSE(LogText(m_output, "closed\n"));
}

TEST_F(FileOutputTest, RolloverNeedsASeparatorAndAPathOfAtMost235Bytes) {
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir.Path());
    CQmFileOutput bare;
    ASSERT_TRUE(bare.SetParams("bare.log", 3, 0, 0));
    EXPECT_TRUE(bare.Open());              // a new file needs no rollover
    EXPECT_FALSE(LogText(bare, "x\n"));    // the zero limit does
    ASSERT_TRUE(bare.SetParams("bare.log", 2, 0, 0));
    EXPECT_FALSE(bare.Open());
    fs::current_path(previous);

    std::string directory = m_dir.Path("d");
    directory.append(235 - directory.size() - 6, 'p');  // "<directory>/a.log": 235 bytes
    fs::create_directory(directory);
    m_path = directory + "/a.log";
    std::ofstream(m_path) << "1\n";
    std::ofstream(directory + "/ab.log") << "2\n";
    for (const char* name : {"/a.log", "/ab.log"}) {
        ASSERT_TRUE(m_output.SetParams((directory + name).c_str(), 2, 0, 0));
        Access::UseFileSystem(m_output, &m_disk);
        EXPECT_EQ(m_output.Open(), name == std::string("/a.log")) << name;
    }
    EXPECT_EQ(ReadFile(directory + "/a_20090315_100000.log"), "1\n");
    EXPECT_EQ(ReadFile(directory + "/ab.log"), "2\n");
}

}  // namespace
