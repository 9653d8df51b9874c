// File output: what each mode does with an existing file, when a rollover
// happens, how backups are named and pruned, how disk failures surface, and
// that no line is lost when many threads share one output.
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/file_output_fixture.h"

namespace fs = std::filesystem;
using FileOutputTest = FileOutputInEachPathStyle;

TEST_P(FileOutputTest, EachModeTreatsAnExistingFileItsOwnWay) {
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
    ASSERT_TRUE(Open("new.log", nullptr, 4, 1, 0));  // for its owner alone on POSIX
    // Compared with a file given exactly that, as the platform shows it
    // (Windows knows only read-only or not and repeats the owner's bits; who
    // may open the file there is the directory's inherited access list).
    const std::string owned = m_dir.Write("owned", "");
    fs::permissions(owned, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(m_dir.Path("new.log")).permissions(), fs::status(owned).permissions());
}

TEST_P(FileOutputTest, LineThatWouldReachTheLimitStartsTheNextFile) {
    ASSERT_TRUE(Open("a.log", std::string(1048000, 'o').c_str(), 3, 1, 0));
    EXPECT_TRUE(Log(std::string(500, 's')));
    EXPECT_TRUE(Log(std::string(75, 'f')));  // limit - 1: appended
    m_disk.offsetSeconds = 7;
    EXPECT_TRUE(Log("x"));  // would reach the limit exactly
    EXPECT_EQ(In("a.log"), "x");
    EXPECT_EQ(fs::file_size(m_dir.Path("a_20090315_100007.log")), 1048575u);
}

// Three backups kept: the oldest go, so that the new one makes three. A backup
// that cannot be deleted is skipped and the rollover goes on; once deletes
// work again, the next rollover brings the count back to three.
TEST_P(FileOutputTest, PruningKeepsTheNewestBackupsAndSkipsWhatCannotBeDeleted) {
    for (const char* name : {"a_20090315_100003.log", "a_20090315_100001_01.log", "a_20090315_100001.log",
                             "a_20090315_100002.log", "a_20090315_143005.txt"})
        m_dir.Write(name, name);
    m_disk.offsetSeconds = 10;
    ASSERT_TRUE(Open("a.log", "live\n", 4, 0, 3));
    EXPECT_EQ(Entries(), (Names{"a.log", "a_20090315_143005.txt", "a_20090315_100002.log",
                                "a_20090315_100003.log", "a_20090315_100010.log"}));
    EXPECT_EQ(In("a_20090315_100010.log"), "live\n");
    m_disk.failRemoves = true;
    EXPECT_TRUE(Log("x\n"));
    EXPECT_EQ(In("a_20090315_100010_01.log"), "");
    m_disk.failRemoves = false;
    EXPECT_TRUE(Log("y\n"));
    EXPECT_EQ(In("a.log"), "y\n");
    EXPECT_EQ(Entries(), (Names{"a.log", "a_20090315_143005.txt", "a_20090315_100010.log",
                                "a_20090315_100010_01.log", "a_20090315_100010_02.log"}));
}

TEST_P(FileOutputTest, RolloversWithinOneSecondAddACounter) {
    ASSERT_TRUE(Open("trace", "0\n", 4, 0, 0));
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

TEST_P(FileOutputTest, RecognisesOnlyItsOwnBackups) {
    const struct { const char* base; bool backup; std::vector<const char*> entries; } cases[] = {
        {"a.log", true, {"a_20090315_143005.log", "a_20090315_143005_7.log", "a_20090315_143005_123.log",
                         "a_20090315_143005_.log", "a_20090315_143005.old.log"}},
        {"a.log", false, {"a.log", "a_2009031_143005.log", "a_20090315-143005.log", "a_20090315_143005x.log",
                          "a_20090315_143005.txt", "a_20090315_143005_1x.log", "A_20090315_143005.log",
                          "a_2009031x_143005.log", "a_20090315_143005.LOG"}},
        {"trace", true, {"trace_20090315_143005_02"}}, {"trace", false, {"trace_20090315_143005.txt"}},
        {"x.y.log", true, {"x.y_20090315_143005.log"}}};
    for (const auto& c : cases)
        for (const char* entry : c.entries) EXPECT_EQ(qm::IsBackupName(entry, c.base), c.backup) << entry;
}

// A refused rename keeps the lines in the held file; the next try comes only
// more than 300 s after the refusal. In mode 2 the refusal at Open is retried
// by the first line, and refused again.
TEST_P(FileOutputTest, RefusedRenameKeepsAppendingUntilMoreThan300Seconds) {
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
TEST_P(FileOutputTest, ManyThreadsLoseNoLineAcrossManyRollovers) {
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

INSTANTIATE_TEST_SUITE_P(PathStyles, FileOutputTest, testing::ValuesIn(qmtest::PathStylesOfThisPlatform()),
                         qmtest::PathStyleName);
